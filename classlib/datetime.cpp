#include "datetime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1899-12-30 to the given civil date (proleptic Gregorian).
long DaysFromEpoch(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long unixDays = era * 146097 + doe - 719468;
    return unixDays + 25569; // 1970-01-01 is day 25569
}

void CivilFromDays(long days, int& y, int& m, int& d) {
    long z = days - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

} // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    const double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return static_cast<double>(DaysFromEpoch(year, month, day)) + ms / kMsPerDay;
}

TDateTime Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const int ms =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec, ms);
}

std::string FormatDateTime(const std::string& format, TDateTime value) {
    const double v = std::fabs(value);
    const long long totalMs = std::llround(v * kMsPerDay);
    const long days = static_cast<long>(totalMs / 86400000LL);
    const long long dayMs = totalMs % 86400000LL;
    const int hour = static_cast<int>(dayMs / 3600000);
    const int minute = static_cast<int>(dayMs / 60000 % 60);
    const int second = static_cast<int>(dayMs / 1000 % 60);
    int y = 0, mo = 0, d = 0;
    CivilFromDays(days, y, mo, d);

    std::string out;
    bool afterHour = false;
    char buf[16];
    for (size_t i = 0; i < format.size();) {
        auto take = [&](const char* token) {
            const std::string t(token);
            if (format.compare(i, t.size(), t) == 0) {
                i += t.size();
                return true;
            }
            return false;
        };
        if (take("yyyy")) {
            std::snprintf(buf, sizeof buf, "%04d", y);
            out += buf;
        } else if (take("hh")) {
            std::snprintf(buf, sizeof buf, "%02d", hour);
            out += buf;
            afterHour = true;
        } else if (take("nn")) {
            std::snprintf(buf, sizeof buf, "%02d", minute);
            out += buf;
        } else if (take("mm")) {
            std::snprintf(buf, sizeof buf, "%02d", afterHour ? minute : mo);
            out += buf;
        } else if (take("ss")) {
            std::snprintf(buf, sizeof buf, "%02d", second);
            out += buf;
        } else if (take("dd")) {
            std::snprintf(buf, sizeof buf, "%02d", d);
            out += buf;
        } else {
            out += format[i++];
        }
    }
    return out;
}
