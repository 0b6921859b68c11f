// Reading and replacing files on Windows: the same promises as on other systems, through the
// wide Win32 calls, so that any file name reaches the system as it was given.

#include <windows.h>
// The system's name for its ANSI or wide call; here ReplaceFile is this program's own.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/io/files.h"
#include "core/io/paths.h"
#include "core/io/replacesteps.h"

namespace {

// Larger files are refused rather than read: no template comes near this, and an enormous
// file must not take the machine's memory.
constexpr long long kMaxTemplateBytes = 1LL << 30;

// What IsRegularFile says of a pipe, a console or a device.
constexpr int kNotRegular = -1;

// One handle, closed when it goes.
class cHandle {
public:
    explicit cHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~cHandle() { Close(); }
    cHandle(const cHandle&) = delete;
    cHandle& operator=(const cHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Close() {
        bool ok = !Valid() || ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle;
};

int LastErrno() {
    return ErrnoFromWin32(::GetLastError());
}

// Opens path for reading without keeping others from reading, writing or renaming it. A
// folder opens too, so that it can be named as one.
HANDLE OpenForReading(const std::string& path) {
    return ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Whether what handle holds is a file on a disk; otherwise err is EISDIR for a folder and
// kNotRegular for a pipe, a console or a device.
bool IsRegularFile(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info, int& err) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        err = kNotRegular;
        return false;
    }
    if (!::GetFileInformationByHandle(handle, &info)) {
        err = LastErrno();
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        err = EISDIR;
        return false;
    }
    return true;
}

cFileError ErrorOf(int err) {
    return err == kNotRegular ? cFileError{EINVAL, "Not a regular file"} : FileErrorFromErrno(err);
}

long long SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

// Reads from handle to its end, at most limit bytes; false with err set on failure.
bool ReadAll(HANDLE handle, std::string& bytes, long long limit, int& err) {
    char buffer[1 << 16];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(handle, buffer, sizeof buffer, &n, nullptr)) {
            err = LastErrno();
            return false;
        }
        if (n == 0)
            return true;
        if (static_cast<long long>(bytes.size() + n) > limit) {
            err = EFBIG;
            return false;
        }
        bytes.append(buffer, n);
    }
}

bool WriteAll(HANDLE handle, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD n = 0;
        if (!::WriteFile(handle, data.data() + done, chunk, &n, nullptr))
            return false;
        done += n;
    }
    return true;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Where the name of the file in target begins: after its last separator or its drive.
size_t NameStart(const std::string& target) {
    size_t start = target.size();
    while (start > 0 && !IsSeparator(target[start - 1]) && !(start == 2 && target[1] == ':'))
        --start;
    return start;
}

