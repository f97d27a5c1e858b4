#include "iconv_reference.hpp"

#include <iconv.h>

namespace easel_test {

bool iconv_convert(const char* from, const char* to, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string source = in;
    char* in_ptr = source.data();
    std::size_t in_left = source.size();
    std::string target(4 * in.size() + 4, '\0');
    char* out_ptr = target.data();
    std::size_t out_left = target.size();
    const bool ok = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out = target.substr(0, target.size() - out_left);
    return ok;
}

char32_t character_of_byte(const char* charset, int b) {
    std::string utf32;
    if (!iconv_convert(charset, "UTF-32LE", std::string(1, static_cast<char>(b)), utf32) || utf32.size() != 4)
        return 0;
    char32_t c = 0;
    for (int i = 3; i >= 0; --i) c = c << 8 | static_cast<unsigned char>(utf32[static_cast<std::size_t>(i)]);
    return c;
}

}  // namespace easel_test
