#include "core/io/filestamp.h"

#include <filesystem>
#include <system_error>

cFileStamp StampOf(const Text& path) {
    namespace fs = std::filesystem;
    cFileStamp stamp;
    std::error_code ec;
    const fs::path file(path);
    const auto status = fs::status(file, ec);
    if (ec || !fs::exists(status))
        return stamp;
    stamp.exists = true;
    if (fs::is_regular_file(status)) {
        stamp.size = uint64_t(fs::file_size(file, ec));
        if (ec)
            stamp.size = 0;
    }
    const auto time = fs::last_write_time(file, ec);
    if (!ec)
        stamp.modified = int64_t(time.time_since_epoch().count());
    return stamp;
}
