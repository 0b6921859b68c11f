#pragma once

#include "core/model/templatetree.h"

struct cSharedState;

// What it means for a template when a node leaves it or an edit changes a node, done in
// this one place for every command: the tree tells its listeners, and this listener (one per
// template, registered by the document) marks the template modified, closes the panels of
// nodes that leave, makes the property sheet drop a node that leaves and refill one that
// changed, and keeps the copy reference from naming what left. A node that leaves may come
// back with an undo; until then it belongs to no template.
class cEditRules : public cTreeListener {
public:
    cEditRules(cTemplateTree& tree, cSharedState& shared) : m_tree(tree), m_shared(shared) {}

    void ItemLeaving(cTreeItem* item) override;
    void PartLeaving(cObjPolPart* part) override;
    void NodeDataChanged(cTreeItem* item, cData* node) override;

private:
    void MarkModified();

    cTemplateTree& m_tree;
    cSharedState& m_shared;
};
