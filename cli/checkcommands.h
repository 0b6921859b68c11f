#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/model/readlog.h"

class CPelwinDoc;
class cMessageSink;

// Reads a template as `check` does, noting lines in log when one is given.
using cReadTemplateFn = std::function<bool(CPelwinDoc&, const std::string&, cReadLog*)>;

// Run `tessary-cli check` / `lint` / `find` on the words after the command and return the
// exit status (2: wrong usage). setFile names the file that messages are about.
int RunCheck(const std::vector<std::string>& args, const cReadTemplateFn& read,
             const std::function<void(const std::string&)>& setFile);
int RunLint(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile);
// `tessary-cli import-order`: the ADMX files in an order in which each comes after the files
// that target the namespaces it uses, one a line; 1 with the reason on standard error when
// there is none.
int RunImportOrder(const std::vector<std::string>& args, const cReadTemplateFn& read,
                   const std::function<void(const std::string&)>& setFile);
int RunFind(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile);
