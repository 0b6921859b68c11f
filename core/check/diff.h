#pragma once

#include <string>
#include <vector>

#include "core/text/text.h"

class CPelwinDoc;
class cObjPolicy;
struct cTreeItem;

// What changed between two releases of a template, policy by policy.
//
// A policy is known by its class, its registry key and its value name, compared without
// regard to case; a policy without a value name by its class, key and display text. A policy
// that applies to both classes counts under each. Policies known the same way several times
// in one template are paired in tree order.

// How a policy is known, as one text: its class, its key and its value name or display text,
// the last two case folded.
struct cPolicyIdentity {
    Text key;
    bool operator==(const cPolicyIdentity&) const = default;
};

enum class cDiffKind { Removed, Added, Changed };

struct cDiffEntry {
    cDiffKind kind = cDiffKind::Changed;
    // Of the newer template's policy; for a removed one, of the older template's.
    Text className;
    std::vector<Text> categories;
    Text name;
    Text key;
    Text valueName;
    bool hasValueName = false;
    int olderLine = 0;  // 0: not in that template
    int newerLine = 0;
    // What changed, e.g. "display text", "part Foo changed (range, items)".
    std::vector<Text> changes;
    // Which of the policies known by its identity in its template this is, from 0 in tree
    // order (in the newer template, or the older one for a removed policy).
    size_t occurrence = 0;

    // How the policy is known, made from the fields above.
    cPolicyIdentity Identity() const;

    // "CLASS > Category > ... > Policy"
    const Text& Path() const { return path; }
    Text path;
    // "KEY\VALUENAME", or the key alone.
    Text KeyText() const;

    // The policy the entry was made from and its template, for as long as the templates
    // compared live: the newer one, or the older one of a removed policy.
    const CPelwinDoc* doc = nullptr;
    const cObjPolicy* policy = nullptr;
};

struct cDiffResult {
    // Sorted by path.
    std::vector<cDiffEntry> entries;
    size_t added = 0;
    size_t removed = 0;
    size_t changed = 0;
    bool Empty() const { return entries.empty(); }
};

cDiffResult DiffTemplates(const CPelwinDoc& older, const CPelwinDoc& newer);
// The same over two stores of several templates each: a policy is known by its class, key and
// value name whichever template holds it, so one that moved to another file is the same
// policy.
cDiffResult DiffStores(const std::vector<const CPelwinDoc*>& older,
                       const std::vector<const CPelwinDoc*>& newer);

// "+ PATH: KEY", "- PATH: KEY" or "~ PATH: KEY: WHAT, WHAT".
Text DiffLine(const cDiffEntry& entry);
// The same line in UTF-8 with its line end, appended to out (what tessary-cli diff prints).
void AppendDiffLine(std::string& out, const cDiffEntry& entry);
// "N added, M removed, K changed"
std::string DiffSummary(const cDiffResult& result);
// The whole result as one JSON object (UTF-8), for tools.
std::string DiffJson(const cDiffResult& result, const std::string& olderName,
                     const std::string& newerName);

// The policy of the template known by identity, the occurrence-th of them in tree order;
// null when there is none (the template changed since).
const cTreeItem* FindPolicy(const CPelwinDoc& doc, const cPolicyIdentity& identity,
                            size_t occurrence);