// The folder that holds target, as it is to be named in a message.
std::string FolderOf(const std::string& target) {
    size_t start = NameStart(target);
    if (start == 0)
        return ".";
    std::string folder = target.substr(0, start);
    // A separator that ends a root ("C:\", "\") stays; any other goes.
    if (folder.size() > 1 && IsSeparator(folder.back()) &&
        !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    return folder;
}

// A new file beside target, for the text about to replace it or for the old text kept
// aside; invalid with the failure reported, naming the folder that refused it.
HANDLE CreateBeside(const std::string& target, std::string& name, const Text& shownPath) {
    size_t start = NameStart(target);
    const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const unsigned long long seed = ::GetTickCount64() * 31 + ::GetCurrentProcessId();
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        std::string suffix;
        unsigned long long value = seed + unsigned(attempt) * 7919u;
        for (int i = 0; i < 6; ++i, value /= 36)
            suffix.push_back(digits[value % 36]);
        name = target.substr(0, start) + "." + target.substr(start) + "." + suffix;
        HANDLE handle = ::CreateFileW(WideFromUtf8(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return handle;
        error = ::GetLastError();
    }
    Text description = FromUtf8(std::strerror(ErrnoFromWin32(error)));
    ShowMessage(kSeverityError,
                u" Error \"%s\" on file %s: the folder %s does not let a new file be "
                u"created in it.",
                {description, shownPath, FromUtf8(FolderOf(target))});
    return INVALID_HANDLE_VALUE;
}

bool RemoveFile(const std::string& name) {
    return ::DeleteFileW(WideFromUtf8(name).c_str());
}

// Puts the new file in the target's place in one step. An existing target hands its
// attributes, security and streams on to the new file; where the system cannot do that
// (some file systems and network shares), the new file is moved over it.
bool MoveOverTarget(const std::string& temporary, const std::string& target, bool exists,
                    int& err) {
    std::wstring from = WideFromUtf8(temporary);
    std::wstring to = WideFromUtf8(target);
    if (exists && ::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                 nullptr, nullptr))
        return true;
    DWORD error = exists ? ::GetLastError() : ERROR_UNABLE_TO_MOVE_REPLACEMENT;
    // The replacement keeps its own name after these, whatever became of the target.
    bool movable = error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
                   error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 || error == ERROR_INVALID_FUNCTION ||
                   error == ERROR_NOT_SUPPORTED;
    if (movable &&
        ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    err = ErrnoFromWin32(movable ? ::GetLastError() : error);
    return false;
}

// The usual save: the text goes to a new file beside the target, which then takes the
// target's place in one step, so that a failure anywhere leaves the old file as it was.
bool ReplaceThroughNewFile(const std::string& target, bool exists, const std::string& bytes,
                           const Text& shownPath) {
    std::string temporary;
    cHandle file(CreateBeside(target, temporary, shownPath));
    if (!file.Valid())
        return false;
    bool ok = WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
    int err = ok ? 0 : LastErrno();
    if (!file.Close() && ok) {
        ok = false;
        err = LastErrno();
    }
    ok = ok && MoveOverTarget(temporary, target, exists, err);
    if (!ok) {
        RemoveFile(temporary);
        ReportFileError(FileErrorFromErrno(err), shownPath);
    }
    return ok;
}

bool WriteAt(HANDLE handle, std::string_view data) {
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) && WriteAll(handle, data) &&
           ::SetEndOfFile(handle) && ::FlushFileBuffers(handle);
}

// A file with more than one name is written in place, so that every name keeps showing the
// same file. Its old text is first copied aside and put back should the write fail; the
// copy goes only once the new text is safely stored.
bool RewriteInPlace(const std::string& target, const std::string& bytes, const Text& shownPath) {
    cHandle file(::CreateFileW(WideFromUtf8(target).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    int err = 0;
    std::string old;
    if (!file.Valid() || !ReadAll(file.Get(), old, kMaxTemplateBytes, err)) {
        ReportFileError(FileErrorFromErrno(file.Valid() ? err : LastErrno()), shownPath);
        return false;
    }
    std::string aside;
    cHandle asideFile(CreateBeside(target, aside, shownPath));
    if (!asideFile.Valid())
        return false;
    bool kept = WriteAll(asideFile.Get(), old) && ::FlushFileBuffers(asideFile.Get());
    err = kept ? 0 : LastErrno();
    if (!asideFile.Close() && kept) {
        kept = false;
        err = LastErrno();
    }
    if (!kept) {
        RemoveFile(aside);
        ReportFileError(FileErrorFromErrno(err), shownPath);
        return false;
    }
    bool ok = WriteAt(file.Get(), bytes);
    err = ok ? 0 : LastErrno();
    bool restored = ok || WriteAt(file.Get(), old);
    if (!file.Close() && ok) {
        ok = false;
        err = LastErrno();
        restored = false;
    }
    if (ok || restored)
        RemoveFile(aside);
    if (!ok) {
        ReportFileError(FileErrorFromErrno(err), shownPath);
        if (!restored)
            ShowMessage(kSeverityError, u"The former text of %s is kept in %s.",
                        {shownPath, FromUtf8(aside)});
        return false;
    }
    return true;
}

// A name as the system's path calls return it, without the "\\?\" that lets them take long
// paths: "\\?\C:\a" is "C:\a", "\\?\UNC\server\share" is "\\server\share".
std::wstring WithoutLongPrefix(const std::wstring& name) {
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\\\" + name.substr(8);
    if (name.rfind(L"\\\\?\\", 0) == 0)
        return name.substr(4);
    return name;
}

// The path target ends at after its symbolic links and junctions (and, under Wine, the
// links of the file system beneath), which then is the file to replace; target itself when
// it is no link or does not exist. False with err set when a link leads nowhere.
bool FollowLinks(std::string& target, int& err) {
    std::wstring wide = WideFromUtf8(target);
    cHandle file(OpenForReading(target));
    if (!file.Valid()) {
        DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            err = LastErrno();
            return false;
        }
        return true;
    }
    std::wstring resolved(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetFinalPathNameByHandleW(file.Get(), resolved.data(), DWORD(resolved.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return true;  // a file system that cannot tell: the path as given
        if (n < resolved.size()) {
            resolved.resize(n);
            break;
        }
        resolved.resize(n);
    }
    resolved = WithoutLongPrefix(resolved);
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = ::GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = ::GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
    }
    full.resize(n < full.size() ? n : 0);
    // The same file under the same name is kept as given, so that messages show it so.
    if (::CompareStringOrdinal(resolved.c_str(), int(resolved.size()), full.c_str(),
                               int(full.size()), TRUE) != CSTR_EQUAL)
        target = Utf8FromWide(resolved);
    return true;
}

}  // namespace

cFileBytes::~cFileBytes() = default;

bool cFileBytes::Load(const std::string& path, cFileError& error) {
    cHandle file(OpenForReading(path));
    if (!file.Valid()) {
        error = FileErrorFromErrno(LastErrno());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    int err = 0;
    if (!IsRegularFile(file.Get(), info, err)) {
        error = ErrorOf(err);
        return false;
    }
    if (SizeOf(info) > kMaxTemplateBytes) {
        error = cFileError{EFBIG, "File larger than 1 GiB"};
        return false;
    }
    m_copy.reserve(size_t(SizeOf(info)));
    if (!ReadAll(file.Get(), m_copy, kMaxTemplateBytes, err)) {
        error = err == EFBIG ? cFileError{EFBIG, "File larger than 1 GiB"} : ErrorOf(err);
        return false;
    }
    return true;
}

std::string_view cFileBytes::View() const {
    return m_copy;
}

// The bytes are a copy in memory, which the read keeps until it is done.
void cFileBytes::Release(size_t) {}

void cFileBytes::ReleaseForSecondPass() {}

cReadHeap::cReadHeap(size_t) {}

cReadHeap::~cReadHeap() = default;

bool ReadWholeFile(const std::string& path, std::string& bytes, int& err) {
    bytes.clear();
    err = 0;
    cHandle file(OpenForReading(path));
    if (!file.Valid()) {
        err = LastErrno();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(file.Get(), info, err)) {
        err = err == kNotRegular ? EINVAL : err;
        return false;
    }
    bytes.reserve(size_t(SizeOf(info)));
    return ReadAll(file.Get(), bytes, kMaxTemplateBytes, err);
}

bool IsWritableFile(const Text& path) {
    std::string p = ToUtf8(path);
    int err = 0;
    if (!FollowLinks(p, err))
        return false;
    DWORD attributes = ::GetFileAttributesW(WideFromUtf8(p).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE));
}

bool ReplaceFile(const Text& path, const std::string& bytes) {
    std::string target = ToUtf8(path);
    int err = 0;
    if (!FollowLinks(target, err)) {
        ReportFileError(FileErrorFromErrno(err), path);
        return false;
    }
    cHandle existing(OpenForReading(target));
    if (!existing.Valid()) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return ReplaceThroughNewFile(target, false, bytes, path);
        ReportFileError(FileErrorFromErrno(ErrnoFromWin32(error)), path);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(existing.Get(), info, err)) {
        ReportFileError(ErrorOf(err), path);
        return false;
    }
    existing.Close();
    if (!IsWritableFile(FromUtf8(target))) {
        ReportFileError(FileErrorFromErrno(EACCES), path);
        return false;
    }
    return info.nNumberOfLinks > 1 ? RewriteInPlace(target, bytes, path)
                                   : ReplaceThroughNewFile(target, true, bytes, path);
}

// ---- The steps of ReplaceFiles ------------------------------------------------------------

namespace {

// Makes the folders of folder that are missing; the ones made are added to `made`, deepest
// last. False with err set.
bool MakeFolders(const std::string& folder, std::vector<std::string>& made, int& err) {
    DWORD attributes = ::GetFileAttributesW(WideFromUtf8(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return true;
        err = ENOTDIR;
        return false;
    }
    std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent, made, err))
        return false;
    if (!::CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS) {
        err = LastErrno();
        return false;
    }
    made.push_back(folder);
    return true;
}

// Writes bytes to a new file beside target; its name in `name`. False with the failure
// reported.
bool WriteNewBeside(const std::string& target, std::string& name, std::string_view bytes,
                    const Text& shown) {
    cHandle file(CreateBeside(target, name, shown));
    if (!file.Valid()) {
        name.clear();
        return false;
    }
    bool ok = WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
    int err = ok ? 0 : LastErrno();
    if (!file.Close() && ok) {
        ok = false;
        err = LastErrno();
    }
    if (!ok)
        ReportFileError(FileErrorFromErrno(err), shown);
    return ok;
}

}  // namespace

