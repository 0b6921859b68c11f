#pragma once

#include <functional>
#include <unordered_set>

#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

// Hands every text of a node's data to visit: names, keys, value names, values, explain and
// supported-on texts, and those of its records (value records, action lists, items,
// suggestions). A policy's parts follow its own texts. Any of them may be a "!!name"
// reference into the template's string table.
void ForEachNodeText(const cData& node, const std::function<void(const Text&)>& visit);

// The string table names that nodes refer to ("!!name", an ADMX set's "$(string.ID)"): what a paste
// from another template brings along, and what the String table dialog keeps when it removes the
// unused strings.
class cStringUses {
public:
    // A node, with its parts when it is a policy, or a single part.
    void AddNode(const cData& node);
    // An item and everything below it.
    void AddSubtree(const cTreeItem& item);
    void AddTree(const cTemplateTree& tree);
    // A text that refers to a string from outside the tree (an ADMX set's supported-on
    // definitions).
    void AddText(const Text& text);

    bool Uses(TextView name) const { return m_names.count(Text(name)) != 0; }
    size_t Count() const { return m_names.size(); }

private:
    std::unordered_set<Text> m_names;
};
