#pragma once

class CPelwinDoc;
class cTokenizer;

// Categories, version blocks and classes nested deeper than this are refused with a
// message instead of exhausting the stack.
inline constexpr int kMaxNestingDepth = 1000;

// Parses the token stream into the document's tree (the string table is loaded already).
// The first failure shows its message and returns false; the caller discards the document.
bool ReadTemplate(CPelwinDoc& doc, cTokenizer& tokens);
