#include "core/io/files.h"
#include "core/io/replacesteps.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Writes all of data to fd, retrying short writes; false with errno set on failure.
bool WriteAll(int fd, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Larger files are refused rather than read: no template comes near this, and an endless
// or enormous file must not take the machine's memory.
constexpr off_t kMaxTemplateBytes = off_t(1) << 30;

cFileError NotRegularFile() {
    return cFileError{EINVAL, "Not a regular file"};
}

// The error of a path that exists but is no regular file: a folder says so, anything else
// (a pipe, a device, a socket) is named for what it is not.
cFileError NotRegularError(const struct stat& st) {
    return S_ISDIR(st.st_mode) ? FileErrorFromErrno(EISDIR) : NotRegularFile();
}

// Follows symbolic links from target to the path they end at, which need not exist: saving
// through a link writes the file it points to. False with errno's code for a loop.
bool FollowLinks(std::string& target, int& err) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        std::string link(size_t(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
        ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) {
            err = errno;
            return false;
        }
        link.resize(size_t(n));
        if (link.empty() || link[0] != '/') {
            size_t slash = target.rfind('/');
            link =
                (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
        }
        target = std::move(link);
    }
    err = ELOOP;
    return false;
}

std::string FolderOf(const std::string& target) {
    size_t slash = target.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : target.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

// A new file beside target, for the text about to replace it or for the old text kept
// aside; -1 with the failure reported, naming the folder that refused it.
int CreateBeside(const std::string& target, std::string& name, const Text& shownPath) {
    std::string folder = FolderOf(target);
    size_t slash = target.rfind('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    name = folder + "/." + base + ".XXXXXX";
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        Text description = FromUtf8(std::strerror(errno));
        ShowMessage(kSeverityError,
                    u" Error \"%s\" on file %s: the folder %s does not let a new file be "
                    u"created in it.",
                    {description, shownPath, FromUtf8(folder)});
    }
    return fd;
}

// Gives the new file the old one's owner, group, permissions and extended attributes, as
// far as the system lets this user.
void CopyIdentity(int from, int to, const struct stat& old) {
    if (::fchown(to, old.st_uid, old.st_gid) != 0)
        (void)::fchown(to, uid_t(-1), old.st_gid);
    ::fchmod(to, old.st_mode & 07777);
    ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0)
        return;
    std::string names(size_t(size), '\0');
    size = ::flistxattr(from, names.data(), names.size());
    for (size_t pos = 0; size > 0 && pos < size_t(size);) {
        const char* name = names.c_str() + pos;
        pos += std::strlen(name) + 1;
        ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            continue;
        std::string value(size_t(length), '\0');
        length = ::fgetxattr(from, name, value.data(), value.size());
        if (length >= 0)
            ::fsetxattr(to, name, value.data(), size_t(length), 0);
    }
}

bool WriteAt(int fd, std::string_view data) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, data) &&
           ::ftruncate(fd, off_t(data.size())) == 0 && ::fsync(fd) == 0;
}

// The usual save: the text goes to a new file beside the target, which then takes the
// target's name in one step, so that a failure anywhere leaves the old file as it was.
bool ReplaceThroughNewFile(const std::string& target, const struct stat* old,
                           const std::string& bytes, const Text& shownPath) {
    std::string temporary;
    int fd = CreateBeside(target, temporary, shownPath);
    if (fd < 0)
        return false;
    bool ok = true;
    if (old) {
        int oldFd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (oldFd >= 0) {
            CopyIdentity(oldFd, fd, *old);
            ::close(oldFd);
        } else {
            ::fchmod(fd, old->st_mode & 07777);
        }
    } else {
        ok = ::fchmod(fd, 0666 & ~CurrentUmask()) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        ReportFileError(FileErrorFromErrno(err), shownPath);
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}

// A file with more than one name is written in place, so that every name keeps showing the
// same file. Its old text is first copied aside and put back should the write fail; the
// copy goes only once the new text is safely stored.
bool RewriteInPlace(const std::string& target, const std::string& bytes, const Text& shownPath) {
    int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        ReportFileError(FileErrorFromErrno(errno), shownPath);
        return false;
    }
    std::string old;
    int err = 0;
    if (!ReadWholeFile(target, old, err)) {
        ::close(fd);
        ReportFileError(FileErrorFromErrno(err), shownPath);
        return false;
    }
    std::string aside;
    int asideFd = CreateBeside(target, aside, shownPath);
    if (asideFd < 0) {
        ::close(fd);
        return false;
    }
    bool kept = WriteAll(asideFd, old) && ::fsync(asideFd) == 0;
    err = kept ? 0 : errno;
    if (::close(asideFd) != 0 && kept) {
        kept = false;
        err = errno;
    }
    if (!kept) {
        ::unlink(aside.c_str());
        ::close(fd);
        ReportFileError(FileErrorFromErrno(err), shownPath);
        return false;
    }
    bool ok = WriteAt(fd, bytes);
    err = ok ? 0 : errno;
    bool restored = ok || WriteAt(fd, old);
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
        restored = false;
    }
    if (ok || restored)
        ::unlink(aside.c_str());
    if (!ok) {
        ReportFileError(FileErrorFromErrno(err), shownPath);
        if (!restored)
            ShowMessage(kSeverityError, u"The former text of %s is kept in %s.",
                        {shownPath, FromUtf8(aside)});
        return false;
    }
    return true;
}

}  // namespace

