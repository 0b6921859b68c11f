#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/text/messages.h"
#include "core/text/text.h"

// The steps of replacing a set of files together, each done as the system allows (files.cpp
// through POSIX, files_win32.cpp through Win32); ReplaceFiles (replace.cpp) runs them in
// order and takes them back should any fail.

// One file of a set on its way to its target.
struct cPendingFile {
    Text shown;          // the path as the user gave it, for messages
    std::string target;  // after its links
    std::string_view bytes;
    bool existed = false;
    // A file of several names is rewritten in place, its old text kept in memory.
    bool inPlace = false;
    std::string oldBytes;
    std::string temporary;  // the new text beside the target, until it takes the target's place
    std::string aside;      // what puts the old file back: a further name of it, or a copy
    bool committed = false;
};

namespace replace_steps {

// Where the file goes and whether it may: links followed, an old file's kind and permission
// checked, missing folders made (each added to madeFolders, deepest last), a file of several
// names marked and its old text read. False with error.
bool Prepare(cPendingFile& file, std::vector<std::string>& madeFolders, cFileError& error);
// The new text written and on the disk beside the target (for a file not rewritten in place),
// with what the system needs to put the old one back. False with the failure reported.
bool WriteBeside(cPendingFile& file);
// The new text in the target's place; false with err, the target then as it was.
bool PutInPlace(cPendingFile& file, int& err);
// The file as it was: the old text back where it was replaced, what was written beside it
// removed.
void TakeBack(cPendingFile& file);
void RemoveFolder(const std::string& folder);
// Once every file is in place: what kept the old one goes, and the folder holds the new name.
void Finish(cPendingFile& file);

}  // namespace replace_steps
