#pragma once

#include <memory>
#include <vector>

#include "core/model/stringmap.h"
#include "core/model/nodeobjects.h"
#include "core/model/templatetree.h"

class CPelwinDoc;

// The operations every change of a template is made of. Each one does its whole change and
// lets the tree tell what it implies (edit/editrules.h); none asks the user anything. Undo
// steps (edit/editstep.h) pair them up: insert with take, set with set back.

using cOwnedItem = std::unique_ptr<cTreeItem>;
using cPartList = std::vector<std::unique_ptr<cObjPolPart>>;

// Where an item sits: the row of each item from the top level down. A step finds its items
// again through paths, so that it never holds on to an item another step may have replaced.
struct cTreePath {
    std::vector<size_t> rows;

    static cTreePath Of(const cTreeItem* item);
    // The item at the path; null when the tree has no such place. The empty path names the
    // root (use FindParent for a place to insert at).
    cTreeItem* FindItem(const cTemplateTree& tree) const;
    cData* Find(const cTemplateTree& tree) const;
    // The nearest item that exists: the item itself, else the nearest ancestor's place
    // that does. Null when not even the top level row exists.
    cTreeItem* FindNearest(const cTemplateTree& tree) const;
    cTreePath Parent() const;
    bool operator==(const cTreePath&) const = default;
};

// Takes item with its subtree out of its tree and hands it over. Null for no item.
cOwnedItem TakeItem(cTemplateTree& tree, cTreeItem* item);
// Puts an owned item with its subtree under parent (null: the top level) at row, and marks
// the template modified.
cTreeItem* InsertItem(cTemplateTree& tree, cTreeItem* parent, size_t row, cOwnedItem item);
// A copy of source and everything below it, belonging to no tree: labels, state images and
// deep copies of the nodes (a policy with its parts, lists and value records). Made without
// recursion, whatever the depth.
cOwnedItem CloneSubtree(const cTreeItem& source);

// A deep copy of a node's data (a part is copied without a policy), or none.
std::unique_ptr<cData> CopyNodeData(const cData& node);
// Writes value's data into node (same kind), shows the node's new name and tells the tree.
// False when the kinds differ.
bool SetNodeData(cData& node, const cData& value);

// Takes the part at index out of the policy; the tree hears that it leaves.
std::unique_ptr<cObjPolPart> TakePart(cObjPolicy& policy, size_t index);
cObjPolPart* InsertPart(cObjPolicy& policy, size_t index, std::unique_ptr<cObjPolPart> part);
// Puts parts in place of the policy's whole part list and hands the old list over.
cPartList SetPartList(cObjPolicy& policy, cPartList parts);

// Puts strings in place of the document's string table, shows every label and panel again
// and hands the old table over.
cStringMap SetStringTable(CPelwinDoc& doc, cStringMap strings);

// The tree item a node shows in: its own, or for a part its policy's.
cTreeItem* ItemOfNode(const cData& node);
// The tree a node or part shows in, or none while it is outside a template.
cTemplateTree* TreeOfNode(const cData& node);
// The node's name as the tree shows it (a reference resolved).
Text ShownName(const cData& node);
