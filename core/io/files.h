#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/messages.h"
#include "core/text/text.h"

// Reading a file whole and replacing one without ever leaving it half written: what every
// template format reads from and writes through.

// The bytes of a file being read: mapped where the file allows it, otherwise read into
// memory. Mapping spares a copy of every byte and the memory to hold it. The file is opened
// once: what is opened is what is read.
class cFileBytes {
public:
    cFileBytes() = default;
    cFileBytes(const cFileBytes&) = delete;
    cFileBytes& operator=(const cFileBytes&) = delete;
    ~cFileBytes();

    bool Load(const std::string& path, cFileError& error);

    std::string_view View() const;

    // Lets go of the mapped pages before byte `end` (all of them by default): the bytes
    // stay readable, coming back from the file when read again, but no longer count
    // against the process while the tree is built.
    void Release(size_t end = size_t(-1));

    // Lets go of every mapped page, to be read again from the start: a first pass over the
    // whole text leaves all of it resident, the second needs only what lies ahead of it.
    void ReleaseForSecondPass();

private:
    bool LoadFrom(int fd, cFileError& error);

    void* m_map = nullptr;
    size_t m_size = 0;
    size_t m_released = 0;  // the pages before this byte were let go
    std::string m_copy;
};

// Readies the heap for the tree of a large file: the nodes and texts of a read take about
// one and a half times the file's bytes, and faulting that in page by page costs more than
// building it. Here the heap grows once by the expected amount and that stretch is marked for
// transparent huge pages, so the read faults it in 2 MB at a time. Small files keep the heap
// as it is: a huge page there would only add to the memory they use. Nothing here changes
// what is read; where the system declines, the read goes on with ordinary pages.
class cReadHeap {
public:
    explicit cReadHeap(size_t fileBytes);
    ~cReadHeap();
    cReadHeap(const cReadHeap&) = delete;
    cReadHeap& operator=(const cReadHeap&) = delete;

private:
    bool m_padded = false;
};

// Reads a whole regular file; false with err set when it cannot be opened or read (EINVAL
// for what is not a regular file).
bool ReadWholeFile(const std::string& path, std::string& bytes, int& err);

// Whether path (after its symbolic links) is a regular file that may be written: by this
// user, and by anyone at all, which the superuser's access test does not tell.
bool IsWritableFile(const Text& path);

// Puts bytes in the file at path (after its symbolic links), creating it or replacing what
// it held only once all of them were written: owner, group, mode, extended attributes and
// further names of an existing file are kept. Every failure has been reported when this
// returns false, and the file on disk is then as it was.
bool ReplaceFile(const Text& path, const std::string& bytes);

// One file of a set that is replaced together.
struct cFileReplacement {
    Text path;
    std::string_view bytes;
};

// Puts each file's bytes at its path, all of them or none: every new file is first written
// beside its target (missing folders are made), and only once all of them are written do
// they take their targets' places. Should any step fail, the new files and the folders made
// go again and every old file is as it was. Each file is kept as ReplaceFile keeps it
// (links followed; owner, group, mode, extended attributes and further names kept). Every
// failure has been reported when this returns false.
//
// A check, where given, is handed what each new file holds as read back from the disk (in the
// order of files; a file of several names, which is rewritten in place, gives its new bytes)
// once all are written and before any takes its target's place: false from it leaves every
// target as it was, and the check tells why.
using cReadBackCheck = std::function<bool(const std::vector<std::string>& readBack)>;
bool ReplaceFiles(const std::vector<cFileReplacement>& files, const cReadBackCheck& check = {});
