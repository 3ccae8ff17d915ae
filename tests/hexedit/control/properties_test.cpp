// The control class: construction state, published properties by name with their streaming
// defaults, MaskChar streaming, the behaviour properties.
#include "hex_test_env.h"

#include <QMetaProperty>
#include <gtest/gtest.h>

TEST(Properties, ConstructionState) {
    TestApp();
    TOrixHexEditor e;
    EXPECT_EQ(e.GetDataSize(), 0);
    EXPECT_EQ(e.GetBytesPerRow(), 16);
    EXPECT_EQ(e.GetOffsetFormat(), "-!10:0x|");
    EXPECT_EQ(e.DocumentName(), "---");
    EXPECT_TRUE(e.ReadOnlyFile());
    EXPECT_FALSE(e.GetModified());
    EXPECT_EQ(e.ColCount(), 51);
    EXPECT_EQ(e.RowCount(), 3);
    for (const TOrixHBookmark& b : e.Bookmarks()) EXPECT_EQ(b.mPosition, -1);
    EXPECT_EQ(e.Cursor(), crIBeam);
    EXPECT_EQ(e.font().family(), "Courier New");
    TOrixHexEditorEx ex;
    EXPECT_EQ(ex.DocumentName(), "Untitled");
}

TEST(Properties, PublishedByNameWithDefaults) {
    TestApp();
    TOrixHexEditorEx e;
    for (const TOrixHPublishedProperty& p : TCustomOrixHexEditor::PublishedProperties()) {
        SCOPED_TRACE(p.Name);
        const QVariant value = e.property(p.Name);
        ASSERT_TRUE(value.isValid());
        if (p.Default.isValid()) {
            // Compared as the default's type: enumerations are numbers there.
            QVariant converted = value;
            ASSERT_TRUE(converted.convert(p.Default.metaType()));
            EXPECT_EQ(converted, p.Default);
        }
    }
    EXPECT_TRUE(e.setProperty("BytesPerRow", 8));
    EXPECT_EQ(e.GetBytesPerRow(), 8);
    EXPECT_TRUE(e.setProperty("ShowRuler", true));
    EXPECT_TRUE(e.GetShowRuler());
    e.setProperty("OffsetFormat", "2%!10:|h");
    EXPECT_EQ(e.GetOffsetFormat(), "2%!10:|h");
    QObject* colors = e.property("Colors").value<QObject*>();
    ASSERT_NE(colors, nullptr);
    EXPECT_TRUE(colors->setProperty("Grid", static_cast<int>(clRed)));
    EXPECT_EQ(e.Colors().Grid(), clRed);
    EXPECT_EQ(e.property("BackupExtension").toString(), ".bak");
    e.setProperty("Version", "something else");
    EXPECT_EQ(e.property("Version").toString(), TCustomOrixHexEditor::kVersion);
    EXPECT_FALSE(e.metaObject()->property(e.metaObject()->indexOfProperty("MaskChar")).isStored());
}

TEST(Properties, MaskCharStreaming) {
    TestApp();
    TOrixHexEditor e;
    QVariant stored;
    EXPECT_FALSE(e.WriteMaskChar_I(stored));
    e.SetMaskChar('*');
    ASSERT_TRUE(e.WriteMaskChar_I(stored));
    EXPECT_EQ(stored.toInt(), 42);
    e.ReadMaskChar(QString("#"));
    EXPECT_EQ(e.GetMaskChar(), '#');
    e.ReadMaskChar(QString("##"));
    EXPECT_EQ(e.GetMaskChar(), '.');
    e.ReadMaskChar(QString());
    EXPECT_EQ(e.GetMaskChar(), '.');
    e.ReadMaskChar_I(0x142);
    EXPECT_EQ(e.GetMaskChar(), 'B');
    e.ReadMaskChar_I(QString("x"));
    EXPECT_EQ(e.GetMaskChar(), '.');
}

TEST(Properties, WantTabsAndBookmarkBitmap) {
    TestApp();
    TOrixHexEditor e;
    EXPECT_TRUE(e.GetDlgCode() & DLGC_WANTTAB);
    EXPECT_TRUE(e.GetDlgCode() & DLGC_WANTCHARS);
    e.SetWantTabs(false);
    EXPECT_FALSE(e.GetDlgCode() & DLGC_WANTTAB);
    try {
        e.SetBookmarkBitmap(QImage(10, 200, QImage::Format_RGB32));
        FAIL();
    } catch (const EOrixHexEditor& x) {
        EXPECT_STREQ(x.what(), "Invalid bookmark bitmap (must be 10 x 200 px)");
    }
    EXPECT_FALSE(e.HasCustomBookmarkBitmap());
    QImage custom(200, 10, QImage::Format_RGB32);
    custom.fill(Qt::green);
    e.SetBookmarkBitmap(custom);
    EXPECT_TRUE(e.HasCustomBookmarkBitmap());
    e.SetBookmarkBitmap(QImage());
    EXPECT_FALSE(e.HasCustomBookmarkBitmap());
    ASSERT_EQ(e.BookmarkGlyphs().size(), 20u);
    // Corners transparent (the strip's top-left colour), the box yellow.
    EXPECT_EQ(qAlpha(e.BookmarkGlyphs()[0].pixel(0, 0)), 0);
    EXPECT_EQ(e.BookmarkGlyphs()[0].pixel(1, 1) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(e.BookmarkGlyphs()[10].pixel(3, 1) & 0xFFFFFF, 0xFFFF00u);
}

TEST(Grid, CountsClampCellAndTopLeft) {
    ShownEditor e(16 * 200);
    e->Seek(16 * 190, 0);
    EXPECT_GT(e->TopRow(), 100);
    LoadBytes(*e, Pattern(20));
    EXPECT_EQ(e->TopRow(), 2);
    EXPECT_LT(e->Row(), e->RowCount());
    EXPECT_EQ(e->CellRect(2, 150), TRect{});
    EXPECT_EQ(e->MouseCoord(-5, -5), GridCoord(0, 0));
}
