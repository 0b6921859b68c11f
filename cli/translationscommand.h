#pragma once

#include <functional>
#include <string>
#include <vector>

class CPelwinDoc;

// Runs `tessary-cli translations` on the words after "translations" and returns the exit
// status. `read` reads a template as `check` does; `setFile` names the file that messages
// are about.
int RunTranslations(const std::vector<std::string>& args,
                    const std::function<bool(CPelwinDoc&, const std::string&)>& read,
                    const std::function<void(const std::string&)>& setFile);
