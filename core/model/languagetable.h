#pragma once

#include <functional>
#include <string>
#include <unordered_map>

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
