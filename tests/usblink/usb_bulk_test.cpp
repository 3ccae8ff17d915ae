// TUsbBulk against the programmer emulator, through the real run-time binding.
#include "link_fixture.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct VariantCase {
    int variant;
    int read, write, cmd;
};

void PrintTo(const VariantCase& c, std::ostream* os) {
    *os << "variant " << c.variant;
}

class VariantTest : public LinkTest, public ::testing::WithParamInterface<VariantCase> {};

TEST_P(VariantTest, OpensClaimsAndMovesBlocksOnTheVariantsEndpoints) {
    const VariantCase c = GetParam();
    Emu().remove_devices();
    const int dev = Emu().add_programmer(c.variant);
    Emu().set_device_option(dev, EMU_OPT_INTERFACE_NUMBER, 3);

    ASSERT_TRUE(Open());
    EXPECT_NE(link.dev_handle, nullptr);
    EXPECT_EQ(link.ep_read, c.read);
    EXPECT_EQ(link.ep_write, c.write);
    EXPECT_EQ(link.ep_cmd, c.cmd);
    EXPECT_EQ(Emu().claimed_interface(dev), 3);

    // The strings are read as string descriptors 1 and 2 in language 0x0409.
    const auto controls = Emu().Records(EMU_CALL_CONTROL);
    ASSERT_EQ(controls.size(), 2u);
    for (size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i].request_type, 0x80);
        EXPECT_EQ(controls[i].request, 6);
        EXPECT_EQ(controls[i].value, 0x301 + static_cast<int>(i));
        EXPECT_EQ(controls[i].index, 0x0409);
        EXPECT_EQ(controls[i].length, 256);
        EXPECT_EQ(controls[i].timeout, 1000);
    }

    Emu().clear_records();
    Block cmd = Command(7);
    EXPECT_EQ(link.USB_bulk_cmd(cmd.data(), 64, 0), 64);
    char chunk[256];
    EXPECT_EQ(link.USB_bulk_write(chunk, 256), 256);
    EXPECT_EQ(link.USB_bulk_read(chunk, 256), 256);
    const auto bulk = Emu().BulkTransfers();
    ASSERT_EQ(bulk.size(), 3u);
    EXPECT_EQ(bulk[0].endpoint, c.cmd);
    EXPECT_EQ(bulk[0].length, 64);
    EXPECT_EQ(bulk[1].endpoint, c.write);
    EXPECT_EQ(bulk[2].endpoint, c.read);
    for (const emu_record& r : bulk) EXPECT_EQ(r.timeout, 5000);

    link.USB_bulk_close();
    EXPECT_EQ(link.dev_handle, nullptr);
    const auto releases = Emu().Records(EMU_CALL_RELEASE);
    ASSERT_EQ(releases.size(), 1u);
    EXPECT_EQ(releases[0].endpoint, 3);
    EXPECT_EQ(releases[0].result, 0);
    EXPECT_EQ(Emu().open_handle_count(), 0);
    EXPECT_EQ(Emu().bad_handle_count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, VariantTest,
                         ::testing::Values(VariantCase{0, 0x82, 0x01, 0x02},
                                           VariantCase{1, 0x85, 0x05, 0x04}));

TEST_F(LinkTest, TakesTheFirstMatchingProgrammerInBusAndDeviceOrder) {
    Emu().remove_devices();
    const int second = Emu().add_programmer(0);
    const int first = Emu().add_programmer(1);
    const int third = Emu().add_programmer(0);
    // Buses are listed by number: the device added first sits behind bus 1's devices.
    Emu().set_device_option(second, EMU_OPT_BUS, 2);
    Emu().set_device_option(third, EMU_OPT_BUS, 2);

    ASSERT_TRUE(Open());
    EXPECT_EQ(link.ep_read, 0x85);
    EXPECT_EQ(Emu().claimed_interface(first), 0);
    EXPECT_EQ(Emu().claimed_interface(second), -1);
    // The search stops at the first device that passes.
    EXPECT_EQ(Emu().Records(EMU_CALL_OPEN).size(), 1u);
    EXPECT_EQ(Emu().open_handle_count(), 1);
}

struct SkipCase {
    const char* name;
    int vendor, product;
    std::optional<std::string> manufacturer; // none: the device has no such string
    std::optional<std::string> productString;
    int option, value; // an EMU_OPT_ for the device, 0 for none
};

