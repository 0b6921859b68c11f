#pragma once

#include "core/text/text.h"

class CPelwinDoc;

// The registry key `key` with the prefix `from` replaced by `to` when it is `from` or a key
// beneath it (compared without regard to case); false, key unchanged, otherwise.
bool RekeyedKey(Text& key, TextView from, TextView to);

// Moves every registry key of the document that is `from` or beneath it to `to`: the keys of
// categories, policies and parts that name their own, and the keys of their value lists
// (enabled and disabled lists, a check box's lists, a drop-down item's list). One undoable
// step; returns how many keys changed (0: nothing was done).
size_t RekeyDocument(CPelwinDoc& doc, TextView from, TextView to);
