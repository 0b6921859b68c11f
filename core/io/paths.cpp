#include "core/io/paths.h"

#ifdef _WIN32
#include <windows.h>

#include <cerrno>
#endif

#include "core/text/text.h"

#ifdef _WIN32

std::wstring WideFromUtf8(std::string_view utf8) {
    Text text = FromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string Utf8FromWide(std::wstring_view wide) {
    Text text(wide.begin(), wide.end());
    return ToUtf8(text);
}

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(WideFromUtf8(utf8));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return Utf8FromWide(path.native());
}

int ErrnoFromWin32(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_NETWORK_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_CANNOT_MAKE:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        default:
            return EIO;
    }
}

#else

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.string();
}

#endif
