#pragma once

#include <functional>
#include <string>
#include <vector>

class CPelwinDoc;

// Reads a template as `check` does.
using cReadDocumentFn = std::function<bool(CPelwinDoc&, const std::string&)>;

// Runs `tessary-cli diff` on the words after "diff" and returns the exit status as diff(1)
// does: 0 no difference, 1 differences, 2 trouble (wrong usage, a file that cannot be read).
// setFile names the file that messages are about.
int RunDiff(const std::vector<std::string>& args, const cReadDocumentFn& read,
            const std::function<void(const std::string&)>& setFile);

// Runs `tessary-cli doc`: 0 written, 1 the read failed, 2 wrong usage.
int RunDoc(const std::vector<std::string>& args, const cReadDocumentFn& read,
           const std::function<void(const std::string&)>& setFile);
