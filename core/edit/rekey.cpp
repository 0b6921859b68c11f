#include "core/edit/rekey.h"

#include <memory>

#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/model/partkinds.h"

namespace {

// A list's keys; a group that took its key from its owner follows the owner without being
// counted as a key of its own.
size_t RekeyList(cActionList& list, const Text& ownerKey, TextView from, TextView to) {
    size_t changed = 0;
    for (cActionKey& group : list) {
        const bool own = group.keyName != ownerKey;
        changed += RekeyedKey(group.keyName, from, to) && own;
    }
    return changed;
}

// The keys a node names, rekeyed in place (the node is a copy); how many changed.
size_t RekeyNode(cData& node, const Text& ownerKey, TextView from, TextView to) {
    size_t changed = 0;
    if (auto* category = dynamic_cast<cCategory*>(&node)) {
        if (!category->useDefaultKey)
            changed += RekeyedKey(category->keyName, from, to);
    } else if (auto* policy = dynamic_cast<cPolicy*>(&node)) {
        const Text key = policy->keyName;
        if (!policy->useDefaultKey)
            changed += RekeyedKey(policy->keyName, from, to);
        changed += RekeyList(policy->actionListOn, key, from, to);
        changed += RekeyList(policy->actionListOff, key, from, to);
    } else if (auto* part = dynamic_cast<cPolicyPart*>(&node)) {
        const Text key = part->useDefaultKey ? ownerKey : part->keyName;
        if (!part->useDefaultKey)
            changed += RekeyedKey(part->keyName, from, to);
        if (auto* box = dynamic_cast<cPolPartCheckBox*>(&node)) {
            changed += RekeyList(box->actionListOn, key, from, to);
            changed += RekeyList(box->actionListOff, key, from, to);
        } else if (auto* list = dynamic_cast<cPolPartDropDown*>(&node)) {
            for (cItemList& item : list->itemList)
                changed += RekeyList(item.actionList, key, from, to);
        }
    }
    return changed;
}

}  // namespace

bool RekeyedKey(Text& key, TextView from, TextView to) {
    while (!from.empty() && from.back() == u'\\')
        from.remove_suffix(1);
    while (!to.empty() && to.back() == u'\\')
        to.remove_suffix(1);
    if (from.empty() || key.size() < from.size() ||
        !KeywordEquals(TextView(key).substr(0, from.size()), from) ||
        (key.size() > from.size() && key[from.size()] != u'\\'))
        return false;
    const Text moved = Text(to) + key.substr(from.size());
    if (moved == key)
        return false;
    key = moved;
    return true;
}

size_t RekeyDocument(CPelwinDoc& doc, TextView from, TextView to) {
    auto step = std::make_unique<cCompoundStep>(u"Rekey " + Text(from));
    size_t changed = 0;
    auto rekey = [&](const cData& node, const Text& ownerKey) {
        std::unique_ptr<cData> after = CopyNodeData(node);
        if (!after)
            return;
        if (const size_t n = RekeyNode(*after, ownerKey, from, to)) {
            changed += n;
            step->Add(std::make_unique<cNodeDataStep>(u"Rekey", node, CopyNodeData(node),
                                                      std::move(after)));
        }
    };
    doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
        const cData* node = item->node.get();
        if (!node)
            return;
        rekey(*node, Text());
        if (const auto* policy = dynamic_cast<const cObjPolicy*>(node))
            for (const auto& part : policy->Parts())
                rekey(*part, policy->keyName);
    });
    if (step->Empty() || !PerformStep(doc, std::move(step)))
        return 0;
    return changed;
}
