// Painting checked on rendered pixels at chosen cells.
#include "hex_test_env.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {
QImage Render(TCustomOrixHexEditor& e) {
    QApplication::processEvents();
    return e.viewport()->grab().toImage();
}

// The text background at the bottom-left of a cell's character box (no glyph pixel there).
QColor TextBackground(TCustomOrixHexEditor& e, const QImage& image, int col, int row) {
    const TRect r = e.CellRect(col, row);
    return image.pixelColor(r.Left + 1, r.Bottom - 1);
}

// The brush in the gap right of a cell's character box.
QColor Gap(TCustomOrixHexEditor& e, const QImage& image, int col, int row) {
    const TRect r = e.CellRect(col, row);
    return image.pixelColor(r.Left + e.CharPixelWidth() + 2, r.Bottom - 2);
}

bool HasColor(const QImage& image, const TRect& r, QColor color) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (image.pixelColor(x, y) == color) return true;
    return false;
}

const QColor kWhite(255, 255, 255), kBlack(0, 0, 0), kNavy(0, 0, 128);
} // namespace

TEST(Paint, SelectionIsInvertedExceptTheLastGap) {
    ShownEditor e(64);
    e->NewSelection(4, 7);
    const QImage image = Render(*e);
    const int row = 2;
    EXPECT_EQ(TextBackground(*e, image, 2 + 2 * 5, row), kBlack); // byte 5, selected
    EXPECT_EQ(TextBackground(*e, image, 2 + 2 * 8, row), kWhite); // byte 8, not
    EXPECT_EQ(Gap(*e, image, 2 + 2 * 5 + 1, row), kBlack);        // gap after byte 5
    EXPECT_EQ(Gap(*e, image, 2 + 2 * 7 + 1, row), kWhite);        // gap after byte 7
    EXPECT_EQ(TextBackground(*e, image, 35 + 6, row), kBlack);    // character of byte 6
    // Hex digits alternate blue and navy every two bytes.
    EXPECT_TRUE(HasColor(image, e->CellRect(2 + 2 * 8, row), QColor(0, 0, 255)));
    EXPECT_TRUE(HasColor(image, e->CellRect(2 + 2 * 10, row), kNavy));
}

TEST(Paint, ChangedBytes) {
    ShownEditor e(64);
    e->SetChanged(9, true);
    const QImage image = Render(*e);
    const QColor lightYellow(255, 255, 168), maroon(128, 0, 0);
    EXPECT_EQ(TextBackground(*e, image, 2 + 2 * 9, 2), lightYellow);
    EXPECT_EQ(TextBackground(*e, image, 35 + 9, 2), lightYellow);
    EXPECT_TRUE(HasColor(image, e->CellRect(2 + 2 * 9, 2), maroon));
    e->SetInsertMode(true);
    EXPECT_EQ(TextBackground(*e, Render(*e), 2 + 2 * 9, 2), kWhite);
}

TEST(Paint, CaretFrameInTheOtherField) {
    ShownEditor e(64);
    e->SetFocusFrame(false);
    e->SetSelStart(5);
    QImage image = Render(*e);
    TRect ch = e->CellRect(35 + 5, 2);
    EXPECT_EQ(image.pixelColor(ch.Left, ch.Top), kNavy);
    EXPECT_EQ(image.pixelColor(ch.Left + e->CharPixelWidth() - 1, ch.Bottom - 2), kNavy);
    EXPECT_NE(image.pixelColor(e->CellRect(35 + 6, 2).Left, ch.Top), kNavy);
    e->SetInCharField(true);
    image = Render(*e);
    const TRect first = e->CellRect(2 + 2 * 5, 2);
    const TRect second = e->CellRect(3 + 2 * 5, 2);
    EXPECT_EQ(image.pixelColor(first.Left, first.Top), kNavy);
    EXPECT_EQ(image.pixelColor(second.Left + e->CharPixelWidth() - 1, first.Top), kNavy);
    ch = e->CellRect(35 + 5, 2);
    EXPECT_NE(image.pixelColor(ch.Left, ch.Top + 2), kNavy);
}

TEST(Paint, UnfocusedSelectionGrayHiddenOrShownPosition) {
    ShownEditor e(64);
    e->SetChanged(5, true);
    e->NewSelection(4, 7);
    const int col = 2 + 2 * 5;
    EXPECT_EQ(TextBackground(*e, Render(*e), col, 2), QColor(0, 0, 87)); // inverted light yellow
    e->clearFocus();
    QApplication::processEvents();
    ASSERT_FALSE(e->hasFocus());
    EXPECT_EQ(TextBackground(*e, Render(*e), col, 2), QColor(0, 0, 87));
    e->SetGraySelectionIfNotFocused(true);
    EXPECT_EQ(TextBackground(*e, Render(*e), col, 2), QColor(12, 12, 12));
    e->SetHideSelection(true);
    EXPECT_EQ(TextBackground(*e, Render(*e), col, 2), QColor(255, 255, 168));
    // An aqua outline marks the caret cell only with ShowPositionIfNotFocused.
    e->SetFocusFrame(false);
    const TRect caret = e->CellRect(e->Col(), e->Row());
    EXPECT_NE(Render(*e).pixelColor(caret.Left, caret.Top), QColor(0, 255, 255));
    e->SetShowPositionIfNotFocused(true);
    EXPECT_EQ(Render(*e).pixelColor(caret.Left, caret.Top), QColor(0, 255, 255));
}

