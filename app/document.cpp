#include "app/document.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "app/messages.h"
#include "model/nodeobjects.h"
#include "reader/templatereader.h"
#include "reader/textsource.h"
#include "reader/tokenizer.h"
#include "writer/templatewriter.h"

namespace {

// Writes all of data to fd, retrying short writes; false with errno set on failure.
bool WriteAll(int fd, const std::string& data) {
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

// The bytes of a file being read: mapped where the file allows it, otherwise read into
// memory. Mapping spares a copy of every byte and the memory to hold it.
class cFileBytes {
public:
    cFileBytes() = default;
    cFileBytes(const cFileBytes&) = delete;
    cFileBytes& operator=(const cFileBytes&) = delete;
    ~cFileBytes() {
        if (m_map)
            ::munmap(m_map, m_size);
    }

    bool Load(const std::string& path, int& err) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            err = errno;
            return false;
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* map = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (map != MAP_FAILED) {
                m_map = map;
                m_size = size_t(st.st_size);
                ::close(fd);
                return true;
            }
        }
        ::close(fd);
        return ReadWholeFile(path, m_copy, err);
    }

    std::string_view View() const {
        return m_map ? std::string_view(static_cast<const char*>(m_map), m_size) : m_copy;
    }

private:
    void* m_map = nullptr;
    size_t m_size = 0;
    std::string m_copy;
};

// Passes every message on and notes it, with the line the tokenizer stands on, in a log.
class cLoggingSink : public cMessageSink {
public:
    cLoggingSink(cReadLog& log, const cTokenizer& tokens)
        : m_log(log), m_tokens(tokens), m_next(SetMessageSink(this)) {}
    ~cLoggingSink() override { SetMessageSink(m_next); }
    cLoggingSink(const cLoggingSink&) = delete;
    cLoggingSink& operator=(const cLoggingSink&) = delete;

    void Show(int severity, const Text& text) override {
        m_log.messages.push_back({m_tokens.CurrentLine(), severity, text});
        if (m_next)
            m_next->Show(severity, text);
    }

private:
    cReadLog& m_log;
    const cTokenizer& m_tokens;
    cMessageSink* m_next;  // Not owned.
};

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, int& err) {
    bytes.clear();
    err = 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
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

CPelwinDoc::CPelwinDoc() : m_tree(this) {}

CPelwinDoc::~CPelwinDoc() {
    // The nodes go while the document is still whole: deleting items reaches back to it.
    m_modifiedCallback = nullptr;
    m_tree.Clear();
}

void CPelwinDoc::SetModifiedFlag(int flag) {
    bool modified = flag != 0;
    if (modified == m_modified)
        return;
    m_modified = modified;
    if (m_modifiedCallback)
        m_modifiedCallback(modified);
}

Text CPelwinDoc::ResolveText(TextView text) const {
    return ::ResolveText(m_strings, text);
}

void CPelwinDoc::MergeStrings(const cStringMap& other) {
    ::MergeStrings(m_strings, other);
}

void CPelwinDoc::RefreshAllNodes() {
    m_tree.ForEachPreOrder([](cTreeItem* item) {
        if (!item->node)
            return;
        item->node->UpdateDisplay();
        if (auto* policy = dynamic_cast<cObjPolicy*>(item->node.get()))
            for (const auto& part : policy->Parts())
                part->UpdateDisplay();
    });
}

bool CPelwinDoc::ReadFile(const Text& path, cReadLog* log) {
    cFileBytes file;
    int err = 0;
    if (!file.Load(ToUtf8(path), err)) {
        ReportFileError(FileErrorFromErrno(err), path);
        return false;
    }
    std::string_view bytes = file.View();
    if (bytes.empty()) {
        ShowMessage(kSeverityError, u"Error reading file %s", {path});
        return false;
    }
    m_utf16 = DecideEncoding(bytes);
    Text storage;
    TextView text = TemplateText(bytes, m_utf16, storage);
    if (!LoadStrings(text, m_strings, log))
        return false;
    cTokenizer tokens(text);
    if (!log)
        return ReadTemplate(*this, tokens);
    tokens.SetReferenceLog(&log->references);
    cLoggingSink sink(*log, tokens);
    return ReadTemplate(*this, tokens);
}

bool CPelwinDoc::WriteFile(const Text& path) {
    Text problem;
    if (!CheckWritable(*this, m_utf16, problem)) {
        ShowMessage(kSeverityError, u"%s", {problem});
        return false;
    }
    Text text;
    if (!SaveTemplate(*this, text))
        return false;
    std::string bytes = EncodeTemplate(text, m_utf16);

    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(ToUtf8(path));
    // Saving through a link writes the file it points to, not a new file in its place.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    struct stat existing {};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
        ReportFileError(FileErrorFromErrno(S_ISREG(existing.st_mode) ? EACCES : EISDIR), path);
        return false;
    }

    fs::path folder = target.parent_path();
    std::string pattern = (folder.empty() ? fs::path(".") : folder).string() + "/." +
                          target.filename().string() + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        ReportFileError(FileErrorFromErrno(errno), path);
        return false;
    }
    mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int writeErr = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        writeErr = errno;
    }
    if (ok && ::rename(pattern.c_str(), target.c_str()) != 0) {
        ok = false;
        writeErr = errno;
    }
    if (!ok) {
        ::unlink(pattern.c_str());
        ReportFileError(FileErrorFromErrno(writeErr), path);
        return false;
    }
    int dirFd = ::open(pattern.substr(0, pattern.rfind('/')).c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
