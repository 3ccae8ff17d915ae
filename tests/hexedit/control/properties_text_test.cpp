// The control's settings as Name=Value text: what is written and in which order, how each
// line is read back, and how a host narrows the public paths.
#include "hex_test_env.h"
#include "sysutils.h"

#include <gtest/gtest.h>

namespace {

// Every line of a new control's text, in order.
const char* const kDefaultText = "CreateBackup=True\r\n"
                                 "BackupExtension=.bak\r\n"
                                 "OleDragDrop=False\r\n"
                                 "ClipboardAsHexText=False\r\n"
                                 "FlushClipboardAtShutDown=False\r\n"
                                 "SupportsOtherClipFormats=True\r\n"
                                 "PrintOptions.MarginLeft=20\r\n"
                                 "PrintOptions.MarginTop=15\r\n"
                                 "PrintOptions.MarginRight=25\r\n"
                                 "PrintOptions.MarginBottom=25\r\n"
                                 "PrintOptions.PageHeader=\r\n"
                                 "PrintOptions.PageFooter=\r\n"
                                 "PrintOptions.Flags=pfSelectionBold,pfMonochrome\r\n"
                                 "PrintFont.Charset=1\r\n"
                                 "PrintFont.Color=-16777208\r\n"
                                 "PrintFont.Name=Courier New\r\n"
                                 "PrintFont.Size=11\r\n"
                                 "PrintFont.Style=\r\n"
                                 "UseEditorFontForPrinting=True\r\n"
                                 "ZoomOnWheel=True\r\n"
                                 "Font.Charset=1\r\n"
                                 "Font.Color=-16777208\r\n"
                                 "Font.Name=Courier New\r\n"
                                 "Font.Size=11\r\n"
                                 "Font.Style=\r\n"
                                 "AutoBytesPerRow=False\r\n"
                                 "BytesPerRow=16\r\n"
                                 "BytesPerColumn=2\r\n"
                                 "Translation=tkAsIs\r\n"
                                 "OffsetFormat=-!10:0x|\r\n"
                                 "CaretKind=ckAuto\r\n"
                                 "Colors.Background=-16777211\r\n"
                                 "Colors.ChangedBackground=11075583\r\n"
                                 "Colors.ChangedText=128\r\n"
                                 "Colors.CursorFrame=8388608\r\n"
                                 "Colors.Offset=0\r\n"
                                 "Colors.OddColumn=16711680\r\n"
                                 "Colors.EvenColumn=8388608\r\n"
                                 "Colors.CurrentOffsetBackground=-16777200\r\n"
                                 "Colors.OffsetBackground=-16777201\r\n"
                                 "Colors.CurrentOffset=-16777196\r\n"
                                 "Colors.Grid=-16777201\r\n"
                                 "Colors.NonFocusCursorFrame=16776960\r\n"
                                 "Colors.ActiveFieldBackground=-16777211\r\n"
                                 "FocusFrame=True\r\n"
                                 "SwapNibbles=False\r\n"
                                 "MaskChar=46\r\n"
                                 "NoSizeChange=False\r\n"
                                 "AllowInsertMode=True\r\n"
                                 "DrawGridLines=False\r\n"
                                 "ReadOnlyView=False\r\n"
                                 "HideSelection=False\r\n"
                                 "GraySelectionIfNotFocused=False\r\n"
                                 "GutterWidth=-1\r\n"
                                 "MaxUndo=1048576\r\n"
                                 "InsertMode=False\r\n"
                                 "HexLowerCase=False\r\n"
                                 "DrawGutter3D=True\r\n"
                                 "ShowRuler=False\r\n"
                                 "BytesPerUnit=1\r\n"
                                 "RulerBytesPerUnit=-1\r\n"
                                 "ShowPositionIfNotFocused=False\r\n"
                                 "UnicodeChars=False\r\n"
                                 "UnicodeBigEndian=False\r\n"
                                 "BytesPerBlock=-1\r\n"
                                 "SeparateBlocksInCharField=True\r\n"
                                 "FindProgress=False\r\n"
                                 "RulerNumberBase=16\r\n";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TOrixHexEditorEx& NewEditor(std::unique_ptr<TOrixHexEditorEx>& holder) {
    TestApp();
    holder = std::make_unique<TOrixHexEditorEx>();
    return *holder;
}

} // namespace

TEST(PropertiesText, DefaultText) {
    std::unique_ptr<TOrixHexEditorEx> holder;
    TOrixHexEditorEx& e = NewEditor(holder);
    const std::string text = e.GetPropertiesAsString();
    EXPECT_EQ(Lines(text).size(), 68u);
    EXPECT_EQ(text, kDefaultText);
}

