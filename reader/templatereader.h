#pragma once

class CPelwinDoc;
class cTokenizer;
struct cReadLog;

// Categories, version blocks and classes nested deeper than this are refused with a
// message instead of exhausting the stack.
inline constexpr int kMaxNestingDepth = 1000;

// Parses the token stream into the document's tree (the string table is loaded already).
// The first failure shows its message and returns false; the caller discards the document.
// Every node takes the comments that stood before it; what is passed over is noted in the
// document. With a log, the read also notes what checks want to know of it.
bool ReadTemplate(CPelwinDoc& doc, cTokenizer& tokens, cReadLog* log = nullptr);
