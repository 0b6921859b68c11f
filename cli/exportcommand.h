#pragma once

#include <functional>
#include <string>
#include <vector>

class CPelwinDoc;

// Runs `tessary-cli export` on the words after "export" and returns the exit status.
// `read` reads a template as `check` does; `setFile` names the file that messages are about.
int RunExport(const std::vector<std::string>& args,
              const std::function<bool(CPelwinDoc&, const std::string&)>& read,
              const std::function<void(const std::string&)>& setFile);