void PrintTo(const SkipCase& c, std::ostream* os) {
    *os << c.name;
}

class SkipTest : public LinkTest, public ::testing::WithParamInterface<SkipCase> {};

// Each device must be passed over; a good programmer behind it is then found.
TEST_P(SkipTest, PassesOverTheDevice) {
    const SkipCase c = GetParam();
    Emu().remove_devices();
    const int bad = Emu().add_device(c.vendor, c.product, nullptr, nullptr);
    // Set with their lengths, so that a string may hold a U+0000.
    if (c.manufacturer)
        Emu().set_device_string(bad, 1, c.manufacturer->data(),
                                static_cast<int>(c.manufacturer->size()));
    if (c.productString)
        Emu().set_device_string(bad, 2, c.productString->data(),
                                static_cast<int>(c.productString->size()));
    if (c.option != 0) Emu().set_device_option(bad, c.option, c.value);

    EXPECT_EQ(link.prog_open(kProgrammerVendorId, kProgrammerProductId), 0);
    EXPECT_EQ(link.dev_handle, nullptr);
    EXPECT_EQ(Emu().open_handle_count(), 0) << "a skipped device was left open";

    const int good = Emu().add_programmer(1);
    ASSERT_TRUE(Open());
    EXPECT_EQ(link.ep_read, 0x85);
    EXPECT_EQ(Emu().claimed_interface(good), 0);
    EXPECT_EQ(Emu().claimed_interface(bad), -1);
    EXPECT_EQ(Emu().open_handle_count(), 1);
    EXPECT_EQ(Emu().bad_handle_count(), 0);
}

const std::string kVendor = kProgrammerVendorString;
// A U+0000 is read as a NUL byte; the whole text must still match, whatever follows it.
const std::string kNul(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Devices, SkipTest,
    ::testing::Values(
        SkipCase{"OtherVendorId", 0x1FC9, 0x310B, kVendor, "WinUSBComm", 0, 0},
        SkipCase{"OtherProductId", 0x1FC8, 0x310C, kVendor, "WinUSBComm", 0, 0},
        SkipCase{"OtherManufacturer", 0x1FC8, 0x310B, "Halvex Electronic", "WinUSBComm", 0, 0},
        SkipCase{"ManufacturerCase", 0x1FC8, 0x310B, "HALVEX ELECTRONICS", "WinUSBComm", 0, 0},
        SkipCase{"NoManufacturer", 0x1FC8, 0x310B, std::nullopt, "WinUSBComm", 0, 0},
        SkipCase{"ManufacturerNulInside", 0x1FC8, 0x310B, kVendor + kNul + "X", "WinUSBComm", 0, 0},
        SkipCase{"ManufacturerTrailingNul", 0x1FC8, 0x310B, kVendor + kNul, "WinUSBComm", 0, 0},
        SkipCase{"Manufacturer108TrailingNuls", 0x1FC8, 0x310B, kVendor + std::string(108, '\0'),
                 "WinUSBComm", 0, 0},
        SkipCase{"ProductNulInside", 0x1FC8, 0x310B, kVendor, "WinUSBComm" + kNul + " Device", 0,
                 0},
        SkipCase{"ProductTrailingNul", 0x1FC8, 0x310B, kVendor, "WinUSBComm" + kNul, 0, 0},
        SkipCase{"LittleEndianProductTrailingNuls", 0x1FC8, 0x310B, kVendor,
                 "WinUSBComm Device" + std::string(108, '\0'), 0, 0},
        SkipCase{"ProductCase", 0x1FC8, 0x310B, kVendor, "WinUSBComm device", 0, 0},
        SkipCase{"ProductCaseShort", 0x1FC8, 0x310B, kVendor, "winusbcomm", 0, 0},
        // U+0120 reads as "?", so the text can match neither variant.
        SkipCase{"ProductAboveFF", 0x1FC8, 0x310B, kVendor,
                 "WinUSBComm\xC4\xA0"
                 "Device",
                 0, 0},
        SkipCase{"OtherProduct", 0x1FC8, 0x310B, kVendor, "WinUSB", 0, 0},
        SkipCase{"NoProduct", 0x1FC8, 0x310B, kVendor, std::nullopt, 0, 0},
        SkipCase{"ClaimFails", 0x1FC8, 0x310B, kVendor, "WinUSBComm", EMU_OPT_CLAIM_RESULT, -16},
        SkipCase{"OpenFails", 0x1FC8, 0x310B, kVendor, "WinUSBComm", EMU_OPT_OPEN_FAILS, 1},
        SkipCase{"NoConfiguration", 0x1FC8, 0x310B, kVendor, "WinUSBComm", EMU_OPT_NO_CONFIG, 1}),
    [](const ::testing::TestParamInfo<SkipCase>& info) { return std::string(info.param.name); });

