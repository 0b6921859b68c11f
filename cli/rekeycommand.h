#pragma once

#include <functional>
#include <string>
#include <vector>

class CPelwinDoc;

// Runs `tessary-cli rekey` on the words after "rekey" and returns the exit status (2: wrong
// usage, which the caller reports). `read` reads a template as `check` does; `setFile` names
// the file that messages are about.
int RunRekey(const std::vector<std::string>& args,
             const std::function<bool(CPelwinDoc&, const std::string&)>& read,
             const std::function<void(const std::string&)>& setFile);
