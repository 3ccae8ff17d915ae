#pragma once
// The captions of the four windows in the three languages (UTF-8), in the order in which
// the main window's ApplyLanguage assigns them.
#include <array>
#include <cstddef>

enum class CaptionForm { TForm1, TForm2, TForm3, TForm4 };

struct CaptionRow {
    CaptionForm Form;
    // The control's name; empty for the window's own caption; "StatusBar1#0" and
    // "StatusBar1#2" for the texts of those status bar panels.
    const char* Target;
    const char* Text[3];
};

inline constexpr size_t kCaptionCount = 82;
extern const std::array<CaptionRow, kCaptionCount> CaptionTable;