TEST_F(LinkTest, NoLibraryMeansNotConnectedAndTheLibraryIsBoundAgainAtEveryOpen) {
    link.SetLibraryFileForTesting("/nonexistent/libusb-0.1.so.4");
    EXPECT_EQ(link.prog_open(kProgrammerVendorId, kProgrammerProductId), 0);
    EXPECT_EQ(link.dev_handle, nullptr);
    EXPECT_EQ(Emu().record_count(), 0) << "usb_init reached the emulator without the library";
    Block cmd = Command(7);
    EXPECT_LT(link.USB_bulk_cmd(cmd.data(), 64, 0), 0);
    link.USB_bulk_close();

    // A library without the functions counts the same.
    link.SetLibraryFileForTesting("libc.so.6");
    EXPECT_EQ(link.prog_open(kProgrammerVendorId, kProgrammerProductId), 0);

    link.SetLibraryFileForTesting(kLibusbFileName);
    ASSERT_TRUE(Open());
    link.USB_bulk_close();

    link.SetLibraryFileForTesting("/nonexistent/libusb-0.1.so.4");
    EXPECT_EQ(link.prog_open(kProgrammerVendorId, kProgrammerProductId), 0);
    // The calls made through the earlier binding are the only ones recorded.
    EXPECT_EQ(Emu().Records(EMU_CALL_INIT).size(), 1u);
}

TEST_F(LinkTest, EndpointsStayAsTheLastSuccessfulOpenLeftThem) {
    Emu().remove_devices();
    Emu().add_programmer(1);
    ASSERT_TRUE(Open());
    link.USB_bulk_close();
    EXPECT_EQ(link.ep_read, 0x85);
    EXPECT_EQ(link.ep_write, 0x05);
    EXPECT_EQ(link.ep_cmd, 0x04);

    Emu().remove_devices();
    EXPECT_EQ(link.prog_open(kProgrammerVendorId, kProgrammerProductId), 0);
    EXPECT_EQ(link.ep_read, 0x85);

    Emu().add_programmer(0);
    ASSERT_TRUE(Open());
    EXPECT_EQ(link.ep_read, 0x82);
}

TEST_F(LinkTest, TransferMembersMakeNoTransferWhileClosed) {
    char buffer[64] = {};
    const uint8_t setup[4] = {1, 2, 3, 4};
    auto check = [&] {
        EXPECT_LT(link.USB_bulk_cmd(buffer, 64, 0), 0);
        EXPECT_LT(link.USB_bulk_write(buffer, 64), 0);
        EXPECT_LT(link.USB_bulk_read(buffer, 64), 0);
        EXPECT_EQ(link.USB_transmit(1, 0x33, setup, reinterpret_cast<uint8_t*>(buffer), 8), -1);
        link.USB_bulk_close();
    };
    check(); // never opened
    ASSERT_TRUE(Open());
    link.USB_bulk_close();
    const long made = Emu().transfer_count();
    Emu().clear_records();
    check(); // closed again
    EXPECT_EQ(Emu().transfer_count(), made);
    EXPECT_EQ(Emu().record_count(), 0);
    EXPECT_EQ(Emu().bad_handle_count(), 0);
}

