#pragma once

#include "core/text/text.h"

class CPelwinDoc;
class cClipboard;
class cData;
class cObjPolPart;
class cObjPolicy;
struct cTreeItem;

// The editing commands as core functions: each is a Can… rule saying whether it is enabled
// and a function doing it over the document state, returning what it created or what should
// be selected. Menus, toolbar and keys only map to them (the editor's routing table); every
// change goes to the document as one step (PerformStep).

// What a command acts on: the template, the item selected in its tree, the part selected in
// its preview, and the application's copy reference.
struct cEditState {
    CPelwinDoc& doc;
    cClipboard& clipboard;
    cTreeItem* selected = nullptr;        // Not owned.
    cObjPolPart* selectedPart = nullptr;  // Not owned.
};

// What a command did.
struct cEditResult {
    bool done = false;
    cTreeItem* item = nullptr;    // Not owned: created, or to be selected.
    cObjPolPart* part = nullptr;  // Not owned: created.
    explicit operator bool() const { return done; }
};

// Edit > Delete in the tree: the selected item with its whole subtree, without asking.
// Returns the parent of the deleted item (null for a top-level one).
bool CanDeleteItem(const cEditState& state);
cEditResult DeleteItem(cEditState& state);

// Edit > Delete in the preview: the selected part. Returns the policy's item.
bool CanDeletePart(const cEditState& state);
cEditResult DeletePart(cEditState& state);

// Whether item is an item of doc's tree.
bool InDocument(const CPelwinDoc& doc, const cTreeItem* item);

// The name a step gives a node: "policy Foo", "category Bar", "part Baz" (labels resolved).
Text StepNodeName(const cData& node);
