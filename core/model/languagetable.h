#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/model/stringmap.h"
#include "core/text/text.h"

// Texts by name, looked up by views as well as by texts.
struct cTextHash {
    using is_transparent = void;
    size_t operator()(TextView text) const { return std::hash<TextView>()(text); }
};
using cTextNotes = std::unordered_map<Text, Text, cTextHash, std::equal_to<>>;

// One language of a template beside its display language (the document's own string table):
// the language's tag ("de-DE"), its string table, and per name the display text that the
// translation was made against, as far as this session knows (read or typed while the
// template is open). A translation whose display text has changed since is stale. A format
// that keeps other languages keeps each as one of these.
struct cLanguageTable {
    Text language;
    cStringMap strings;
    cTextNotes basis;
};

// The one rule of what is missing: a name of the display language's table that the
// language's table lacks. The Translations window, its counts and lint's check of an ADMX
// set's languages all go by it.
inline bool IsMissingTranslation(const cStringMap& target, TextView name) {
    return !target.Contains(name);
}
// Every name of source that target lacks, in source's order.
inline std::vector<Text> MissingTranslations(const cStringMap& source, const cStringMap& target) {
    std::vector<Text> missing;
    for (const auto& [name, text] : source.Entries())
        if (IsMissingTranslation(target, name))
            missing.push_back(name);
    return missing;
}
