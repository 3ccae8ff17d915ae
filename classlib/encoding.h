#pragma once
// Code page 936 (GBK) conversion for chip names: stored bytes stay as they are and are
// converted only for display and for typed input. Bytes that do not convert become "?".
#include <string>

std::string Cp936ToUtf8(const std::string& bytes);
std::string Utf8ToCp936(const std::string& text);