TEST_F(LinkTest, CommandWithReplyWaits50msBeforeReadingTheReplyIntoTheSameBuffer) {
    ASSERT_TRUE(Open());
    Emu().set_query_kind(1);
    Emu().clear_records();
    Block cmd = Command(9, {{2, 0}, {16, 3}});
    EXPECT_EQ(link.USB_bulk_cmd(cmd.data(), 64, 1), 64);
    const auto bulk = Emu().BulkTransfers();
    ASSERT_EQ(bulk.size(), 2u);
    EXPECT_EQ(bulk[0].kind, EMU_CALL_BULK_WRITE);
    EXPECT_EQ(bulk[0].endpoint, 0x02);
    EXPECT_EQ(bulk[1].kind, EMU_CALL_BULK_READ);
    EXPECT_EQ(bulk[1].endpoint, 0x82);
    EXPECT_EQ(bulk[1].length, 64);
    EXPECT_GE(bulk[1].time_ns - bulk[0].time_ns, 50'000'000);
    // The reply (query kind and the JEDEC id of the default chip) replaced the command.
    EXPECT_EQ(static_cast<uint8_t>(cmd[0]), 1);
    EXPECT_EQ(static_cast<uint8_t>(cmd[1]), 0xEF);
    EXPECT_EQ(static_cast<uint8_t>(cmd[2]), 0x40);
    EXPECT_EQ(static_cast<uint8_t>(cmd[3]), 0x10);

    // Without a reply there is no read and no wait.
    Emu().clear_records();
    const auto t0 = Clock::now();
    EXPECT_EQ(link.USB_bulk_cmd(cmd.data(), 64, 0), 64);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(40));
    EXPECT_EQ(Emu().Records(EMU_CALL_BULK_READ).size(), 0u);
}

TEST_F(LinkTest, CommandWithReplyWaits50msAlsoWithoutDevice) {
    Block cmd = Command(9);
    const Block before = cmd;
    const auto t0 = Clock::now();
    EXPECT_LT(link.USB_bulk_cmd(cmd.data(), 64, 1), 0);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(50));
    EXPECT_EQ(cmd, before);
    EXPECT_EQ(Emu().record_count(), 0);
}

struct FaultCase {
    const char* name;
    int fault, param;
    int result;
    size_t filled; // leading bytes of the buffer that the read replaced
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class ResultTest : public LinkTest, public ::testing::WithParamInterface<FaultCase> {};

// Results pass through unchanged, and the buffer keeps what was not received.
TEST_P(ResultTest, ReadResultsPassThrough) {
    const FaultCase c = GetParam();
    Emu().SetMemory(std::vector<unsigned char>(64, 0x11));
    ASSERT_TRUE(Open());
    Emu().add_fault(EMU_XFER_DATA_READ, 0, c.fault, c.param);
    std::vector<char> buffer(64, 0x55);
    const auto t0 = Clock::now();
    EXPECT_EQ(link.USB_bulk_read(buffer.data(), 64), c.result);
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(1));
    for (size_t i = 0; i < buffer.size(); ++i)
        ASSERT_EQ(static_cast<uint8_t>(buffer[i]), i < c.filled ? 0x11 : 0x55) << i;
}