TEST(PropertiesText, FontSizeInPointsForAPixelFont) {
    std::unique_ptr<TOrixHexEditorEx> holder;
    TOrixHexEditorEx& e = NewEditor(holder);
    QFont font("Courier New");
    font.setPixelSize(15); // the main window's hex view font: 15 pixels high, no point size
    e.setFont(font);
    e.SetPrintFontFrom(font);
    ASSERT_LE(e.font().pointSize(), 0);
    const std::vector<std::string> lines = Lines(e.GetPropertiesAsString());
    const int dpi = e.logicalDpiY();
    const std::string points = std::to_string(qRound(15 * 72.0 / dpi));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Font.Size=" + points), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "PrintFont.Size=" + points), lines.end());
}

namespace {
// Changes many settings through the text, writes them, applies them to a fresh control and
// checks that it writes the same text.
void CheckRoundTrip(const std::string& changes) {
    std::unique_ptr<TOrixHexEditorEx> a, b;
    NewEditor(a).SetPropertiesAsString(changes);
    const std::string written = a->GetPropertiesAsString();
    for (const std::string& line : Lines(changes)) {
        std::string wanted = line;
        // Names are written as the properties' own.
        if (wanted.rfind("colors.offsetbackground", 0) == 0)
            wanted.replace(0, 23, "Colors.OffsetBackground");
        EXPECT_NE(written.find(wanted + "\r\n"), std::string::npos) << line;
    }
    NewEditor(b).SetPropertiesAsString(written);
    EXPECT_EQ(b->GetPropertiesAsString(), written);
}
} // namespace

TEST(PropertiesText, RoundTrip) {
    CheckRoundTrip("CreateBackup=False\r\n"
                   "BackupExtension=$10\r\n"
                   "ClipboardAsHexText=True\r\n"
                   "FlushClipboardAtShutDown=True\r\n"
                   "SupportsOtherClipFormats=False\r\n"
                   "PrintFont.Charset=0\r\n"
                   "PrintFont.Color=255\r\n"
                   "PrintFont.Name=DejaVu Sans Mono\r\n"
                   "PrintFont.Size=9\r\n"
                   "PrintFont.Style=fsBold,fsStrikeOut\r\n"
                   "UseEditorFontForPrinting=False\r\n"
                   "ZoomOnWheel=False\r\n"
                   "Font.Charset=134\r\n"
                   "Font.Color=-16777202\r\n"
                   "Font.Name=DejaVu Sans Mono\r\n"
                   "Font.Size=14\r\n"
                   "Font.Style=fsItalic,fsUnderline\r\n"
                   "BytesPerRow=24\r\n"
                   "BytesPerColumn=4\r\n"
                   "Translation=tkDos8\r\n"
                   "OffsetFormat=2%!10:|h\r\n"
                   "CaretKind=ckBottom\r\n"
                   "Colors.Background=-16777201\r\n"
                   "Colors.ChangedText=65280\r\n"
                   "colors.offsetbackground=-16777211\r\n"
                   "Colors.ActiveFieldBackground=12632256\r\n"
                   "FocusFrame=False\r\n"
                   "SwapNibbles=True\r\n"
                   "MaskChar=42\r\n"
                   "DrawGridLines=True\r\n"
                   "HideSelection=True\r\n"
                   "GraySelectionIfNotFocused=True\r\n"
                   "GutterWidth=80\r\n"
                   "MaxUndo=4096\r\n"
                   "HexLowerCase=True\r\n"
                   "DrawGutter3D=False\r\n"
                   "ShowRuler=True\r\n"
                   "BytesPerUnit=2\r\n"
                   "RulerBytesPerUnit=4\r\n"
                   "ShowPositionIfNotFocused=True\r\n"
                   "BytesPerBlock=8\r\n"
                   "SeparateBlocksInCharField=False\r\n"
                   "FindProgress=True\r\n"
                   "RulerNumberBase=10\r\n");
}

TEST(PropertiesText, RoundTripOfPrintOptionsAndDragDrop) {
    CheckRoundTrip("OleDragDrop=True\r\n"
                   "PrintOptions.MarginLeft=5\r\n"
                   "PrintOptions.MarginTop=6\r\n"
                   "PrintOptions.MarginRight=7\r\n"
                   "PrintOptions.MarginBottom=8\r\n"
                   "PrintOptions.PageHeader=%F||Page %P of %N\r\n"
                   "PrintOptions.PageFooter=007\r\n"
                   "PrintOptions.Flags=pfSelectionOnly,pfUseBackgroundColor,pfIncludeRuler\r\n");
}

