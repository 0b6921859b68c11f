// Replacing a set of files all or none, over the steps each system provides.

#include "core/io/files.h"
#include "core/io/replacesteps.h"

bool ReplaceFiles(const std::vector<cFileReplacement>& files, const cReadBackCheck& check) {
    using namespace replace_steps;
    std::vector<cPendingFile> pending(files.size());
    std::vector<std::string> madeFolders;
    auto undo = [&] {
        // Back as it was, newest change first.
        for (size_t i = pending.size(); i-- > 0;)
            TakeBack(pending[i]);
        for (auto it = madeFolders.rbegin(); it != madeFolders.rend(); ++it)
            RemoveFolder(*it);
    };
    auto fail = [&](const cFileError& error, const Text& shown) {
        undo();
        ReportFileError(error, shown);
        return false;
    };

    // Where each file goes, and whether it may be replaced.
    for (size_t i = 0; i < files.size(); ++i) {
        cPendingFile& file = pending[i];
        file.shown = files[i].path;
        file.bytes = files[i].bytes;
        file.target = ToUtf8(files[i].path);
        cFileError error;
        if (!Prepare(file, madeFolders, error))
            return fail(error, file.shown);
    }
    // Every new text written beside its target; nothing replaced yet.
    for (cPendingFile& file : pending) {
        if (!file.inPlace && !WriteBeside(file)) {
            undo();
            return false;
        }
    }
    if (check) {
        std::vector<std::string> readBack(pending.size());
        for (size_t i = 0; i < pending.size(); ++i) {
            int err = 0;
            if (pending[i].inPlace)
                readBack[i] = pending[i].bytes;
            else if (!ReadWholeFile(pending[i].temporary, readBack[i], err))
                return fail(FileErrorFromErrno(err), pending[i].shown);
        }
        if (!check(readBack)) {
            undo();
            return false;
        }
    }
    // All in place.
    for (cPendingFile& file : pending) {
        int err = 0;
        if (!PutInPlace(file, err))
            return fail(FileErrorFromErrno(err), file.shown);
        file.committed = true;
    }
    for (cPendingFile& file : pending)
        Finish(file);
    return true;
}
