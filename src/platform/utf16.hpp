// The one conversion between the program's texts (UTF-8) and the wide (UTF-16) texts of the Windows API.
// Windows only: every call to the host that takes or gives a name goes through these.
#pragma once

#include <string>
#include <string_view>

namespace fk::platform {

// Bytes that are not UTF-8 become U+FFFD, so that such a text names nothing rather than another file.
std::wstring toUtf16(std::string_view utf8);
// Unpaired surrogates (a broken name) become U+FFFD.
std::string toUtf8(std::wstring_view utf16);

} // namespace fk::platform
