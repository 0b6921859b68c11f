// Writing the two files: each to a temporary file beside its target, both read back from
// disk and checked, and only then renamed into place, so that a failed export leaves
// whatever OUTDIR held before.

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/convert/admxexport.h"
#include "core/io/files.h"
#include "core/io/paths.h"
#include "core/model/stringmap.h"
#include "core/model/templatetree.h"

namespace {

namespace fs = std::filesystem;

std::string SystemError(int err) {
    return std::strerror(err);
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// What the export needs to know of a file or folder that is there.
struct cFound {
    bool exists = false;
    int err = 0;  // why it was not found
    bool regular = false;
    bool folder = false;
    bool writable = false;  // someone may write it: a file nobody may write stays as it is
    int mode = 0;           // its permissions, for a new file that takes its place
};

#ifdef _WIN32

cFound Find(const std::string& path) {
    cFound found;
    DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        found.err = ErrnoFromWin32(::GetLastError());
        return found;
    }
    found.exists = true;
    found.folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    found.regular = !found.folder && !(attributes & FILE_ATTRIBUTE_DEVICE);
    // A folder's read-only mark does not keep files out of it.
    found.writable = found.folder || !(attributes & FILE_ATTRIBUTE_READONLY);
    return found;
}

// A new file named pattern with its last six characters made unique; -1 with errno set.
int CreateUnique(std::string& pattern) {
    const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const unsigned long long seed = ::GetTickCount64() * 31 + ::GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        unsigned long long value = seed + attempt * 7919u;
        for (size_t i = pattern.size() - 6; i < pattern.size(); ++i, value /= 36)
            pattern[i] = digits[value % 36];
        int fd = -1;
        errno =
            ::_wsopen_s(&fd, WideFromUtf8(pattern).c_str(),
                        _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A new file takes the permissions of the folder it is in.
bool SetMode(int, int) {
    return true;
}

bool SyncToDisk(int fd) {
    return ::_commit(fd) == 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
    if (::MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = ErrnoFromWin32(::GetLastError());
    return false;
}

void Remove(const std::string& path) {
    ::_wunlink(WideFromUtf8(path).c_str());
}

bool AccessWrite(const std::string&) {
    return true;
}

int DefaultMode() {
    return 0;
}

#else

cFound Find(const std::string& path) {
    cFound found;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        found.err = errno;
        return found;
    }
    found.exists = true;
    found.regular = S_ISREG(info.st_mode);
    found.folder = S_ISDIR(info.st_mode);
    found.writable = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    found.mode = int(info.st_mode & 07777);
    return found;
}

int CreateUnique(std::string& pattern) {
    return ::mkstemp(pattern.data());
}

bool SetMode(int fd, int mode) {
    return ::fchmod(fd, mode_t(mode)) == 0;
}

bool SyncToDisk(int fd) {
    return ::fsync(fd) == 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void Remove(const std::string& path) {
    ::unlink(path.c_str());
}

bool AccessWrite(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

// What a new file is given: what anyone may, less the umask.
int DefaultMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return int(0666 & ~mask);
}

#endif

// One file on its way to its target.
class cPendingFile {
public:
    explicit cPendingFile(std::string target) : m_target(std::move(target)) {}
    cPendingFile(const cPendingFile&) = delete;
    cPendingFile& operator=(const cPendingFile&) = delete;
    ~cPendingFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_temporary.empty())
            Remove(m_temporary);
    }

    bool Write(const std::string& bytes, std::string& error) {
        cFound existing = Find(m_target);
        if (existing.exists && !existing.regular) {
            error = m_target + ": not a regular file";
            return false;
        }
        // A file nobody may write to stays as it is, also where the system would let root
        // past.
        if (existing.exists && !existing.writable) {
            error = m_target + ": " + SystemError(EACCES);
            return false;
        }
        fs::path target = PathFromUtf8(m_target);
        std::string folder = Utf8FromPath(target.parent_path());
        std::string pattern = folder + "/." + Utf8FromPath(target.filename()) + ".XXXXXX";
        int fd = CreateUnique(pattern);
        if (fd < 0) {
            error = folder + ": " + SystemError(errno);
            return false;
        }
        m_temporary = pattern;
        m_fd = fd;
        if (SetMode(fd, existing.exists ? existing.mode : DefaultMode()) && WriteAll(fd, bytes))
            return true;
        error = m_target + ": " + SystemError(errno);
        return false;
    }

    // Waits until the file is on the disk. Called after the check, so that the disk works
    // while the processor compares.
    bool Sync(std::string& error) {
        bool ok = SyncToDisk(m_fd);
        int err = errno;
        if (::close(m_fd) != 0 && ok) {
            ok = false;
            err = errno;
        }
        m_fd = -1;
        if (!ok)
            error = m_target + ": " + SystemError(err);
        return ok;
    }

    bool ReadBack(std::string& bytes, std::string& error) const {
        int err = 0;
        if (ReadWholeFile(m_temporary, bytes, err))
            return true;
        error = m_temporary + ": " + SystemError(err);
        return false;
    }

    bool Commit(std::string& error) {
        if (!RenameOver(m_temporary, m_target)) {
            error = m_target + ": " + SystemError(errno);
            return false;
        }
        m_temporary.clear();
        return true;
    }

private:
    std::string m_target;
    std::string m_temporary;  // empty once renamed
    int m_fd = -1;            // open until synced
};

// A folder nobody may write to is refused, also where the system would let root past.
bool Writable(const fs::path& folder, std::string& error) {
    const std::string name = Utf8FromPath(folder);
    cFound found = Find(name);
    int err = 0;
    if (!found.exists)
        err = found.err;
    else if (!AccessWrite(name))
        err = errno;
    else if (!found.writable)
        err = EACCES;
    if (err)
        error = name + ": " + SystemError(err);
    return err == 0;
}

bool MakeFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    fs::path existing = fs::absolute(folder, ec);
    while (!existing.empty() && !fs::exists(existing, ec) && existing != existing.parent_path())
        existing = existing.parent_path();
    if (existing != fs::absolute(folder, ec) && !Writable(existing, error))
        return false;
    fs::create_directories(folder, ec);
    if (ec) {
        error = Utf8FromPath(folder) + ": " + ec.message();
        return false;
    }
    if (!fs::is_directory(folder, ec)) {
        error = Utf8FromPath(folder) + ": not a folder";
        return false;
    }
    return Writable(folder, error);
}

}  // namespace

