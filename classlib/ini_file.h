#pragma once
// TIniFile: a settings file of the platform's profile format. Section and key names match
// without regard to letter case and the first match wins; lines the program does not know
// are kept as they are. Every write replaces the whole file at once, atomically; a file that
// cannot be written raises EIniFileException "Unable to write to %s".
#include "exceptions.h"

#include <cstdint>
#include <string>
#include <vector>

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TIniFile {
public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return fileName_; }

    // The value's text (blanks around it removed, at most 2047 characters), or fallback.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // The value as StrToInt reads it; fallback when missing or not an integer.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
    // An integer that is not 0 is true.
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    void Load();
    void Store(const std::vector<std::string>& lines) const;

    std::string fileName_;
    std::vector<std::string> lines_;
};
