#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/model/readlog.h"

class CPelwinDoc;
class cMessageSink;

// Reads a template as `check` does, noting lines in log when one is given.
using cReadTemplateFn = std::function<bool(CPelwinDoc&, const std::string&, cReadLog*)>;

// A read that succeeded yet found nothing of a template (a picture, random bytes) says so as
// an error: a check must not pass it, nor a conversion write an empty file from it.
bool RefuseNothingRead(const CPelwinDoc& doc);

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
