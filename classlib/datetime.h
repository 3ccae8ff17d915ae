#pragma once
// TDateTime: days since 1899-12-30 as a double; the fraction is the time of day.
#include <string>

using TDateTime = double;

// The current local date and time.
TDateTime Now();
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond);
// Supports the specifiers the program uses: "hh", "nn", "mm" (minutes after "hh"), "ss",
// "yyyy", "dd" and literal text. A negative span is formatted by its absolute value.
std::string FormatDateTime(const std::string& format, TDateTime value);
