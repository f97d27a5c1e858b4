// Character sets as glibc's iconv converts them: the reference that key and text tests check
// the library's own tables against.
#pragma once

#include <string>

namespace easel_test {

// in converted from charset from to charset to ("CP1250", "ISO-8859-2", "UTF-8", "UTF-32LE");
// false when a character has no counterpart there.
bool iconv_convert(const char* from, const char* to, const std::string& in, std::string& out);

// The character of byte b in a one-byte charset, or 0 when the charset leaves b undefined.
char32_t character_of_byte(const char* charset, int b);

}  // namespace easel_test
