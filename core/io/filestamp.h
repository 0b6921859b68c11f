#pragma once

#include <cstdint>

#include "core/text/text.h"

// What a file looked like when it was last read or written: enough to tell that another
// program has changed, replaced or removed it since.
struct cFileStamp {
    bool exists = false;
    uint64_t size = 0;
    int64_t modified = 0;  // the file system's modification time, in its own units

    bool operator==(const cFileStamp&) const = default;
};

// The stamp of the file at path now (after its symbolic links); exists is false when there is
// no such file.
cFileStamp StampOf(const Text& path);