INSTANTIATE_TEST_SUITE_P(Faults, ResultTest,
                         ::testing::Values(FaultCase{"Error", EMU_FAULT_ERROR, -5, -5, 0},
                                           FaultCase{"Short", EMU_FAULT_SHORT, 10, 10, 10},
                                           FaultCase{"Timeout", EMU_FAULT_TIMEOUT, 20, -110, 0},
                                           FaultCase{"None", 0, 0, 64, 64}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(LinkTest, TransmitIsOneVendorControlTransfer) {
    ASSERT_TRUE(Open());
    Emu().clear_records();
    const uint8_t setup[4] = {0x34, 0x12, 0x78, 0x56};
    uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(link.USB_transmit(0, 0x21, setup, data, 8), 8);
    EXPECT_EQ(link.USB_transmit(1, 0x22, setup, data, 8), 8);
    Emu().add_fault(EMU_XFER_CONTROL, 0, EMU_FAULT_ERROR, -32);
    EXPECT_EQ(link.USB_transmit(1, 0x23, setup, data, 8), -1);
    const auto controls = Emu().Records(EMU_CALL_CONTROL);
    ASSERT_EQ(controls.size(), 3u);
    EXPECT_EQ(controls[0].request_type, 0x40);
    EXPECT_EQ(controls[1].request_type, 0xC0);
    EXPECT_EQ(controls[0].request, 0x21);
    EXPECT_EQ(controls[0].value, 0x1234);
    EXPECT_EQ(controls[0].index, 0x5678);
    EXPECT_EQ(controls[0].timeout, 7000);
}

TEST_F(LinkTest, UnpluggedProgrammerFailsItsTransfersAndIsGoneAtTheNextOpen) {
    ASSERT_TRUE(Open());
    Emu().unplug_after(0, 1);
    Block cmd = Command(7);
    EXPECT_EQ(link.USB_bulk_cmd(cmd.data(), 64, 0), 64);
    EXPECT_EQ(link.USB_bulk_cmd(cmd.data(), 64, 0), -19);
    link.USB_bulk_close();
    EXPECT_EQ(Emu().open_handle_count(), 0);
    EXPECT_EQ(link.prog_open(kProgrammerVendorId, kProgrammerProductId), 0);
}

// The string reader on descriptors whose bytes and length byte disagree.
struct StringCase {
    const char* name;
    std::vector<unsigned char> descriptor;
    int bufferLength;
    int result;
    std::string text;
};

void PrintTo(const StringCase& c, std::ostream* os) {
    *os << c.name;
}

class StringTest : public LinkTest, public ::testing::WithParamInterface<StringCase> {};

TEST_P(StringTest, ReadsTheDescriptorAsEightBitText) {
    const StringCase c = GetParam();
    ASSERT_TRUE(Open());
    Emu().set_string_descriptor(0, 5, c.descriptor.data(), static_cast<int>(c.descriptor.size()));
    char buffer[256];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(link.usbGetStringAscii(link.dev_handle, 5, 0x0409, buffer, c.bufferLength), c.result);
    if (c.result >= 0) {
        EXPECT_EQ(std::string(buffer), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, StringTest,
    ::testing::Values(
        StringCase{"Plain", {8, 3, 'A', 0, 'B', 0, 'C', 0}, 256, 3, "ABC"},
        StringCase{
            "LengthByteCutsExtraBytes", {6, 3, 'A', 0, 'B', 0, 'C', 0, 'D', 0}, 256, 2, "AB"},
        StringCase{"OddLengthDropsLastByte", {7, 3, 'A', 0, 'B', 0, 'C', 0}, 256, 2, "AB"},
        StringCase{"FewerBytesThanLengthByte", {20, 3, 'A', 0, 'B', 0}, 256, 2, "AB"},
        StringCase{"OddBytesReceived", {20, 3, 'A', 0, 'B', 0, 'C'}, 256, 2, "AB"},
        StringCase{
            "HighBytesBecomeQuestionMarks", {8, 3, 0xAC, 0x20, 'x', 0, 0xE9, 0}, 256, 3, "?x\xE9"},
        StringCase{"NotAStringDescriptor", {6, 1, 'A', 0, 'B', 0}, 256, 0, ""},
        StringCase{"BufferFull", {12, 3, 'A', 0, 'B', 0, 'C', 0, 'D', 0, 'E', 0}, 3, 2, "AB"},
        StringCase{"HeadOnly", {2, 3}, 256, 0, ""}, StringCase{"NothingReceived", {}, 256, 0, ""}),
    [](const ::testing::TestParamInfo<StringCase>& info) { return std::string(info.param.name); });

TEST_F(LinkTest, StringReadErrorIsReturnedUnchanged) {
    ASSERT_TRUE(Open());
    char buffer[16];
    EXPECT_EQ(link.usbGetStringAscii(link.dev_handle, 9, 0x0409, buffer, sizeof buffer), -32);
}

TEST_F(LinkTest, ManufacturerWhoseLengthByteCutsTrailingBytesStillMatches) {
    Emu().remove_devices();
    const int dev = Emu().add_programmer(0);
    std::vector<unsigned char> d = {0, 3};
    for (const char* p = kProgrammerVendorString; *p != '\0'; ++p)
        d.insert(d.end(), {static_cast<unsigned char>(*p), 0});
    d[0] = static_cast<unsigned char>(d.size());
    d.insert(d.end(), {'X', 0, 'Y', 0});
    Emu().set_string_descriptor(dev, 1, d.data(), static_cast<int>(d.size()));
    EXPECT_TRUE(Open());
}

TEST_F(LinkTest, FailedManufacturerReadSkipsTheDevice) {
    Emu().add_fault(EMU_XFER_CONTROL, 0, EMU_FAULT_TIMEOUT, 0);
    EXPECT_EQ(link.prog_open(kProgrammerVendorId, kProgrammerProductId), 0);
    EXPECT_EQ(Emu().open_handle_count(), 0);
    EXPECT_TRUE(Open()); // the fault was for one transfer only
}

} // namespace
