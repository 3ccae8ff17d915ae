// Nibble insertion and deletion against a nibble-array model, their undo steps and refusals,
// the temporary file of the shifted stream, and range conversion.
#include "hex_test_env.h"
#include "nibble_shift.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
using Bytes = std::vector<uint8_t>;

// The data as a row of nibbles, high before low; a result with an odd count gets a zero nibble.
Bytes NibbleModel(const Bytes& d, size_t pos, bool high, bool insert) {
    std::vector<uint8_t> nibbles;
    for (uint8_t b : d) {
        nibbles.push_back(b >> 4);
        nibbles.push_back(b & 0x0F);
    }
    const size_t at = 2 * pos + (high ? 0 : 1);
    if (insert)
        nibbles.insert(nibbles.begin() + static_cast<ptrdiff_t>(at), 0);
    else
        nibbles.erase(nibbles.begin() + static_cast<ptrdiff_t>(at));
    if (nibbles.size() % 2 != 0) nibbles.push_back(0);
    Bytes out;
    for (size_t i = 0; i < nibbles.size(); i += 2)
        out.push_back(static_cast<uint8_t>(nibbles[i] << 4 | nibbles[i + 1]));
    return out;
}

// A temporary folder of the test's own, the process's TMPDIR while it lives.
struct TempFolder {
    fs::path path;
    std::string saved;
    bool hadSaved = false;
    explicit TempFolder(bool create = true) {
        TestApp(); // Qt puts its own runtime folder in the temporary folder it starts with
        path = fs::temp_directory_path() /
               ("nibbles_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++));
        fs::remove_all(path);
        if (create) fs::create_directories(path);
        if (const char* old = std::getenv("TMPDIR")) {
            saved = old;
            hadSaved = true;
        }
        ::setenv("TMPDIR", path.c_str(), 1);
    }
    ~TempFolder() {
        if (hadSaved)
            ::setenv("TMPDIR", saved.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    size_t Entries() const {
        if (!fs::exists(path)) return 0;
        return static_cast<size_t>(std::distance(fs::directory_iterator(path), {}));
    }
    static int& counter() {
        static int n = 0;
        return n;
    }
};

// Refuses the nibble steps in the undo storage's check, as a host's override may: the step
// fails after everything before it succeeded.
class RefusingEditor : public TOrixHexEditorEx {
public:
    bool refuse = false;
    bool CanCreateUndo(TOrixHUndoFlag kind, int32_t count, int32_t replCount) override {
        if (refuse && (kind == ufKindNibbleInsert || kind == ufKindNibbleDelete)) return false;
        return TOrixHexEditorEx::CanCreateUndo(kind, count, replCount);
    }
};
} // namespace

TEST(Nibbles, InsertAndDeleteTable) {
    struct Case {
        const char* name;
        Bytes data;
        int32_t pos;
        bool insert, high, result;
        Bytes want;
    };
    const Case cases[] = {
        {"delete high", {0x12, 0x34, 0x56}, 1, false, true, true, {0x12, 0x45, 0x60}},
        {"delete low", {0x12, 0x34, 0x56}, 1, false, false, true, {0x12, 0x35, 0x60}},
        {"insert high", {0x12, 0x34, 0x56}, 1, true, true, true, {0x12, 0x03, 0x45, 0x60}},
        {"insert low", {0x12, 0x34, 0x56}, 1, true, false, true, {0x12, 0x30, 0x45, 0x60}},
        {"delete high of last", {0x12, 0xAB}, 1, false, true, true, {0x12, 0xB0}},
        {"delete low of last", {0x12, 0xAB}, 1, false, false, true, {0x12, 0xA0}},
        {"insert high at last", {0x12, 0xAB}, 1, true, true, true, {0x12, 0x0A, 0xB0}},
        {"insert low at last", {0x12, 0xAB}, 1, true, false, true, {0x12, 0xA0, 0xB0}},
        {"insert at first", {0xAB}, 0, true, true, true, {0x0A, 0xB0}},
        {"insert into empty", {}, 0, true, true, true, {0x00}},
        {"delete from empty", {}, 0, false, true, false, {}},
        {"insert at -1", {0x12, 0x34}, -1, true, true, false, {0x12, 0x34}},
        {"delete at -1", {0x12, 0x34}, -1, false, false, false, {0x12, 0x34}},
        {"insert at size", {0x12, 0x34}, 2, true, false, false, {0x12, 0x34}},
        {"delete at size", {0x12, 0x34}, 2, false, true, false, {0x12, 0x34}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownEditor e(0);
        LoadBytes(*e, c.data);
        int changes = 0;
        e->OnChange = [&](TCustomOrixHexEditor*) { ++changes; };
        const TCursor cursor = e->Cursor();
        const bool result =
            c.insert ? e->InsertNibble(c.pos, c.high, "") : e->DeleteNibble(c.pos, c.high, "");
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(DataOf(*e), c.want);
        // A refused position records nothing and fires nothing.
        EXPECT_EQ(e->GetCanUndo(), c.result);
        EXPECT_EQ(e->GetModified(), c.result);
        EXPECT_EQ(changes > 0, c.result);
        EXPECT_EQ(e->Cursor(), cursor);
    }
}

TEST(Nibbles, HourglassWhileTheBytesChange) {
    // The bytes are stored under the hourglass (each store fires OnChange); the closing
    // OnChange comes after the cursor is back.
    for (bool insert : {true, false}) {
        SCOPED_TRACE(insert ? "insert" : "delete");
        ShownEditor e(0);
        LoadBytes(*e, {0x12, 0x34, 0x56});
        const TCursor cursor = e->Cursor();
        std::vector<TCursor> seen;
        e->OnChange = [&](TCustomOrixHexEditor* sender) { seen.push_back(sender->Cursor()); };
        ASSERT_TRUE(insert ? e->InsertNibble(1, false, "") : e->DeleteNibble(1, false, ""));
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0], crHourGlass);
        EXPECT_EQ(seen[1], crHourGlass);
        EXPECT_EQ(seen[2], cursor);
        EXPECT_EQ(e->Cursor(), cursor);
    }
}

TEST(Nibbles, AcrossBlocksAndAgainstTheModel) {
    std::mt19937 random(15);
    struct Shape {
        int32_t size, pos;
    };
    std::vector<Shape> shapes = {{1500, 511},  {1500, 512}, {1500, 513}, {1, 0},   {2, 0},
                                 {16, 0},      {17, 0},     {17, 16},    {33, 15}, {4097, 0},
                                 {4097, 4095}, {8193, 1},   {8193, 8192}};
    for (int i = 0; i < 40; ++i) {
        const auto size = static_cast<int32_t>(random() % 9000 + 1);
        shapes.push_back({size, static_cast<int32_t>(random() % static_cast<uint32_t>(size))});
    }
    ShownEditor e(0);
    for (const Shape& s : shapes) {
        Bytes data(static_cast<size_t>(s.size));
        for (uint8_t& b : data) b = static_cast<uint8_t>(random());
        for (int op = 0; op < 4; ++op) {
            const bool insert = op < 2, high = op % 2 == 0;
            SCOPED_TRACE(testing::Message()
                         << "size " << s.size << " pos " << s.pos
                         << (insert ? " insert" : " delete") << (high ? " high" : " low"));
            LoadBytes(*e, data);
            ASSERT_TRUE(insert ? e->InsertNibble(s.pos, high, "")
                               : e->DeleteNibble(s.pos, high, ""));
            ASSERT_EQ(DataOf(*e), NibbleModel(data, static_cast<size_t>(s.pos), high, insert));
            ASSERT_TRUE(e->Undo());
            ASSERT_EQ(DataOf(*e), data);
        }
    }
}

TEST(Nibbles, StepMarksSelectionAndRefusal) {
    ShownEditor e(0);
    LoadBytes(*e, {0x12, 0x34, 0x56, 0x78});
    e->SetChanged(0, true);
    e->SetChanged(3, true);
    e->NewSelection(0, 1);
    ASSERT_TRUE(e->InsertNibble(2, true, "my nibble"));
    EXPECT_EQ(e->UndoStorage().GetLastUndoKind(), ufKindNibbleInsert);
    EXPECT_EQ(e->GetUndoDescription(), "my nibble");
    EXPECT_EQ(e->GetSelCount(), 0);
    EXPECT_TRUE(e->HasChanged(0)); // marks before the position stay
    EXPECT_EQ(e->ChangedByteMapSize(), 2);
    ASSERT_TRUE(e->DeleteNibble(0, false, ""));
    EXPECT_EQ(e->GetUndoDescription(), "Delete nibble");

    // A fixed size refuses both and changes nothing.
    LoadBytes(*e, {0x12, 0x34});
    e->SetNoSizeChange(true);
    for (bool insert : {true, false}) {
        EXPECT_EQ(
            ErrorOf([&] { insert ? e->InsertNibble(0, true, "") : e->DeleteNibble(0, true, ""); }),
            "Cannot update undo storage");
        EXPECT_EQ(DataOf(*e), (Bytes{0x12, 0x34}));
        EXPECT_FALSE(e->GetCanUndo());
        EXPECT_FALSE(e->GetModified());
    }
}

TEST(Nibbles, UndoneAndRedone) {
    struct Case {
        const char* name;
        std::function<void(TCustomOrixHexEditor&)> step;
    };
    const Case cases[] = {
        {"insert high", [](TCustomOrixHexEditor& e) { e.InsertNibble(3, true, ""); }},
        {"insert low", [](TCustomOrixHexEditor& e) { e.InsertNibble(3, false, ""); }},
        {"delete high", [](TCustomOrixHexEditor& e) { e.DeleteNibble(3, true, ""); }},
        {"delete low", [](TCustomOrixHexEditor& e) { e.DeleteNibble(3, false, ""); }},
        {"delete last", [](TCustomOrixHexEditor& e) { e.DeleteNibble(7, true, ""); }},
        {"convert", [](TCustomOrixHexEditor& e) { e.ConvertRange(1, 6, tkAsIs, tkBCD, ""); }},
    };
    const Bytes data = {0x41, 0x42, 0x43, 0x9A, 0x61, 0x62, 0x63, 0xF5};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownEditor e(0);
        LoadBytes(*e, data);
        e->SetChanged(0, true);
        e->SetBookmarkVals(0, 2, false);
        e->SetBookmarkVals(1, 6, true);
        c.step(*e);
        const Bytes after = DataOf(*e);
        ASSERT_NE(after, data);
        ASSERT_TRUE(e->Undo());
        EXPECT_EQ(DataOf(*e), data);
        EXPECT_TRUE(e->HasChanged(0)); // before the edit: kept all along
        EXPECT_FALSE(e->GetModified());
        EXPECT_EQ(e->GetBookmark(0).mPosition, 2);
        EXPECT_EQ(e->GetBookmark(1).mPosition, 6);
        e->SetBookmarkVals(1, 0, false); // moved after the undo: the redo puts it back
        ASSERT_TRUE(e->Redo());
        EXPECT_EQ(DataOf(*e), after);
        EXPECT_EQ(e->GetDataSize(), static_cast<int32_t>(after.size()));
        EXPECT_EQ(e->GetBookmark(1).mPosition, 6);
        EXPECT_TRUE(e->GetModified());
        ASSERT_TRUE(e->Undo());
        EXPECT_EQ(DataOf(*e), data);
    }
}

