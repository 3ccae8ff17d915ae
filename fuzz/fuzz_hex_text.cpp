// The hex editor's two text readers: bookmarks (the "$" form and the checksummed hexadecimal
// one) and properties (Name=Value lines). The first byte chooses the reader and whether the
// result must read back to itself; the rest is the text. Errors of the class library's family
// are the readers' answers; anything else, a paint lock left held or a text that does not
// read back to itself is a finding.
#include "orix_hex_editor_ex.h"

#include "sysutils.h"

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_set>

namespace {
TOrixHexEditorEx* editor = nullptr;

void Check(bool condition) {
    if (!condition) std::abort();
}

void FuzzBookmarks(const std::string& text) {
    try {
        editor->SetBookMarksAsString(text);
    } catch (const Exception&) {
    }
    Check(editor->PaintLockCount() == 0);
    // What is written reads back to the same bookmarks.
    const std::string written = editor->GetBookmarksAsString();
    editor->SetBookMarksAsString(written);
    Check(editor->GetBookmarksAsString() == written);
}

void NewEditor() {
    delete editor;
    editor = new TOrixHexEditorEx();
    std::string data(256, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i);
    editor->SetAsText(data);
    // Settings that lay the whole grid out anew are held back: each costs a hundred times
    // what reading its line does, and their setters have tests of their own. Their kinds
    // (fonts, numbers, Booleans) still reach the reader through the print font and the rest.
    editor->OnQueryPublicProperty = [](TOrixHexEditorEx*, const std::string& name, bool& isPublic) {
        static const std::unordered_set<std::string> layout = {
            "font.charset", "font.color",   "font.name",       "font.size",
            "font.style",   "bytesperrow",  "autobytesperrow", "bytespercolumn",
            "bytesperunit", "unicodechars", "bytesperblock",   "separateblocksincharfield",
            "gutterwidth",  "showruler",    "offsetformat",
        };
        if (layout.count(LowerCase(name))) isPublic = false;
    };
}

// Each run goes on from the settings that the runs before left, so texts meet many states.
void FuzzProperties(const std::string& text, bool roundTrip) {
    try {
        editor->SetPropertiesAsString(text);
    } catch (const Exception&) {
    }
    Check(editor->PaintLockCount() == 0);
    if (!roundTrip) return;
    const std::string written = editor->GetPropertiesAsString();
    editor->SetPropertiesAsString(written);
    Check(editor->GetPropertiesAsString() == written);
}
} // namespace

// fontconfig keeps its caches for the life of the process (Qt never calls FcFini).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    NewEditor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    // Even: bookmarks; odd: properties, one in four with the round trip, which costs as much
    // as reading a few hundred lines.
    if (data[0] % 2 == 0)
        FuzzBookmarks(text);
    else
        FuzzProperties(text, data[0] % 8 == 7);
    return 0;
}