namespace replace_steps {

bool Prepare(cPendingFile& file, std::vector<std::string>& madeFolders, cFileError& error) {
    int err = 0;
    if (!FollowLinks(file.target, err)) {
        error = FileErrorFromErrno(err);
        return false;
    }
    cHandle existing(OpenForReading(file.target));
    if (!existing.Valid()) {
        DWORD failure = ::GetLastError();
        if (failure != ERROR_FILE_NOT_FOUND && failure != ERROR_PATH_NOT_FOUND) {
            error = FileErrorFromErrno(ErrnoFromWin32(failure));
            return false;
        }
        if (!MakeFolders(FolderOf(file.target), madeFolders, err)) {
            error = FileErrorFromErrno(err);
            return false;
        }
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(existing.Get(), info, err)) {
        error = ErrorOf(err);
        return false;
    }
    file.existed = true;
    file.inPlace = info.nNumberOfLinks > 1;
    if (file.inPlace && !ReadAll(existing.Get(), file.oldBytes, kMaxTemplateBytes, err)) {
        error = FileErrorFromErrno(err);
        return false;
    }
    existing.Close();
    if (!IsWritableFile(FromUtf8(file.target))) {
        error = FileErrorFromErrno(EACCES);
        return false;
    }
    return true;
}

bool WriteBeside(cPendingFile& file) {
    if (!WriteNewBeside(file.target, file.temporary, file.bytes, file.shown))
        return false;
    if (!file.existed)
        return true;
    // A copy of the old file, to put it back.
    std::string old;
    int err = 0;
    if (!ReadWholeFile(file.target, old, err)) {
        ReportFileError(FileErrorFromErrno(err), file.shown);
        return false;
    }
    return WriteNewBeside(file.target, file.aside, old, file.shown);
}

bool PutInPlace(cPendingFile& file, int& err) {
    if (!file.inPlace) {
        if (!MoveOverTarget(file.temporary, file.target, file.existed, err))
            return false;
        file.temporary.clear();
        return true;
    }
    cHandle handle(::CreateFileW(WideFromUtf8(file.target).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        err = LastErrno();
        return false;
    }
    if (!WriteAt(handle.Get(), file.bytes)) {
        err = LastErrno();
        WriteAt(handle.Get(), file.oldBytes);
        return false;
    }
    return true;
}

void TakeBack(cPendingFile& file) {
    std::wstring target = WideFromUtf8(file.target);
    if (file.committed && file.inPlace) {
        cHandle handle(::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (handle.Valid())
            WriteAt(handle.Get(), file.oldBytes);
    } else if (file.committed && file.existed && !file.aside.empty()) {
        if (::MoveFileExW(WideFromUtf8(file.aside).c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            file.aside.clear();
    } else if (file.committed && !file.existed) {
        ::DeleteFileW(target.c_str());
    }
    if (!file.temporary.empty())
        RemoveFile(file.temporary);
    if (!file.aside.empty())
        RemoveFile(file.aside);
}

void RemoveFolder(const std::string& folder) {
    ::RemoveDirectoryW(WideFromUtf8(folder).c_str());
}

void Finish(cPendingFile& file) {
    if (!file.aside.empty())
        RemoveFile(file.aside);
}

}  // namespace replace_steps
