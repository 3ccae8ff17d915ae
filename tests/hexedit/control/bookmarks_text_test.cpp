// The bookmarks as text: the "$" form written and read, the checksummed hexadecimal form read,
// and what a damaged text leaves behind.
#include "hex_test_env.h"
#include "sysutils.h"

#include <gtest/gtest.h>

namespace {

struct TextEditor {
    std::unique_ptr<TOrixHexEditorEx> editor;
    int notifications = 0;
    TextEditor() {
        TestApp();
        editor = std::make_unique<TOrixHexEditorEx>();
        LoadBytes(*editor, Pattern(1024));
        editor->OnBookmarkChanged = [this](TCustomOrixHexEditor*) { ++notifications; };
    }
    TOrixHexEditorEx* operator->() { return editor.get(); }
};

// A hexadecimal text: its checksum, then the groups as given.
std::string HexText(const std::string& groups) {
    uint32_t sum = 0;
    for (const char c : groups) sum += static_cast<uint8_t>(c);
    return IntToHex(sum, 8) + groups;
}

std::string Group(int index, const std::string& position, const std::string& flag) {
    return IntToHex(static_cast<uint64_t>(index), 2) + position + flag;
}

} // namespace

TEST(BookmarksText, DollarFormByteForByte) {
    TextEditor e;
    EXPECT_EQ(e->GetBookmarksAsString(), "");
    e->SetBookmarkVals(3, 256, true);
    const std::string text = e->GetBookmarksAsString();
    ASSERT_EQ(text.size(), 81u);
    EXPECT_EQ(text[0], '$');
    const std::string record3("\x00\x01\x00\x00\x01\x00\x00\x00", 8);
    EXPECT_EQ(text.substr(25, 8), record3);
    for (size_t i = 0; i < 10; ++i) {
        if (i == 3) continue;
        EXPECT_EQ(text.substr(1 + 8 * i, 8), std::string("\xFF\xFF\xFF\xFF\x00\x00\x00\x00", 8))
            << "record " << i;
    }

    TextEditor fresh;
    fresh->SetBookmarkVals(7, 5, false);
    fresh.notifications = 0;
    fresh->SetBookMarksAsString(text);
    EXPECT_EQ(fresh.notifications, 1);
    EXPECT_EQ(fresh->PaintLockCount(), 0);
    for (int i = 0; i < 10; ++i) {
        const TOrixHBookmark mark = fresh->GetBookmark(static_cast<uint8_t>(i));
        EXPECT_EQ(mark.mPosition, i == 3 ? 256 : -1) << i;
    }
    EXPECT_TRUE(fresh->GetBookmark(3).mInCharField);
    EXPECT_EQ(fresh->GetBookmarksAsString(), text);
}

TEST(BookmarksText, DollarFormReadsRawValues) {
    TextEditor e;
    // Positions are kept as they are, also past the data and negative; a flag byte that is
    // not 0 counts as set; bytes after the tenth record are ignored.
    std::string text = "$";
    const int32_t positions[10] = {0, INT32_MAX, -5, -1, 1023, 1024, 2, 3, 4, 5};
    for (int i = 0; i < 10; ++i) {
        const auto p = static_cast<uint32_t>(positions[i]);
        for (int b = 0; b < 4; ++b) text += static_cast<char>((p >> (8 * b)) & 0xFF);
        text += static_cast<char>(i == 4 ? 0x80 : i % 2);
        text += "\x7F\x7F\x7F";
    }
    text += "trailing";
    e->SetBookMarksAsString(text);
    for (int i = 0; i < 10; ++i) {
        const TOrixHBookmark mark = e->GetBookmark(static_cast<uint8_t>(i));
        EXPECT_EQ(mark.mPosition, positions[i]) << i;
        EXPECT_EQ(mark.mInCharField, i == 4 || i % 2 == 1) << i;
    }
    const std::string written = e->GetBookmarksAsString();
    EXPECT_EQ(written.size(), 81u);
    EXPECT_EQ(written[1 + 8 * 4 + 4], '\x01');
    EXPECT_EQ(written.substr(1 + 8 * 4 + 5, 3), std::string(3, '\0'));
}

TEST(BookmarksText, EmptyTextClearsAll) {
    TextEditor e;
    for (uint8_t i = 0; i < 10; ++i) e->SetBookmarkVals(i, i * 10, false);
    e.notifications = 0;
    e->SetBookMarksAsString("");
    EXPECT_EQ(e.notifications, 1);
    for (uint8_t i = 0; i < 10; ++i) EXPECT_EQ(e->GetBookmark(i).mPosition, -1);
    EXPECT_EQ(e->GetBookmarksAsString(), "");
}

