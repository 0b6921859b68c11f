#pragma once

#include <functional>
#include <vector>

#include "core/text/text.h"

class CPelwinDoc;
class cData;
class cTreeOwner;

// Folds the case of a text for matching: A-Z, the Latin-1 and Latin Extended-A letters,
// Greek and Cyrillic; every other character stays as it is.
char16_t FoldChar(char16_t c);
Text FoldCase(TextView text);

// A substring search, with or without regard to case.
class cTextMatcher {
public:
    cTextMatcher(TextView pattern, bool matchCase);
    bool Empty() const { return m_pattern.empty(); }
    bool Matches(TextView text) const;

private:
    Text m_pattern;
    bool m_matchCase;
};

// What the editor's find looks at.
struct cFindOptions {
    bool namesAndTexts = true;  // display texts, !! names, explain and supported-on texts
    bool keysAndValues = true;  // registry keys and value names
    bool matchCase = false;
};

// True when the tree node, one of its parts or one of their items shows or holds a text that
// the matcher finds. owner resolves !! references.
bool NodeMatches(const cData& node, const cTreeOwner& owner, const cFindOptions& options,
                 const cTextMatcher& matcher);

// One policy or part that tessary-cli find reports.
struct cFindHit {
    int line = 0;
    Text path;  // "MACHINE > Category > ... > Policy [> Part]"
    Text key;   // effective key, with "\VALUENAME" when the node has a value name
};

// Every policy and part of the template whose display text or name (byKey: effective key or
// value name) contains pattern, without regard to case, in tree order.
std::vector<cFindHit> FindInTemplate(const CPelwinDoc& doc, TextView pattern, bool byKey);
