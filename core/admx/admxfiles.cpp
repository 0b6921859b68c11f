// Writing the two files: each to a temporary file beside its target, both read back from
// disk and checked, and only then renamed into place, so that a failed export leaves
// whatever OUTDIR held before.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/io/files.h"
#include "core/admx/admxexport.h"
#include "core/document/document.h"

namespace {

namespace fs = std::filesystem;

std::string SystemError(int err) {
    return std::strerror(err);
}

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
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
            ::unlink(m_temporary.c_str());
    }

    bool Write(const std::string& bytes, std::string& error) {
        struct stat existing {};
        bool exists = ::stat(m_target.c_str(), &existing) == 0;
        if (exists && !S_ISREG(existing.st_mode)) {
            error = m_target + ": not a regular file";
            return false;
        }
        // A file nobody may write to stays as it is, also where the system would let root
        // past.
        if (exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            error = m_target + ": " + SystemError(EACCES);
            return false;
        }
        fs::path target(m_target);
        std::string pattern =
            target.parent_path().string() + "/." + target.filename().string() + ".XXXXXX";
        int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            error = target.parent_path().string() + ": " + SystemError(errno);
            return false;
        }
        m_temporary = pattern;
        m_fd = fd;
        mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
        if (::fchmod(fd, mode) == 0 && WriteAll(fd, bytes))
            return true;
        error = m_target + ": " + SystemError(errno);
        return false;
    }

    // Waits until the file is on the disk. Called after the check, so that the disk works
    // while the processor compares.
    bool Sync(std::string& error) {
        bool ok = ::fsync(m_fd) == 0;
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
        if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
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
    struct stat info {};
    int err = 0;
    if (::stat(folder.c_str(), &info) != 0 || ::access(folder.c_str(), W_OK) != 0)
        err = errno;
    else if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        err = EACCES;
    if (err)
        error = folder.string() + ": " + SystemError(err);
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
        error = folder.string() + ": " + ec.message();
        return false;
    }
    if (!fs::is_directory(folder, ec)) {
        error = folder.string() + ": not a folder";
        return false;
    }
    return Writable(folder, error);
}

}  // namespace

bool ExportAdmx(const CPelwinDoc& doc, const std::string& outDir, const std::string& name,
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

    fs::path folder(outDir);
    fs::path languageFolder = folder / options.language;
    std::string error;
    if (!MakeFolder(folder, error) || !MakeFolder(languageFolder, error)) {
        report.errors.push_back({0, error});
        return false;
    }
    cPendingFile admx((folder / (name + ".admx")).string());
    cPendingFile adml((languageFolder / (name + ".adml")).string());
    std::string admxBack, admlBack;
    if (!admx.Write(out.admx, error) || !adml.Write(out.adml, error) ||
        !admx.ReadBack(admxBack, error) || !adml.ReadBack(admlBack, error)) {
        report.errors.push_back({0, error});
        return false;
    }
    std::vector<std::string> differences;
    if (!CheckAdmx(doc, admxBack, admlBack, differences)) {
        for (const std::string& difference : differences)
            report.errors.push_back({0, "re-read check: " + difference});
        return false;
    }
    if (!admx.Sync(error) || !adml.Sync(error) || !admx.Commit(error) || !adml.Commit(error)) {
        report.errors.push_back({0, error});
        return false;
    }
    report.admxPath = (folder / (name + ".admx")).string();
    report.admlPath = (languageFolder / (name + ".adml")).string();
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
