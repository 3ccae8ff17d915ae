#include "window_fixture.h"

#include "fill_form.h"
#include "image_fill.h"
#include "message_table.h"
#include "orix_hex_editor_ex.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <cstring>
#include <vector>

namespace {

TEST(ImageFillTest, RangeRule) {
    struct Case {
        int64_t start, end;
        bool valid;
    } cases[] = {
        {0, 0, true},  {0x10, 0x1F, true}, {0, 0x3FFFFFF, true}, {0, 0x4000000, false},
        {5, 4, false}, {-1, 4, false},     {0, -1, false},       {0x3FFFFFF, 0x3FFFFFF, true}};
    for (const Case& c : cases) EXPECT_EQ(FillRangeValid(c.start, c.end), c.valid);
}

TEST(ImageFillTest, WordFillStartsAtTheEvenAddressBelow) {
    std::vector<uint8_t> buffer(kFillLimit + 1, 0xEE);
    FillImage(buffer.data(), FillKind::Word, 0, 0x1234, 1, 4, 0);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 6),
              (std::vector<uint8_t>{0x34, 0x12, 0x34, 0x12, 0xEE, 0xEE}));
    // The last word of the buffer ends at its last byte.
    FillImage(buffer.data(), FillKind::Word, 0, 0xABCD, kFillLimit - 1, kFillLimit, 0);
    EXPECT_EQ(buffer[kFillLimit - 1], 0xCD);
    EXPECT_EQ(buffer[kFillLimit], 0xAB);
}

TEST(ImageFillTest, RandomFillRepeatsForTheSameSecond) {
    std::vector<uint8_t> a(kFillLimit + 1, 0), b(kFillLimit + 1, 0);
    FillImage(a.data(), FillKind::Random, 0, 0, 0, 0xFFF, 1234);
    FillImage(b.data(), FillKind::Random, 0, 0, 0, 0xFFF, 1234);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), 0x1000), 0);
    int distinct = 0;
    for (int i = 1; i < 0x1000; ++i) distinct += a[i] != a[i - 1];
    EXPECT_GT(distinct, 0x800);
    EXPECT_EQ(a[0x1000], 0) << "nothing past the end";
}

using FillDialogTest = WindowTest;

TEST_F(FillDialogTest, FillCases) {
    WriteDatabase({{"K,M,A", 4096}});
    Start();
    TForm1& f = Main();
    uint8_t* image = f.State.ImageBuffer.get();

    CloseNextModal([](QWidget* modal) {
        EXPECT_EQ(modal, Form4);
        EXPECT_EQ(Form4->Edit4->text(), "FFF");
    });
    f.ToolFillClick();

    Form4->Edit1->setText("AA");
    Form4->Edit3->setText("10");
    Form4->Edit4->setText("1F");
    Form4->BitBtn1Click();
    EXPECT_EQ(Form4->result(), QDialog::Accepted);
    EXPECT_EQ(image[0x0F], 0xFF);
    for (int i = 0x10; i <= 0x1F; ++i) EXPECT_EQ(image[i], 0xAA);
    EXPECT_EQ(image[0x20], 0xFF);
    EXPECT_EQ(f.State.DataLength, 0x20);
    EXPECT_EQ(f.FlashEditor->GetDataSize(), 0x20);
    EXPECT_EQ(Form4->FillStream.Memory(), nullptr) << "the view holds its own copy";

    Form4->RadioButton2->setChecked(true);
    Form4->Edit2->setText("1234");
    Form4->Edit3->setText("1");
    Form4->Edit4->setText("4");
    Form4->BitBtn1Click();
    EXPECT_EQ(image[0], 0x34);
    EXPECT_EQ(image[3], 0x12);
    EXPECT_EQ(image[4], 0xFF);
    EXPECT_EQ(f.State.DataLength, 5) << "end + 1, also when it was larger";
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(FillDialogTest, RefusedRangesChangeNothing) {
    Start(); // no chip database: capacity 0, the end field reads FFFFFFFF
    TForm1& f = Main();
    CloseNextModal();
    f.ToolFillClick();
    EXPECT_EQ(Form4->Edit4->text(), "FFFFFFFF");
    f.State.DataLength = 7;
    Form4->setResult(0);
    for (auto [start, end] :
         {std::pair{"00000", "FFFFFFFF"}, std::pair{"20", "10"}, std::pair{"0", "4000000"}}) {
        boxes_.clear();
        Form4->Edit3->setText(start);
        Form4->Edit4->setText(end);
        Form4->BitBtn1Click();
        ASSERT_EQ(boxes_.size(), 1u) << start << ".." << end;
        EXPECT_EQ(boxes_[0].Text, Message(MsgBadFillRange, 0));
        EXPECT_EQ(boxes_[0].Caption, "Error");
        EXPECT_EQ(boxes_[0].Icon, BoxIcon::Stop);
        EXPECT_EQ(Form4->result(), 0) << "the dialog stays open";
    }
    EXPECT_EQ(f.State.DataLength, 7);
    EXPECT_EQ(f.State.ImageBuffer[0], 0xFF);
}

TEST_F(FillDialogTest, UnconvertibleFieldShowsTheConversionError) {
    Start();
    Form4->Edit1->setText("");
    Form4->Edit3->setText("0");
    Form4->Edit4->setText("F");
    // Through the button, as a user clicks it: the guard shows the error.
    QTest::mouseClick(Form4->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "'0x' is not a valid integer value.");
    EXPECT_EQ(boxes_[0].Caption, "Pyrolan");
    EXPECT_EQ(Main().State.ImageBuffer[0], 0xFF);
}

TEST_F(FillDialogTest, KeyFilterAndUpperCase) {
    Start();
    QLineEdit* edit = Form4->Edit3;
    edit->clear();
    QTest::keyClicks(edit, "1g-aZf");
    EXPECT_EQ(edit->text(), "1AF");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "1A");
    Form4->Edit1->clear();
    QTest::keyClicks(Form4->Edit1, "abc");
    EXPECT_EQ(Form4->Edit1->text(), "AB") << "two characters at most";
}

} // namespace
