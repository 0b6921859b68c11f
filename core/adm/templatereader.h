#pragma once

#include <vector>

#include "core/model/readlog.h"

class cStringMap;
class cTemplateTree;
class cTokenizer;

// Categories, version blocks and classes nested deeper than this are refused with a
// message instead of exhausting the stack.
inline constexpr int kMaxNestingDepth = 1000;

// Parses the token stream into the tree; the string table, loaded already, gives the tree
// items their labels. The first failure shows its message and returns false; the caller
// discards the document. Every node takes the comments that stood before it. With
// passedOver, the lines of what the read passes over are noted there; with a log, what
// checks want to know of the read.
bool ReadTemplate(cTemplateTree& tree, const cStringMap& strings, cTokenizer& tokens,
                  std::vector<cPassedOver>* passedOver = nullptr, cReadLog* log = nullptr);