TEST(Paint, GutterRulerAndBookmarks) {
    ShownEditor e(64);
    e->SetShowRuler(true);
    e->SetSelStart(0x12); // row 3
    e->SetBookmarkRaw(1, 0x30, false);
    e->SetBookmarkRaw(3, 0x31, true);
    const QImage image = Render(*e);
    const TRect current = e->CellRect(0, 3);
    const TRect other = e->CellRect(0, 2);
    EXPECT_EQ(image.pixelColor(current.Left + 1, current.Bottom - 1), QColor(160, 160, 160));
    EXPECT_EQ(image.pixelColor(other.Left + 1, other.Bottom - 1), QColor(240, 240, 240));
    // Offset text right-aligned: its last pixels lie 4 pixels left of the right edge.
    EXPECT_TRUE(HasColor(
        image,
        TRect{other.Right - 4 - e->CharPixelWidth(), other.Top, other.Right - 4, other.Bottom},
        kBlack));
    // Glyph 13 over glyph 1: its box stands at columns 3..8 of the glyph.
    const TRect mark = e->CellRect(0, 5);
    const int gx = mark.Left + 3, gy = mark.Top + (mark.Height() - 10) / 2;
    EXPECT_EQ(image.pixelColor(gx + 3, gy + 1), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(gx + 1, gy + 1), kBlack);
    // The ruler cell above the caret's column.
    const TRect ruler = e->CellRect(e->Col(), 0);
    EXPECT_EQ(image.pixelColor(ruler.Left + 1, ruler.Bottom - 1), QColor(160, 160, 160));
}

TEST(Paint, SwapNibblesAndDrawCellEvent) {
    ShownEditor e(4);
    const uint8_t b = 0x3A;
    e->WriteBuffer(&b, 1, 1);
    std::vector<QString> texts;
    e->OnDrawCell = [&](TCustomOrixHexEditor*, TCanvas&, int32_t col, int32_t row, QString& text,
                        const TRect&, bool&) {
        if (row == 2 && (col == 4 || col == 5)) texts.push_back(text);
    };
    Render(*e);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "3");
    EXPECT_EQ(texts.back(), "A");
    texts.clear();
    e->SetSwapNibbles(true);
    Render(*e);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "A");
    EXPECT_EQ(texts.back(), "3");
}

TEST(Colors, DefaultsAssignAndSystemColours) {
    TestApp();
    TOrixHexEditor e;
    TOrixHColors& c = e.Colors();
    EXPECT_EQ(c.Background(), clWindow);
    EXPECT_EQ(c.ChangedBackground(), 0x00A8FFFF);
    EXPECT_EQ(c.ChangedText(), clMaroon);
    EXPECT_EQ(c.CurrentOffsetBackground(), clBtnShadow);
    EXPECT_EQ(c.NonFocusCursorFrame(), clAqua);
    TOrixHColors other(nullptr);
    other.SetBackground(clYellow);
    other.SetGrid(clRed);
    c.Assign(&other);
    EXPECT_EQ(c.Grid(), clRed);
    EXPECT_EQ(e.Color(), clYellow);
    c.Assign(&e); // not a colour set: ignored
    EXPECT_EQ(c.Grid(), clRed);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xF0F0F0);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0xA0A0A0);
    EXPECT_EQ(TCustomOrixHexEditor::InvertColor(clWindow), 0);
    EXPECT_EQ(TCustomOrixHexEditor::FadeToGray(clWhite), 0xFFFFFF);
    EXPECT_EQ(TCustomOrixHexEditor::FadeToGray(clBlack), 0);
}

TEST(Paint, CellsPastTheDataKeepTheControlColour) {
    ShownEditor e(20);
    e->Colors().SetActiveFieldBackground(clYellow);
    const QImage image = Render(*e);
    const QColor yellow(255, 255, 0);
    // Row 1 holds bytes 16..19; the hex field is active, so its cells with data are yellow,
    // the cells past the data show the control's Color (the Background).
    EXPECT_EQ(TextBackground(*e, image, 2 + 2 * 1, 3), yellow);
    EXPECT_EQ(TextBackground(*e, image, 2 + 2 * 6, 3), kWhite);
    EXPECT_EQ(Gap(*e, image, 2 + 2 * 6 + 1, 3), kWhite);
    // The character field is not active.
    EXPECT_EQ(TextBackground(*e, image, 35 + 1, 3), kWhite);
}
