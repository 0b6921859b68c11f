#include "properties/pagevalues.h"

#include <algorithm>

namespace {

bool SameIgnoringCase(TextView a, TextView b) {
    return a.size() == b.size() && KeywordEquals(a, b);
}

}  // namespace

cValueGroupValues cValueGroupValues::Load(const cOptionalValue& record) {
    cValueGroupValues values;
    if (!record)
        return values;
    values.text = record->valueText;
    if (record->del) {
        values.choice = Choice::Delete;
    } else {
        values.choice = Choice::Explicit;
        values.numeric = record->numeric != 0;
    }
    return values;
}

void cValueGroupValues::ApplyTo(cOptionalValue& record, const Text& valueName) const {
    if (choice == Choice::Default) {
        record.reset();
        return;
    }
    if (!record)
        record.emplace();
    if (choice == Choice::Delete) {
        record->del = 1;
        record->numeric = 0;
        record->valueText.clear();
    } else {
        record->del = 0;
        record->numeric = numeric ? 1 : 0;
        record->valueText = text;
    }
    record->valueName = valueName;
}

cClassPageValues cClassPageValues::Load(const cPolClass& node) {
    return {node.className};
}

cCategoryPageValues cCategoryPageValues::Load(const cCategory& node) {
    cCategoryPageValues values;
    values.name = node.name;
    values.key.useDefault = node.useDefaultKey != 0;
    values.key.inheritedKey = node.GetInheritedKey();
    values.key.ownKey = node.GetEffectiveKey();
    // Only a category inside another category has a key to fall back on.
    const cData* parent = node.ParentObject();
    values.key.defaultEnabled =
        parent && parent->kind == kKindCategory && !values.key.inheritedKey.empty();
    values.explainChecked = node.explainFlag == 1;
    values.explainText = node.explainText;
    return values;
}

std::optional<Text> cCategoryPageValues::Validate() const {
    if (!key.Valid())
        return Text(u"Unable to apply changes in current category. The keyname must not be empty.");
    return std::nullopt;
}

void cCategoryPageValues::ApplyTo(cCategory& node) const {
    node.name = name;
    node.useDefaultKey = key.useDefault ? 1 : 0;
    if (!key.useDefault)
        node.keyName = key.ownKey;
    // Like a policy's explanation, the text stays stored while the box is clear.
    node.explainFlag = explainChecked ? 1 : 0;
    node.explainText = explainText;
}

cPolicyPage2Values cPolicyPage2Values::Load(const cPolicy& node) {
    return {node.explainFlag, node.explainText,   node.clientExtFlag,
            node.clientExt,   node.supportedFlag, node.supportedText};
}

void cPolicyPage2Values::ApplyTo(cPolicy& node) const {
    node.explainFlag = explainFlag;
    node.explainText = explainText;
    node.clientExtFlag = clientExtFlag;
    node.clientExt = clientExt;
    node.supportedFlag = supportedFlag;
    node.supportedText = supportedText;
}

cPolicyPage1Values cPolicyPage1Values::Load(const cPolicy& node) {
    cPolicyPage1Values values;
    values.name = node.name;
    values.key.inheritedKey = node.GetInheritedKey();
    values.key.ownKey = node.GetEffectiveKey();
    // With nothing to inherit, the policy is shown with a key of its own to fill in.
    values.key.useDefault = node.useDefaultKey != 0 && !values.key.inheritedKey.empty();
    values.valueNameChecked = node.valueNameFlag != 0;
    values.valueName = node.valueName;
    values.valueOn = cValueGroupValues::Load(node.valueOn);
    values.valueOff = cValueGroupValues::Load(node.valueOff);
    values.actionListOn = node.actionListOn;
    values.actionListOff = node.actionListOff;
    return values;
}

std::optional<Text> cPolicyPage1Values::Validate() const {
    if (!key.Valid())
        return Text(u"Unable to apply changes in current Policy. The keyname must not be empty.");
    return std::nullopt;
}

void cPolicyPage1Values::ApplyTo(cPolicy& node) const {
    node.name = name;
    node.useDefaultKey = key.useDefault ? 1 : 0;
    if (!key.useDefault)
        node.keyName = key.ownKey;
    node.valueNameFlag = valueNameChecked ? 1 : 0;
    if (valueNameChecked) {
        node.valueName = valueName;
        valueOn.ApplyTo(node.valueOn, valueName);
        valueOff.ApplyTo(node.valueOff, valueName);
    } else {
        // The value name is kept for when it is switched on again.
        node.valueOn.reset();
        node.valueOff.reset();
    }
    node.actionListOn = actionListOn;
    node.actionListOff = actionListOff;
}

cVersionPageValues cVersionPageValues::Load(const cPolVersion& node) {
    cVersionPageValues values;
    values.number = node.number;
    bool listed =
        std::find(kOperators.begin(), kOperators.end(), TextView(node.op)) != kOperators.end();
    if (listed)
        values.op = node.op;
    return values;
}

int cVersionPageValues::SelectedIndex() const {
    auto it = std::find(kOperators.begin(), kOperators.end(), TextView(op));
    return it == kOperators.end() ? -1 : int(it - kOperators.begin());
}

std::optional<Text> cVersionPageValues::Validate() const {
    for (TextView candidate : kOperators)
        if (SameIgnoringCase(op, candidate))
            return std::nullopt;
    return Text(
        u"Unable to apply changes in current PolicyPart. The Operand must be on of "
        u"<,<=,>,>=,==,!=");
}

void cVersionPageValues::ApplyTo(cPolVersion& node) const {
    node.op = op;
    node.number = number;
    node.RebuildLabel();
}

Text ApplyQuestionFor(const cData* node) {
    switch (node ? node->kind : 0) {
        case kKindClass:
            return u"Apply changes to the current class?";
        case kKindCategory:
            return u"Apply changes to the current category?";
        case kKindPolicy:
            return u"Apply changes to the current policy?";
        case kKindPart:
            return u"Apply changes to the current Policy Part?";
        case kKindVersion:
            return u"Apply changes to the current Version object?";
        default:
            return u"Apply changes to the current object?";
    }
}