TEST(Nibbles, FailedStepLeavesDataHistoryAndFlag) {
    TestApp();
    RefusingEditor e;
    LoadBytes(e, {0x12, 0x34, 0x56});
    for (bool insert : {true, false}) {
        SCOPED_TRACE(insert ? "insert" : "delete");
        e.refuse = true;
        EXPECT_EQ(
            ErrorOf([&] { insert ? e.InsertNibble(1, true, "") : e.DeleteNibble(1, true, ""); }),
            "Cannot update undo storage");
        EXPECT_EQ(DataOf(e), (Bytes{0x12, 0x34, 0x56}));
        EXPECT_FALSE(e.GetModified());
        EXPECT_FALSE(e.GetCanUndo());
    }
    // After an earlier step: the failed one leaves that step the newest, and undoing it does
    // not remove a real byte.
    e.refuse = false;
    e.IntChangeByte(0x12, 0x99, 0, "");
    e.refuse = true;
    EXPECT_THROW(e.InsertNibble(1, true, ""), EOrixHexEditor);
    EXPECT_EQ(e.UndoStorage().RecordCount(), 1);
    ASSERT_TRUE(e.Undo());
    EXPECT_EQ(DataOf(e), (Bytes{0x12, 0x34, 0x56}));
}

TEST(Nibbles, NoTemporaryFileIsNeeded) {
    // The shift runs in place: a folder that cannot take files does not stop it, and a
    // usable one is left as it was.
    for (bool usable : {false, true}) {
        SCOPED_TRACE(usable ? "usable folder" : "missing folder");
        TempFolder folder(usable);
        ShownEditor e(0);
        LoadBytes(*e, {0x12, 0x34, 0x56});
        ASSERT_TRUE(e->InsertNibble(1, true, ""));
        ASSERT_TRUE(e->DeleteNibble(0, false, ""));
        EXPECT_EQ(DataOf(*e), NibbleModel({0x12, 0x03, 0x45, 0x60}, 0, false, false));
        EXPECT_EQ(folder.Entries(), 0u);
    }
}

