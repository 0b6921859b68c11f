#pragma once

#include <vector>

#include "core/text/text.h"

// A line of the template whose content the reader passed over without keeping it: the
// tokens it passed over on that line, joined by blanks.
struct cPassedOver {
    int line = 0;
    Text text;
};

// What a read notes beside the tree and the string table, so that checks can point at the
// lines of the file. Lines count from 1.
struct cReadLog {
    struct cStringLine {
        Text name;
        int line = 0;
    };
    struct cReference {
        Text name;  // without the leading "!!"
        int line = 0;
    };
    struct cMessage {
        int line = 0;  // where the reader stood when it showed the message
        int severity = 0;
        Text text;
    };

    // Every definition of the strings section in file order, repeated names included.
    std::vector<cStringLine> strings;
    // The strings section's header line and its last line; 0 when there is none.
    int stringsFirstLine = 0;
    int stringsLastLine = 0;
    // Every "!!" token the reader was handed, in file order.
    std::vector<cReference> references;
    // Every message the read showed, in order.
    std::vector<cMessage> messages;
    // Drop-down lists whose item list marked more than one item DEFAULT (only the last mark
    // is kept): the part's line and name and the number of marks.
    struct cDefaultMarks {
        int line = 0;
        Text part;
        int count = 0;
    };
    std::vector<cDefaultMarks> severalDefaults;
    // Faults that a format's own checks found in the files it read (ADMX: references, names,
    // translations, revisions), each with its file, line and lint rule.
    struct cFormatFinding {
        Text file;  // as the read named it; empty: the file that was read
        int line = 0;
        bool error = true;
        const char* rule = "";
        Text text;
    };
    std::vector<cFormatFinding> findings;
};