TEST(PropertiesText, SystemColoursReadBackAsSystemColours) {
    std::unique_ptr<TOrixHexEditorEx> holder;
    TOrixHexEditorEx& e = NewEditor(holder);
    e.SetPropertiesAsString("Colors.Grid=-16777211\r\nColors.Offset=-16777201\r\n"
                            "Colors.Background=16777215\r\nFont.Color=-16777198\r\n");
    EXPECT_EQ(e.Colors().Grid(), clWindow);
    EXPECT_EQ(e.Colors().Offset(), clBtnFace);
    EXPECT_EQ(e.Colors().Background(), clWhite);
    EXPECT_NE(e.GetPropertiesAsString().find("Font.Color=-16777198\r\n"), std::string::npos);
}

TEST(PropertiesText, SetterLinesAsTable) {
    using Check = std::function<void(TOrixHexEditorEx&)>;
    struct Case {
        const char* text;
        const char* error; // nullptr: none
        Check check;
    };
    const std::vector<Case> cases = {
        // Booleans: their names in any case, or the ordinal.
        {"showruler=True", nullptr, [](auto& e) { EXPECT_TRUE(e.GetShowRuler()); }},
        {"ShowRuler=true\nFocusFrame=FALSE", nullptr,
         [](auto& e) {
             EXPECT_TRUE(e.GetShowRuler());
             EXPECT_FALSE(e.GetFocusFrame());
         }},
        {"ShowRuler=1", nullptr, [](auto& e) { EXPECT_TRUE(e.GetShowRuler()); }},
        {"ShowRuler=2", "Invalid property value: 2", nullptr},
        {"ShowRuler=Yes", "Invalid property element: Yes", nullptr},
        // Numbers, also hexadecimal after "$".
        {"BytesPerRow=$20", nullptr, [](auto& e) { EXPECT_EQ(e.GetBytesPerRow(), 32); }},
        {"BytesPerRow=8\r\nBytesPerRow=12", nullptr,
         [](auto& e) { EXPECT_EQ(e.GetBytesPerRow(), 12); }},
        {"GutterWidth=abc", "'abc' is not a valid integer value", nullptr},
        {"MaxUndo=4294967296", "Invalid property value: 4294967296", nullptr},
        {"MaxUndo=$FFFFFFFF", "Invalid property value: $FFFFFFFF", nullptr},
        {"MaxUndo=-2147483648", nullptr, [](auto& e) { EXPECT_EQ(e.GetMaxUndo(), INT32_MIN); }},
        {"RulerNumberBase=10", nullptr, [](auto& e) { EXPECT_EQ(e.GetRulerNumberBase(), 10); }},
        {"RulerNumberBase=266", "Invalid property value: 266", nullptr},
        {"Font.Charset=0", nullptr, nullptr},
        {"Font.Charset=256", "Invalid property value: 256", nullptr},
        {"Font.Size=14", nullptr, [](auto& e) { EXPECT_EQ(e.font().pointSize(), 14); }},
        {"Font.Size=0", "Invalid property value: 0", nullptr},
        // The mask character takes a character code and nothing else.
        {"MaskChar=46", nullptr, [](auto& e) { EXPECT_EQ(e.GetMaskChar(), '.'); }},
        {"MaskChar=$2A", nullptr, [](auto& e) { EXPECT_EQ(e.GetMaskChar(), '*'); }},
        {"MaskChar=256", "Invalid property value: 256", nullptr},
        {"MaskChar=*", "Invalid property value: *", nullptr},
        // Enumerations: names in any case, or ordinals inside the enumeration.
        {"CaretKind=ckLeft", nullptr, [](auto& e) { EXPECT_EQ(e.GetCaretKind(), ckLeft); }},
        {"CaretKind=CKBOTTOM", nullptr, [](auto& e) { EXPECT_EQ(e.GetCaretKind(), ckBottom); }},
        {"CaretKind=0", nullptr, [](auto& e) { EXPECT_EQ(e.GetCaretKind(), ckFull); }},
        {"CaretKind=4", "Invalid property value: 4", nullptr},
        {"CaretKind=ckNone", "Invalid property element: ckNone", nullptr},
        {"Translation=tkMac", nullptr, [](auto& e) { EXPECT_EQ(e.GetTranslation(), tkMac); }},
        {"Translation=6", "Invalid property value: 6", nullptr},
        // Sets: member names separated by "," or blanks, with or without brackets.
        {"Font.Style=[fsBold, fsItalic]", nullptr,
         [](auto& e) {
             EXPECT_TRUE(e.font().bold());
             EXPECT_TRUE(e.font().italic());
             EXPECT_FALSE(e.font().underline());
         }},
        {"Font.Style=fsUnderline fsStrikeOut", nullptr,
         [](auto& e) {
             EXPECT_TRUE(e.font().underline());
             EXPECT_TRUE(e.font().strikeOut());
             EXPECT_FALSE(e.font().bold());
         }},
        {"Font.Style=fsBold\nFont.Style=", nullptr, [](auto& e) { EXPECT_FALSE(e.font().bold()); }},
        {"Font.Style=fsHeavy", "Invalid property element: fsHeavy", nullptr},
        // Strings are taken as written.
        {"BackupExtension=$10", nullptr, [](auto& e) { EXPECT_EQ(e.GetBackupExtension(), "$10"); }},
        {"BackupExtension=007", nullptr, [](auto& e) { EXPECT_EQ(e.GetBackupExtension(), "007"); }},
        {"BackupExtension= 5", nullptr, [](auto& e) { EXPECT_EQ(e.GetBackupExtension(), " 5"); }},
        {"BackupExtension=a=b", nullptr, [](auto& e) { EXPECT_EQ(e.GetBackupExtension(), "a=b"); }},
        {"BackupExtension=", nullptr, [](auto& e) { EXPECT_EQ(e.GetBackupExtension(), ""); }},
        {"BackupExtension=.b\xC3\xA4k", nullptr,
         [](auto& e) { EXPECT_EQ(e.GetBackupExtension(), ".b\xC3\xA4k"); }},
        // Bytes that are not UTF-8 are refused, not stored as replacement characters.
        {"BackupExtension=.b\xE9k", "Invalid property value: .b\xE9k",
         [](auto& e) { EXPECT_EQ(e.GetBackupExtension(), ".bak"); }},
        {"PrintOptions.PageHeader=\xC0\xAE", "Invalid property value: \xC0\xAE", nullptr},
        {"PrintOptions.PageHeader=\xED\xA0\x80", "Invalid property value: \xED\xA0\x80", nullptr},
        {"Font.Name=Courier\xE2\x82", "Invalid property value: Courier\xE2\x82",
         [](auto& e) { EXPECT_EQ(e.font().family(), "Courier New"); }},
        {"ShowRuler=True\nBackupExtension=.b\xE9k\nHexLowerCase=True",
         "Invalid property value: .b\xE9k",
         [](auto& e) {
             EXPECT_TRUE(e.GetShowRuler());
             EXPECT_EQ(e.GetBackupExtension(), ".bak");
             EXPECT_FALSE(e.GetHexLowerCase());
         }},
        // Lines that are not public, or have no name, are skipped.
        {"WantTabs=False\nVersion=1\nName=x\nNoEqualsSign\n=True\n\n", nullptr,
         [](auto& e) { EXPECT_TRUE(e.GetWantTabs()); }},
        // Colour names match without regard to case; one name is no colour at all.
        {"Colors.OffsetBackGround=255", nullptr,
         [](auto& e) { EXPECT_EQ(e.Colors().OffsetBackground(), 255); }},
        {"Colors.CrooshairBackground=0", "Property CrooshairBackground does not exist", nullptr},
        // A setter's own error passes unchanged.
        {"BytesPerUnit=3", "Invalid bytes per unit value 3, allowed: 1,2,4,8", nullptr},
        // Earlier lines stay applied, later ones are not.
        {"ShowRuler=True\rBytesPerRow=8\nColors.CrooshairBackground=1\r\nHexLowerCase=True",
         "Property CrooshairBackground does not exist",
         [](auto& e) {
             EXPECT_TRUE(e.GetShowRuler());
             EXPECT_EQ(e.GetBytesPerRow(), 8);
             EXPECT_FALSE(e.GetHexLowerCase());
         }},
        {"DrawGridLines=True\nCaretKind=9\nSwapNibbles=True", "Invalid property value: 9",
         [](auto& e) {
             EXPECT_TRUE(e.GetDrawGridLines());
             EXPECT_FALSE(e.GetSwapNibbles());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<TOrixHexEditorEx> holder;
        TOrixHexEditorEx& e = NewEditor(holder);
        std::string error;
        try {
            e.SetPropertiesAsString(c.text);
        } catch (const Exception& x) {
            error = x.what();
        }
        EXPECT_EQ(error, c.error ? c.error : "");
        EXPECT_EQ(e.PaintLockCount(), 0);
        if (c.check) c.check(e);
    }
}

TEST(PropertiesText, StringWithALineBreakIsRefused) {
    std::unique_ptr<TOrixHexEditorEx> holder;
    TOrixHexEditorEx& e = NewEditor(holder);
    e.SetBackupExtension(".bak\r\nBytesPerRow=1");
    try {
        e.GetPropertiesAsString();
        FAIL() << "written";
    } catch (const EOrixHexEditor& x) {
        EXPECT_STREQ(x.what(),
                     "Property BackupExtension holds a line break and cannot be given as text");
    }
}

TEST(PropertiesText, VetoByEventAndByOverride) {
    std::unique_ptr<TOrixHexEditorEx> holder;
    TOrixHexEditorEx& e = NewEditor(holder);
    std::vector<std::string> asked;
    e.OnQueryPublicProperty = [&](TOrixHexEditorEx* sender, const std::string& name,
                                  bool& isPublic) {
        EXPECT_EQ(sender, &e);
        EXPECT_TRUE(isPublic);
        asked.push_back(name);
        if (name == "Font.Name" || name == "font.name") isPublic = false;
    };
    const std::string text = e.GetPropertiesAsString();
    EXPECT_EQ(text.find("\r\nFont.Name="), std::string::npos);
    EXPECT_NE(text.find("PrintFont.Name="), std::string::npos);
    EXPECT_EQ(Lines(text).size(), Lines(kDefaultText).size() - 1);
    asked.clear();
    e.SetPropertiesAsString("font.name=Arial\nWantTabs=False\nFont.Size=20\n");
    EXPECT_EQ(e.font().family(), "Courier New");
    EXPECT_EQ(e.font().pointSize(), 20);
    // Asked with the path as given, and never for a path outside the table.
    EXPECT_EQ(asked, (std::vector<std::string>{"font.name", "Font.Size"}));

    struct NoRowWidth : TOrixHexEditorEx {
        bool IsPropPublic(const std::string& path) override {
            return !SameText(path, "BytesPerRow") && TOrixHexEditorEx::IsPropPublic(path);
        }
    } narrowed;
    EXPECT_EQ(narrowed.GetPropertiesAsString().find("\r\nBytesPerRow="), std::string::npos);
    narrowed.SetPropertiesAsString("BytesPerRow=8\nBytesPerColumn=4");
    EXPECT_EQ(narrowed.GetBytesPerRow(), 16);
    EXPECT_EQ(narrowed.GetBytesPerColumn(), 4);
}

namespace {
// The names of the lines, in order.
std::vector<std::string> Names(const std::string& text) {
    std::vector<std::string> names;
    for (const std::string& line : Lines(text)) names.push_back(line.substr(0, line.find('=')));
    return names;
}
} // namespace

// The getter walks the published properties and asks about each: the handler hears of exactly
// the paths that are written, and a descendant that calls more paths public gets them written.
TEST(PropertiesText, GetterAsksAboutEachPublishedProperty) {
    std::unique_ptr<TOrixHexEditorEx> holder;
    TOrixHexEditorEx& e = NewEditor(holder);
    std::vector<std::string> asked;
    e.OnQueryPublicProperty = [&](TOrixHexEditorEx*, const std::string& name, bool&) {
        asked.push_back(name);
    };
    EXPECT_EQ(e.GetPropertiesAsString(), kDefaultText);
    EXPECT_EQ(asked, Names(kDefaultText));

    struct WithTabs : TOrixHexEditorEx {
        bool IsPropPublic(const std::string& path) override {
            return SameText(path, "WantTabs") || TOrixHexEditorEx::IsPropPublic(path);
        }
    } widened;
    std::vector<std::string> expected = Names(kDefaultText);
    expected.insert(std::find(expected.begin(), expected.end(), "ReadOnlyView"), "WantTabs");
    const std::string text = widened.GetPropertiesAsString();
    EXPECT_EQ(Names(text), expected);
    EXPECT_NE(text.find("\r\nWantTabs=True\r\n"), std::string::npos);
    widened.SetPropertiesAsString("WantTabs=False");
    EXPECT_FALSE(widened.GetWantTabs());
    EXPECT_NE(widened.GetPropertiesAsString().find("\r\nWantTabs=False\r\n"), std::string::npos);
}