TEST(Nibbles, ShiftedStreamInTemporaryFile) {
    TempFolder folder;
    ShownEditor e(0);
    Bytes data(1300);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
    LoadBytes(*e, data);
    std::string name;
    EXPECT_EQ(e->CreateShift4BitStream(1300, name), nullptr);
    EXPECT_EQ(folder.Entries(), 0u);

    std::unique_ptr<TFileStream> file = e->CreateShift4BitStream(5, name);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetPosition(), 0);
    const std::string base = fs::path(name).filename().string();
    EXPECT_EQ(fs::path(name).parent_path(), folder.path);
    ASSERT_EQ(base.size(), 15u);
    EXPECT_EQ(base.substr(8), ".OrixHT");
    EXPECT_EQ(base.find_first_not_of("0123456789ABCDEF"), 8u);
    struct stat st {};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    Bytes got(1295);
    file->ReadBuffer(got.data(), 1295);
    EXPECT_EQ(file->GetSize(), 1295);
    Bytes want(data.begin() + 5, data.end());
    NibbleShiftRight(want.data(), static_cast<int64_t>(want.size()));
    EXPECT_EQ(got, want);
    file.reset();
    fs::remove(name);
}

TEST(Nibbles, TemporaryFileRefused) {
    ShownEditor e(0);
    LoadBytes(*e, {0x12, 0x34});
    std::string name = "unchanged";
    {
        TempFolder missing(false);
        EXPECT_THROW(e->CreateShift4BitStream(0, name), EFCreateError);
        EXPECT_EQ(name, "unchanged");
        EXPECT_FALSE(fs::exists(missing.path));
    }
    TempFolder folder;
    // A link placed under a name is never written through.
    const fs::path target = folder.path / "target";
    std::ofstream(target) << "keep";
    const fs::path link = folder.path / "00000001.OrixHT";
    fs::create_symlink(target, link);
    EXPECT_THROW(TFileStream(link.string(), fmCreateNew), EFCreateError);
    std::ifstream in(target);
    std::string kept;
    in >> kept;
    EXPECT_EQ(kept, "keep");
    // Every name of the next seconds taken: a bounded search that gives up.
    const uint32_t tick = OrixHTickCount();
    for (uint32_t t = 0; t < 5000; ++t)
        std::ofstream(OrixHTempFileName(folder.path.string() + "/", tick + t));
    const size_t entries = folder.Entries();
    EXPECT_THROW(e->CreateShift4BitStream(0, name), EFCreateError);
    EXPECT_EQ(folder.Entries(), entries);
}

