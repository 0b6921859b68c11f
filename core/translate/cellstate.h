#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "core/model/languagetable.h"
#include "core/text/text.h"

// What a target language's text for one name is, against the display language's text.
enum class cCellState {
    Missing,       // the language has no text for the name
    Untranslated,  // the same text as the display language's: probably never translated
    Stale,         // the display text has changed since the translation was made
    Translated,
};
constexpr size_t kCellStateCount = 4;

// The state of target (null: none) for a name whose display text is source. basis is the
// display text the target was made against (null: not known, never stale).
cCellState CellState(TextView source, const Text* target, const Text* basis);

// "missing", "untranslated", "stale", "translated".
const char* CellStateName(cCellState state);

// How many names of a language are in each state.
struct cStateCounts {
    std::array<size_t, kCellStateCount> counts{};

    size_t& operator[](cCellState state) { return counts[size_t(state)]; }
    size_t operator[](cCellState state) const { return counts[size_t(state)]; }
    bool operator==(const cStateCounts&) const = default;
};
