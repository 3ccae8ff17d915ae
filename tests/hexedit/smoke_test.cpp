#include "hex_test_env.h"
#include "orix_hex_editor_ex.h"

#include <gtest/gtest.h>

TEST(HexEditorSmoke, LoadsAndReadsBack) {
    TestApp();
    TOrixHexEditorEx editor;
    TMemoryStream stream;
    const char data[] = "0123456789";
    stream.WriteBuffer(data, 10);
    editor.LoadFromStream(stream);
    EXPECT_EQ(editor.GetDataSize(), 10);
    char back[10] = {};
    editor.ReadBuffer(back, 0, 10);
    EXPECT_EQ(std::string(back, 10), "0123456789");
}