bool ExportAdmx(cExportSource doc, const std::string& outDir, const std::string& name,
                const cAdmxOptions& options, cAdmxReport& report) {
    report = cAdmxReport();
    if (!IsValidLanguage(options.language)) {
        report.errors.push_back({0, "not a language name: " + options.language});
        return false;
    }
    cAdmxOutput out;
    bool built = BuildAdmx(doc, name, options, out);
    report.notExported = out.notExported;
    if (!built) {
        for (const cAdmxNote& error : out.errors)
            report.errors.push_back({error.line, "cannot export " + error.what});
        return false;
    }
    if (options.strict && !out.notExported.empty()) {
        report.errors.push_back({0, "not everything can be exported, and --strict was given"});
        return false;
    }

    fs::path folder = PathFromUtf8(outDir);
    fs::path languageFolder = folder / PathFromUtf8(options.language);
    std::string error;
    if (!MakeFolder(folder, error) || !MakeFolder(languageFolder, error)) {
        report.errors.push_back({0, error});
        return false;
    }
    const std::string admxPath = Utf8FromPath(folder / PathFromUtf8(name + ".admx"));
    const std::string admlPath = Utf8FromPath(languageFolder / PathFromUtf8(name + ".adml"));
    cPendingFile admx(admxPath);
    cPendingFile adml(admlPath);
    std::string admxBack, admlBack;
    if (!admx.Write(out.admx, error) || !adml.Write(out.adml, error) ||
        !admx.ReadBack(admxBack, error) || !adml.ReadBack(admlBack, error)) {
        report.errors.push_back({0, error});
        return false;
    }
    std::vector<std::string> differences;
    if (!CheckAdmx(doc, admxBack, admlBack, differences, out.unspecifiedSupportedOn)) {
        for (const std::string& difference : differences)
            report.errors.push_back({0, "re-read check: " + difference});
        return false;
    }
    if (!admx.Sync(error) || !adml.Sync(error) || !admx.Commit(error) || !adml.Commit(error)) {
        report.errors.push_back({0, error});
        return false;
    }
    report.admxPath = admxPath;
    report.admlPath = admlPath;
    return true;
}

std::vector<std::string> ReportLines(const cAdmxReport& report, const std::string& file) {
    std::vector<std::string> lines;
    auto add = [&](const cAdmxNote& note, const char* kind) {
        std::string line = file;
        if (note.line > 0)
            line += ":" + std::to_string(note.line);
        lines.push_back(line + ": " + kind + note.what);
    };
    for (const cAdmxNote& note : report.notExported)
        add(note, "warning: not exported: ");
    for (const cAdmxNote& error : report.errors)
        add(error, "error: ");
    return lines;
}
