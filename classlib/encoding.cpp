#include "encoding.h"

#include <cerrno>
#include <iconv.h>

namespace {

std::string Convert(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or cut-off sequence: one "?" for its first byte, then go on.
            out += '?';
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string Cp936ToUtf8(const std::string& bytes) {
    return Convert("UTF-8", "CP936", bytes);
}
std::string Utf8ToCp936(const std::string& text) {
    return Convert("CP936", "UTF-8", text);
}
