#include "ini_file.h"

#include "atomic_file.h"
#include "plain_file.h"
#include "sysutils.h"

#include <cstdio>

namespace {

constexpr size_t kMaxValueLength = 2047;
// A settings file is a few hundred bytes; anything far larger is not one.
constexpr int64_t kMaxFileSize = 4 << 20;

// Lines are kept with their carriage returns, so that a rewrite gives every line back as it
// was read; to the reader a carriage return is a blank.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The carriage returns that end a line, however many there are.
std::string EndingOf(const std::string& line) {
    const size_t last = line.find_last_not_of('\r');
    return line.substr(last == std::string::npos ? 0 : last + 1);
}

std::string TrimBlanks(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// The section name of a "[name]" line, or false for any other line.
bool SectionOf(const std::string& line, std::string& name) {
    const std::string trimmed = TrimBlanks(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return false;
    const size_t close = trimmed.find(']');
    if (close == std::string::npos) return false;
    name = TrimBlanks(trimmed.substr(1, close - 1));
    return true;
}

// The key and value of a "key=value" line, or false for any other line.
bool KeyOf(const std::string& line, std::string& key, std::string& value) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    key = TrimBlanks(line.substr(0, equals));
    if (key.empty() || key.front() == ';') return false;
    value = TrimBlanks(line.substr(equals + 1));
    return true;
}

// Where a section's lines are: [first, end) after its header, or first == npos when absent.
struct SectionSpan {
    size_t header = std::string::npos;
    size_t end = 0;
};

SectionSpan FindSection(const std::vector<std::string>& lines, const std::string& section) {
    SectionSpan span;
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!SectionOf(lines[i], name)) continue;
        if (span.header != std::string::npos) {
            span.end = i;
            return span;
        }
        if (SameText(name, section)) span.header = i;
    }
    span.end = lines.size();
    return span;
}

size_t FindKey(const std::vector<std::string>& lines, const SectionSpan& span,
               const std::string& key, std::string* value) {
    if (span.header == std::string::npos) return std::string::npos;
    std::string k;
    std::string v;
    for (size_t i = span.header + 1; i < span.end; ++i) {
        if (KeyOf(lines[i], k, v) && SameText(k, key)) {
            if (value) *value = v;
            return i;
        }
    }
    return std::string::npos;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    Load();
}

// Only a regular file of a sane size is read: a named pipe, a device or a runaway file
// reads as a missing one.
void TIniFile::Load() {
    lines_.clear();
    std::string text;
    if (!ReadPlainFile(fileName_, kMaxFileSize, text)) return;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines_.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    std::string value;
    if (FindKey(lines_, FindSection(lines_, section), key, &value) == std::string::npos)
        return fallback;
    // Profile values may be quoted as a whole; the quotes are not part of the value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    return value;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t fallback) const {
    const std::string text = ReadString(section, key, "");
    if (text.empty()) return fallback;
    return StrToIntDef(text, fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    std::vector<std::string> lines = lines_;
    const SectionSpan span = FindSection(lines, section);
    // New lines end as the file's first line does: CR LF in a file written that way.
    const std::string ending = lines.empty() ? "" : EndingOf(lines.front());
    const std::string entry = key + "=" + value + ending;
    if (span.header == std::string::npos) {
        if (!lines.empty() && !TrimBlanks(lines.back()).empty()) lines.push_back(ending);
        lines.push_back("[" + section + "]" + ending);
        lines.push_back(entry);
    } else {
        const size_t at = FindKey(lines, span, key, nullptr);
        if (at != std::string::npos) {
            // The replaced line keeps its own ending.
            lines[at] = key + "=" + value + EndingOf(lines[at]);
        } else {
            // After the section's last non-blank line, so a blank line before the next
            // section stays where it is.
            size_t insert = span.end;
            while (insert > span.header + 1 && TrimBlanks(lines[insert - 1]).empty()) --insert;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), entry);
        }
    }
    Store(lines);
    lines_ = std::move(lines);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

// The whole file is replaced at once (TAtomicFile): a failed write leaves the old file whole,
// and a read-only one, or one that is no plain file, is not written at all.
void TIniFile::Store(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    TAtomicFile file(fileName_);
    if (!file.Write(text.data(), text.size()) || !file.Commit())
        throw EIniFileException(file.Explained(Format("Unable to write to %s", fileName_.c_str())));
}
