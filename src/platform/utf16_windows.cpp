#include "platform/utf16.hpp"

#include "platform/commandline.hpp"

#include <cstdio>
#include <io.h>
#include <memory>
#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs

namespace fk::platform {

std::wstring toUtf16(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
    return out;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty())
        return {};
    const int size = static_cast<int>(utf16.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

// The C runtime's argv holds the arguments in the ANSI code page; the wide command line holds every name.
std::vector<std::string> commandArguments(int argc, char** argv) {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&::LocalFree)> wide(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                         &::LocalFree);
    if (!wide)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(toUtf8(wide.get()[i]));
    return args;
}

bool outputsOnTerminal() {
    return _isatty(_fileno(stdout)) && _isatty(_fileno(stderr));
}

} // namespace fk::platform
