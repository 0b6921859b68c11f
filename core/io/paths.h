#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// File names travel through the program as UTF-8, as they were given. Handing those bytes to
// std::filesystem as they are is right where the system's names are bytes, but on Windows a
// narrow path is read in the ANSI code page, which loses every name outside it: these build
// the system's form of a path from UTF-8 and back.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

#ifdef _WIN32
// The UTF-16 form that the wide Win32 calls take, and back.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// errno's code for a Win32 error code, so that a failure reads as it does elsewhere ("No
// such file or directory", "Permission denied", ...).
int ErrnoFromWin32(unsigned long error);
#endif
