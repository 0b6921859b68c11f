#pragma once

class cStringMap;
class cTemplateTree;
class cTokenizer;

// Categories, version blocks and classes nested deeper than this are refused with a
// message instead of exhausting the stack.
inline constexpr int kMaxNestingDepth = 1000;

// Parses the token stream into the tree; the string table, loaded already, gives the tree
// items their labels. The first failure shows its message and returns false; the caller
// discards the document.
bool ReadTemplate(cTemplateTree& tree, const cStringMap& strings, cTokenizer& tokens);
