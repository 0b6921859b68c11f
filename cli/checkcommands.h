#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/model/readlog.h"

class CPelwinDoc;
class cMessageSink;

// The usage lines of `tessary-cli lint` and `tessary-cli find`.
extern const char kLintUsage[];
extern const char kFindUsage[];

// Reads a template as `check` does, noting lines in log when one is given.
using cReadTemplateFn = std::function<bool(CPelwinDoc&, const std::string&, cReadLog*)>;

// Run `tessary-cli lint` / `find` on the words after the command and return the exit
// status. setFile names the file that messages are about.
int RunLint(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile);
int RunFind(const std::vector<std::string>& args, const cReadTemplateFn& read,
            const std::function<void(const std::string&)>& setFile);
