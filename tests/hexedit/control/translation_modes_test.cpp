// The control's translation: its kind, mask character and masked set, and the data store's
// translation of ranges in place.
#include "hex_test_env.h"

#include <gtest/gtest.h>

TEST(Translation, ControlUsesItsKindMaskCharAndMaskedChars) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, {0xC1, 0x0A, 0x41, 0x80});
    EXPECT_EQ(e.TranslateToAnsiChar(0x0A), '.');
    EXPECT_EQ(e.TranslateFromAnsiChar(9), 0);
    e.SetTranslation(tkBCD);
    EXPECT_EQ(e.TranslateToAnsiChar(0xC1), 'A');
    EXPECT_EQ(e.TranslateFromAnsiChar('A'), 0xC1);
    e.SetMaskChar('*');
    TOrixHCharSet letters;
    letters.set('A');
    e.SetMaskedChars(letters);
    EXPECT_EQ(e.GetMaskedChars(), letters);
    EXPECT_EQ(e.TranslateToAnsiChar(0xC1), '*');
    EXPECT_EQ(e.TranslateToAnsiChar(0x0A), 0x93); // not in the set
    e.SetTranslation(tkAsIs);
    EXPECT_EQ(e.TranslateFromAnsiChar('A'), 0x00); // the typed byte is masked
}

TEST(Translation, RangesOfTheStoreInPlace) {
    TestApp();
    TOrixHexEditor e;
    LoadBytes(e, {0xC1, 0xC2, 0xF0, 0x40});
    TOrixHMemoryStream& store = e.DataStore();
    // As-is and empty ranges move nothing, so even a range outside the data is no error.
    EXPECT_NO_THROW(store.TranslateToAnsi(tkAsIs, 2, 100));
    EXPECT_NO_THROW(store.TranslateFromAnsi(tkAsIs, -1, 1));
    EXPECT_NO_THROW(store.TranslateToAnsi(tkBCD, 9, 0));
    try {
        store.TranslateToAnsi(tkBCD, 2, 3);
        ADD_FAILURE();
    } catch (const EOrixHexEditor& x) {
        EXPECT_STREQ(x.what(), "Data position/length out of data bounds");
    }
    EXPECT_EQ(e.GetDataAt(2), 0xF0); // nothing translated before the refusal
    store.TranslateToAnsi(tkBCD, 1, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(e.GetFastPointer(0, 4)), 4),
              std::string("\xC1"
                          "B0 "));
    store.TranslateFromAnsi(tkBCD, 0, 4);
    EXPECT_EQ(e.GetDataAt(0), 0x41); // the inverse half: ANSI 0xC1 is EBCDIC 0x41
    EXPECT_EQ(e.GetDataAt(1), 0xC2);
}
