#pragma once

#include <vector>

#include "core/admx/admxset.h"

// A fault of an ADMX set: the file and line it stands on, its lint rule and text.
struct cAdmxFault {
    const Text* file = nullptr;  // a path of the set
    int line = 0;
    const char* rule = "";
    bool error = true;  // else a warning
    Text text;
    // A reference to nothing: without a log the read fails.
    bool fatal = false;
};

// The checks of a read set that only lint runs: names given twice, translations and
// revisions of the other languages, strings and presentations nothing refers to. The
// references themselves are checked by the read.
void CheckAdmxSet(const cAdmxSet& set, std::vector<cAdmxFault>& faults);
