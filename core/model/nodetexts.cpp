#include "core/model/nodetexts.h"

#include "core/model/partkinds.h"

namespace {

using cVisit = std::function<void(const Text&)>;

void RecordTexts(const cDescVal& record, const cVisit& visit) {
    visit(record.valueName);
    visit(record.valueText);
}

void RecordTexts(const cOptionalValue& record, const cVisit& visit) {
    if (record)
        RecordTexts(*record, visit);
}

void ListTexts(const cActionList& list, const cVisit& visit) {
    for (const cActionKey& group : list) {
        visit(group.keyName);
        for (const cActionValue& entry : group.entries)
            RecordTexts(entry, visit);
    }
}

// The texts of a number part, of 32 or 64 bits.
template <typename Number>
void NumberTexts(const Number& number, const cVisit& visit) {
    for (const Text* text : {&number.defaultValue, &number.max, &number.min, &number.spin})
        visit(*text);
}

// The texts a part kind adds to those every part has; no catch-all, so that a new kind
// must say what it holds.
void PartTexts(const cObjPolPart& part, const cVisit& visit) {
    visit(part.name);
    visit(part.keyName);
    visit(part.valueName);
    VisitPart(
        part,
        cOverloaded{
            [&](const cObjPolPartCheckBox& box) {
                RecordTexts(box.valueOn, visit);
                RecordTexts(box.valueOff, visit);
                ListTexts(box.actionListOn, visit);
                ListTexts(box.actionListOff, visit);
            },
            [&](const cObjPolPartCombo& combo) {
                visit(combo.defaultText);
                visit(combo.maxLen);
                for (const cSuggestion& suggestion : combo.suggestions)
                    visit(suggestion.text);
            },
            [&](const cObjPolPartDropDown& list) {
                for (const cItemList& item : list.itemList) {
                    visit(item.name);
                    RecordTexts(item.value, visit);
                    ListTexts(item.actionList, visit);
                }
            },
            [&](const cObjPolPartEditText& edit) {
                visit(edit.defaultText);
                visit(edit.maxLen);
            },
            [&](const cObjPolPartListBox& list) { visit(list.valuePrefix); },
            [&](const cObjPolPartNum& number) { NumberTexts(number, visit); },
            [&](const cObjPolPartLongNum& number) { NumberTexts(number, visit); },
            [&](const cObjPolPartMultiText& multi) {
                for (const Text* text : {&multi.maxLen, &multi.maxStrings, &multi.defaultHeight})
                    visit(*text);
            },
            [](const cObjPolPartText&) {},
        });
}

}  // namespace

void ForEachNodeText(const cData& node, const cVisit& visit) {
    switch (node.kind) {
        case kKindClass:
            visit(static_cast<const cPolClass&>(node).className);
            return;
        case kKindVersion:
            visit(static_cast<const cPolVersion&>(node).label);
            return;
        case kKindCategory: {
            const auto& category = static_cast<const cCategory&>(node);
            visit(category.name);
            visit(category.keyName);
            visit(category.explainText);
            return;
        }
        case kKindPolicy: {
            const auto& policy = static_cast<const cPolicy&>(node);
            for (const Text* text : {&policy.name, &policy.keyName, &policy.explainText,
                                     &policy.clientExt, &policy.valueName, &policy.supportedText})
                visit(*text);
            RecordTexts(policy.valueOn, visit);
            RecordTexts(policy.valueOff, visit);
            ListTexts(policy.actionListOn, visit);
            ListTexts(policy.actionListOff, visit);
            if (const auto* object = dynamic_cast<const cObjPolicy*>(&node))
                for (const auto& part : object->Parts())
                    PartTexts(*part, visit);
            return;
        }
        case kKindPart:
            if (const auto* part = dynamic_cast<const cObjPolPart*>(&node))
                PartTexts(*part, visit);
            return;
        default:
            return;
    }
}

void cStringUses::AddText(const Text& text) {
    // A reference is a text of two characters or more that begins with "!!".
    if (text.size() >= 2 && text[0] == u'!' && text[1] == u'!')
        m_names.insert(text.substr(2));
    // An ADMX set's display text: "$(string.ID)".
    else if (text.size() > 10 && text.back() == u')' && text.starts_with(u"$(string."))
        m_names.insert(text.substr(9, text.size() - 10));
}

void cStringUses::AddNode(const cData& node) {
    ForEachNodeText(node, [this](const Text& text) { AddText(text); });
}

void cStringUses::AddSubtree(const cTreeItem& item) {
    cTemplateTree::ForEachInSubtree(const_cast<cTreeItem*>(&item), [this](cTreeItem* at) {
        if (at->node)
            AddNode(*at->node);
    });
}

void cStringUses::AddTree(const cTemplateTree& tree) {
    tree.ForEachPreOrder([this](cTreeItem* at) {
        if (at->node)
            AddNode(*at->node);
    });
}
