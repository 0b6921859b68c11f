#pragma once

#include <string>
#include <string_view>

// The help of tessary-cli: what --help prints and what the manual page is made of, kept in
// one place so that the two say the same.

// One command: its synopsis line and what it does, as lines of at most 84 characters
// without indentation; an empty line parts two paragraphs.
struct cCommandHelp {
    const char* name;
    const char* synopsis;
    const char* text;
};

// The paragraphs after the commands; the manual page gives each a section of this title.
struct cHelpSection {
    const char* title;
    const char* text;
};

// What the program does, in one line without a capital or a full stop.
extern const char kHelpSummary[];
// The commands in the order --help lists them.
extern const cCommandHelp kCommandHelp[];
extern const size_t kCommandHelpCount;
extern const cHelpSection kHelpSections[];
extern const size_t kHelpSectionCount;

// What `tessary-cli --help` prints.
std::string HelpText();
// The entry of one command as --help shows it (its synopsis indented by two blanks, its text
// by six); empty for an unknown name.
std::string CommandUsage(std::string_view name);
