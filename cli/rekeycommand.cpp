#include "cli/rekeycommand.h"

#include <cstdio>

#include "core/document/document.h"
#include "core/edit/rekey.h"
#include "core/text/messages.h"

int RunRekey(const std::vector<std::string>& args,
             const std::function<bool(CPelwinDoc&, const std::string&)>& read,
             const std::function<void(const std::string&)>& setFile) {
    bool dryRun = false;
    std::vector<std::string> words;
    for (const std::string& a : args) {
        if (a == "--dry-run")
            dryRun = true;
        else if (a.rfind("--", 0) == 0 && words.size() < 2)
            return 2;
        else
            words.push_back(a);
    }
    if (words.size() < 3)
        return 2;
    const Text from = FromUtf8(words[0]);
    const Text to = FromUtf8(words[1]);
    // A key cannot be moved beneath itself by a prefix that is empty.
    if (from.find_first_not_of(u'\\') == Text::npos || to.find_first_not_of(u'\\') == Text::npos)
        return 2;
    bool ok = true;
    for (size_t i = 2; i < words.size(); ++i) {
        const std::string& file = words[i];
        setFile(file);
        // Each template stays in memory until the process ends, as check leaves its own.
        auto* doc = new CPelwinDoc;
        if (!read(*doc, file)) {
            ok = false;
            continue;
        }
        const size_t changed = RekeyDocument(*doc, from, to);
        if (changed > 0 && !dryRun && !doc->WriteFile(FromUtf8(file))) {
            ok = false;
            continue;
        }
        const std::string line = file + ": " + std::to_string(changed) +
                                 (changed == 1 ? " key" : " keys") +
                                 (dryRun ? " to change\n" : " changed\n");
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    return ok ? 0 : 1;
}