cFileBytes::~cFileBytes() {
    if (m_map)
        ::munmap(m_map, m_size);
}

bool cFileBytes::Load(const std::string& path, cFileError& error) {
    // Not blocking: opening a pipe would otherwise wait for a writer for ever.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = FileErrorFromErrno(errno);
        return false;
    }
    bool ok = LoadFrom(fd, error);
    ::close(fd);
    return ok;
}

std::string_view cFileBytes::View() const {
    return m_map ? std::string_view(static_cast<const char*>(m_map), m_size) : m_copy;
}

void cFileBytes::Release(size_t end) {
    if (!m_map)
        return;
    // The system maps a file in stretches of 64K or more at once (fault-around, large
    // page-cache folios); letting go of part of a stretch still being read only has the
    // whole of it mapped again, so only whole 64K stretches go.
    constexpr size_t kGrain = size_t(64) << 10;
    end = std::min(end, m_size);
    if (end < m_size)
        end -= end % kGrain;
    if (end > m_released)
        ::madvise(static_cast<char*>(m_map) + m_released, end - m_released, MADV_DONTNEED);
    m_released = std::max(m_released, end);
}

void cFileBytes::ReleaseForSecondPass() {
    Release();
    m_released = 0;
}

bool cFileBytes::LoadFrom(int fd, cFileError& error) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = FileErrorFromErrno(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = NotRegularError(st);
        return false;
    }
    if (st.st_size > kMaxTemplateBytes) {
        error = cFileError{EFBIG, "File larger than 1 GiB"};
        return false;
    }
    if (st.st_size == 0)
        return true;
    void* map = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map != MAP_FAILED) {
        m_map = map;
        m_size = size_t(st.st_size);
        return true;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_copy.reserve(size_t(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = FileErrorFromErrno(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (m_copy.size() + size_t(n) > size_t(kMaxTemplateBytes)) {
            error = cFileError{EFBIG, "File larger than 1 GiB"};
            return false;
        }
        m_copy.append(buffer, size_t(n));
    }
}

cReadHeap::cReadHeap(size_t fileBytes) {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr size_t kHuge = size_t(2) << 20;
    if (fileBytes < (size_t(8) << 20))
        return;
    const size_t expected = fileBytes / 2 * 3;
    if (::mallopt(M_TOP_PAD, int(std::min<size_t>(expected, size_t(1) << 30))) == 0)
        return;
    m_padded = true;
    // Blocks of this size come from the heap, never from a mapping of their own; taking
    // them until the free room runs out makes the heap grow, now by the padding above.
    constexpr size_t kProbe = size_t(64) << 10;
    constexpr int kMaxProbes = 64;
    void* probes[kMaxProbes] = {};
    char* before = static_cast<char*>(::sbrk(0));
    char* after = before;
    for (int i = 0; i < kMaxProbes && after == before; ++i) {
        probes[i] = std::malloc(kProbe);
        after = static_cast<char*>(::sbrk(0));
    }
    for (void* probe : probes)
        std::free(probe);
    if (before == reinterpret_cast<char*>(-1) || after <= before)
        return;
    auto start = (reinterpret_cast<uintptr_t>(before) + kHuge - 1) & ~(kHuge - 1);
    auto end = reinterpret_cast<uintptr_t>(after) & ~(kHuge - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)fileBytes;
#endif
}

cReadHeap::~cReadHeap() {
#if defined(__linux__) && defined(__GLIBC__)
    // Later growth goes back to the allocator's usual steps.
    if (m_padded)
        ::mallopt(M_TOP_PAD, 128 * 1024);
#endif
}

bool ReadWholeFile(const std::string& path, std::string& bytes, int& err) {
    bytes.clear();
    err = 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        err = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        err = !S_ISREG(st.st_mode) ? (S_ISDIR(st.st_mode) ? EISDIR : EINVAL) : errno;
        ::close(fd);
        return false;
    }
    bytes.reserve(size_t(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return true;
}

bool IsWritableFile(const Text& path) {
    std::string p = ToUtf8(path);
    int err = 0;
    if (!FollowLinks(p, err))
        return false;
    struct stat st {};
    // Write permission is asked of the file's mode as well: the superuser passes every
    // access test, yet a file that nobody may write is not to be replaced.
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 &&
           ::access(p.c_str(), W_OK) == 0;
}

bool ReplaceFile(const Text& path, const std::string& bytes) {
    std::string target = ToUtf8(path);
    int err = 0;
    if (!FollowLinks(target, err)) {
        ReportFileError(FileErrorFromErrno(err), path);
        return false;
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0)
        return ReplaceThroughNewFile(target, nullptr, bytes, path);
    if (!S_ISREG(existing.st_mode)) {
        ReportFileError(NotRegularError(existing), path);
        return false;
    }
    if (!IsWritableFile(FromUtf8(target))) {
        ReportFileError(FileErrorFromErrno(EACCES), path);
        return false;
    }
    return existing.st_nlink > 1 ? RewriteInPlace(target, bytes, path)
                                 : ReplaceThroughNewFile(target, &existing, bytes, path);
}

// ---- The steps of ReplaceFiles ------------------------------------------------------------

namespace {

// A name beside target that nothing has: for a further name of the old file.
bool LinkAside(const std::string& target, std::string& aside) {
    std::string folder = FolderOf(target);
    size_t slash = target.rfind('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = folder + "/." + base + ".old.XXXXXX";
        int fd = ::mkstemp(name.data());
        if (fd < 0)
            return false;
        ::close(fd);
        ::unlink(name.c_str());
        if (::link(target.c_str(), name.c_str()) == 0) {
            aside = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Makes the folders of path that are missing; the ones made are added to `made`, deepest
// last. False with errno set.
bool MakeFolders(const std::string& folder, std::vector<std::string>& made) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent, made))
        return false;
    // Nor does a folder nobody may write to take a new one, whoever asks.
    if (::stat(parent.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
        errno = EACCES;
        return false;
    }
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return false;
    made.push_back(folder);
    return true;
}

}  // namespace

namespace replace_steps {

bool Prepare(cPendingFile& file, std::vector<std::string>& madeFolders, cFileError& error) {
    int err = 0;
    if (!FollowLinks(file.target, err)) {
        error = FileErrorFromErrno(err);
        return false;
    }
    struct stat old {};
    file.existed = ::stat(file.target.c_str(), &old) == 0;
    if (file.existed && !S_ISREG(old.st_mode)) {
        error = NotRegularError(old);
        return false;
    }
    if (file.existed && !IsWritableFile(FromUtf8(file.target))) {
        error = FileErrorFromErrno(EACCES);
        return false;
    }
    if (!file.existed) {
        if (!MakeFolders(FolderOf(file.target), madeFolders)) {
            error = FileErrorFromErrno(errno);
            return false;
        }
        // A folder nobody may write to takes no new file, also where the system would let
        // the superuser past.
        struct stat folder {};
        if (::stat(FolderOf(file.target).c_str(), &folder) == 0 && (folder.st_mode & 0222) == 0) {
            error = FileErrorFromErrno(EACCES);
            return false;
        }
    }
    file.inPlace = file.existed && old.st_nlink > 1;
    if (file.inPlace && !ReadWholeFile(file.target, file.oldBytes, err)) {
        error = FileErrorFromErrno(err);
        return false;
    }
    return true;
}

bool WriteBeside(cPendingFile& file) {
    int fd = CreateBeside(file.target, file.temporary, file.shown);
    if (fd < 0) {
        file.temporary.clear();
        return false;
    }
    // The new file takes the old one's owner, group, mode and extended attributes; a new
    // one what anyone may, less the umask.
    struct stat old {};
    if (file.existed && ::stat(file.target.c_str(), &old) == 0) {
        int oldFd = ::open(file.target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (oldFd >= 0) {
            CopyIdentity(oldFd, fd, old);
            ::close(oldFd);
        } else {
            ::fchmod(fd, old.st_mode & 07777);
        }
    } else {
        ::fchmod(fd, 0666 & ~CurrentUmask());
    }
    bool ok = WriteAll(fd, file.bytes) && ::fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok)
        ReportFileError(FileErrorFromErrno(err), file.shown);
    return ok;
}

bool PutInPlace(cPendingFile& file, int& err) {
    if (file.inPlace) {
        int fd = ::open(file.target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            err = errno;
            return false;
        }
        bool ok = WriteAt(fd, file.bytes);
        err = ok ? 0 : errno;
        if (!ok)
            WriteAt(fd, file.oldBytes);
        ::close(fd);
        return ok;
    }
    // An old file keeps a further name until the last one is replaced.
    if (file.existed && !LinkAside(file.target, file.aside))
        file.aside.clear();  // the system allows no second name: this one cannot go back
    if (::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
        err = errno;
        return false;
    }
    file.temporary.clear();
    return true;
}

void TakeBack(cPendingFile& file) {
    if (file.committed && file.inPlace) {
        int fd = ::open(file.target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0) {
            WriteAt(fd, file.oldBytes);
            ::close(fd);
        }
    } else if (file.committed && !file.aside.empty()) {
        ::rename(file.aside.c_str(), file.target.c_str());
        file.aside.clear();
    } else if (file.committed && !file.existed) {
        ::unlink(file.target.c_str());
    }
    if (!file.temporary.empty())
        ::unlink(file.temporary.c_str());
    if (!file.aside.empty())
        ::unlink(file.aside.c_str());
}

void RemoveFolder(const std::string& folder) {
    ::rmdir(folder.c_str());
}

void Finish(cPendingFile& file) {
    if (!file.aside.empty())
        ::unlink(file.aside.c_str());
    SyncFolder(FolderOf(file.target));
}

}  // namespace replace_steps