TEST(BookmarksText, TextsAsTable) {
    // The full "$" text of bookmarks 0..9 at 100..109, the source of the short one.
    TextEditor source;
    for (uint8_t i = 0; i < 10; ++i) source->SetBookmarkVals(i, 100 + i, true);
    const std::string full = source->GetBookmarksAsString();
    const std::string f16(16, 'F');

    struct Case {
        const char* name;
        std::string text;
        bool fails;
        std::vector<std::pair<int32_t, bool>> after; // every bookmark, in order
    };
    const std::pair<int32_t, bool> unset{-1, false};
    std::vector<std::pair<int32_t, bool>> nineSet;
    for (int i = 0; i < 9; ++i) nineSet.push_back({100 + i, true});
    nineSet.push_back(unset);
    auto only = [&](int index, int32_t position, bool flag) {
        std::vector<std::pair<int32_t, bool>> marks(10, unset);
        marks[static_cast<size_t>(index)] = {position, flag};
        return marks;
    };
    const std::vector<Case> cases = {
        {"dollar text of 80 characters", full.substr(0, 80), true, nineSet},
        {"dollar alone", "$", true, only(0, -1, false)},
        {"checksum of nothing is 0", "00000000", false, only(0, -1, false)},
        {"wrong checksum", "00000001", true, only(0, -1, false)},
        {"checksum shorter than 8 digits", "0", false, only(0, -1, false)},
        {"group index 0A", HexText(Group(10, std::string(16, '0'), "00")), true,
         only(0, -1, false)},
        {"lower-case digits", HexText("03" + std::string("00000000000001ff") + "01"), false,
         only(3, 0x1FF, true)},
        {"sixteen F digits are -1", HexText(Group(2, f16, "01")), false, only(2, -1, true)},
        {"only the low 32 bits count", HexText(Group(4, "FFFFFFFF00000100", "00")), false,
         only(4, 256, false)},
        {"a flag that is not 0 counts as set", HexText(Group(5, std::string(15, '0') + "7", "10")),
         false, only(5, 7, true)},
        {"a cut group reads what is there", HexText("0610"), false, only(6, 16, false)},
        {"a group with only its index", HexText("07"), false, only(7, 0, false)},
        {"a later group overrides",
         HexText(Group(8, std::string(15, '0') + "1", "00") +
                 Group(8, std::string(15, '0') + "2", "01")),
         false, only(8, 2, true)},
        {"setting the same value keeps it",
         HexText(Group(9, std::string(15, '0') + "3", "00") +
                 Group(9, std::string(15, '0') + "3", "00")),
         false, only(9, 3, false)},
        {"a character that is no digit", HexText(Group(1, std::string(15, '0') + "G", "00")), true,
         only(0, -1, false)},
        {"groups before a fault stay", HexText(Group(1, std::string(15, '0') + "9", "00") + "0Z"),
         true, only(1, 9, false)},
        {"checksum with a non-digit", "0000000G", true, only(0, -1, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextEditor e;
        for (uint8_t i = 0; i < 10; ++i) e->SetBookmarkVals(i, 500 + i, true);
        e.notifications = 0;
        bool failed = false;
        try {
            e->SetBookMarksAsString(c.text);
        } catch (const EOrixHexEditor& x) {
            failed = true;
            EXPECT_STREQ(x.what(), "Invalid bookmark format");
        }
        EXPECT_EQ(failed, c.fails);
        EXPECT_EQ(e.notifications, 1);
        EXPECT_EQ(e->PaintLockCount(), 0);
        for (int i = 0; i < 10; ++i) {
            const TOrixHBookmark mark = e->GetBookmark(static_cast<uint8_t>(i));
            EXPECT_EQ(mark.mPosition, c.after[static_cast<size_t>(i)].first) << "bookmark " << i;
            if (mark.mPosition != -1 || c.after[static_cast<size_t>(i)].second) {
                EXPECT_EQ(mark.mInCharField, c.after[static_cast<size_t>(i)].second)
                    << "bookmark " << i;
            }
        }
        // Notifications flow again afterwards.
        e->SetBookmarkVals(0, 1, false);
        EXPECT_EQ(e.notifications, 2);
    }
}

TEST(BookmarksText, ClearedBookmarksTakeTheCaretsField) {
    ShownEditor e(64);
    e->SetInCharField(true);
    ASSERT_TRUE(e->GetInCharField());
    e->SetBookMarksAsString("");
    for (uint8_t i = 0; i < 10; ++i) EXPECT_TRUE(e->GetBookmark(i).mInCharField);
    // A group that sets a bookmark to -1 in the caret's field matches the cleared one and
    // leaves it.
    e->SetBookMarksAsString(HexText(Group(0, std::string(16, 'F'), "01")));
    EXPECT_EQ(e->GetBookmark(0).mPosition, -1);
    EXPECT_TRUE(e->GetBookmark(0).mInCharField);
}