TEST(Nibbles, ConvertRange) {
    ShownEditor e(0);
    LoadBytes(*e, {0x41, 0x42, 0x43});
    int changes = 0;
    e->OnChange = [&](TCustomOrixHexEditor*) { ++changes; };
    struct Guard {
        const char* name;
        int32_t from, to;
        TOrixHTranslationKind kindFrom, kindTo;
    };
    const Guard refused[] = {
        {"equal kinds", 0, 2, tkBCD, tkBCD},
        {"to below from", 2, 1, tkAsIs, tkBCD},
        {"to at size", 0, 3, tkAsIs, tkBCD},
        {"from negative", -1, 1, tkAsIs, tkBCD},
    };
    for (const Guard& g : refused) {
        SCOPED_TRACE(g.name);
        e->ConvertRange(g.from, g.to, g.kindFrom, g.kindTo, "");
        EXPECT_EQ(DataOf(*e), (Bytes{0x41, 0x42, 0x43}));
        EXPECT_FALSE(e->GetCanUndo());
        EXPECT_FALSE(e->GetModified());
        EXPECT_EQ(changes, 0);
    }
    // Allowed with a fixed size: the size does not change.
    e->SetNoSizeChange(true);
    e->ConvertRange(0, 0, tkAsIs, tkBCD, "to EBCDIC");
    EXPECT_EQ(DataOf(*e), (Bytes{0xC1, 0x42, 0x43}));
    EXPECT_EQ(e->GetUndoDescription(), "to EBCDIC");
    EXPECT_EQ(changes, 1);
    e->ConvertRange(0, 0, tkBCD, tkAsIs, "");
    EXPECT_EQ(DataOf(*e), (Bytes{0x41, 0x42, 0x43}));
    // Through ANSI between two encodings: EBCDIC A to Macintosh A, and C4 (Mac 80) back.
    LoadBytes(*e, {0xC1, 0x80});
    e->ConvertRange(0, 0, tkBCD, tkMac, "");
    e->ConvertRange(1, 1, tkMac, tkAsIs, "");
    EXPECT_EQ(DataOf(*e), (Bytes{0x41, 0xC4}));
}
