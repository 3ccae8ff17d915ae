// The main window's hex view takes the values of its form description.
#include "flash_editor_form.h"
#include "window_fixture.h"

#include <gtest/gtest.h>

TEST(FlashEditorForm, MainWindowValues) {
    TestApplication();
    TOrixHexEditorEx e;
    ApplyFlashEditorForm(e);
    EXPECT_TRUE(e.GetShowRuler());
    EXPECT_EQ(e.GetBytesPerRow(), 16);
    EXPECT_EQ(e.GetOffsetFormat(), "-!10:0x|");
    EXPECT_EQ(e.Colors().ChangedBackground(), 0xA8FFFF);
    EXPECT_EQ(e.Colors().CurrentOffsetBackground(), clBtnShadow);
    EXPECT_EQ(e.font().pixelSize(), 15);
    EXPECT_EQ(e.GetPrintFont().pixelSize(), 15);
    EXPECT_EQ(e.GetBackupExtension(), ".bak");
}
