#include "core/pages/pagevalues.h"

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

// ---- Policy part pages ----------------------------------------------------------------

cOptionalPairValues PairShownWhenSet(int flag, const Text& text) {
    return {flag != 0, flag != 0 ? text : Text()};
}

cOptionalPairValues PairAlwaysShown(int flag, const Text& text) {
    return {flag != 0, text};
}

void ApplyPair(const cOptionalPairValues& pair, int& flag, Text& text) {
    flag = pair.checked ? 1 : 0;
    text = pair.text;
}

namespace {}  // namespace

cKeyGroupValues LoadPartKey(const cPolicyPart& part) {
    cKeyGroupValues key;
    key.useDefault = part.useDefaultKey != 0;
    key.inheritedKey = part.GetInheritedKey();
    key.ownKey = part.GetEffectiveKey();
    return key;
}

void ApplyPartKey(const cKeyGroupValues& key, cPolicyPart& part, bool storeAlways) {
    part.useDefaultKey = key.useDefault ? 1 : 0;
    if (storeAlways || !key.useDefault)
        part.keyName = key.ownKey;
}

std::optional<Text> ValidatePartKey(const cKeyGroupValues& key) {
    if (!key.Valid())
        return Text(
            u"Unable to apply changes in current PolicyPart. The keyname must not be empty.");
    return std::nullopt;
}

cCheckBoxPageValues cCheckBoxPageValues::Load(const cPolPartCheckBox& part) {
    cCheckBoxPageValues values;
    values.name = part.name;
    values.checkedByDefault = part.defChecked != 0;
    values.key = LoadPartKey(part);
    values.valueName = part.valueName;
    values.valueOn = cValueGroupValues::Load(part.valueOn);
    values.valueOff = cValueGroupValues::Load(part.valueOff);
    values.actionListOn = part.actionListOn;
    values.actionListOff = part.actionListOff;
    return values;
}

void cCheckBoxPageValues::ApplyTo(cPolPartCheckBox& part) const {
    part.name = name;
    ApplyPartKey(key, part, false);
    part.defChecked = checkedByDefault ? 1 : 0;
    part.valueName = valueName;
    valueOn.ApplyTo(part.valueOn, valueName);
    valueOff.ApplyTo(part.valueOff, valueName);
    part.actionListOn = actionListOn;
    part.actionListOff = actionListOff;
}

namespace {

// An edit text and a combo box are both text entries and hold the same fields for it.
template <class Part>
cEditTextPageValues LoadTextEntry(const Part& part) {
    cEditTextPageValues values;
    values.name = part.name;
    values.defaultValue = PairShownWhenSet(part.defaultFlag, part.defaultText);
    values.maxLength = PairShownWhenSet(part.maxLenFlag, part.maxLen);
    values.required = part.required != 0;
    values.oemConvert = part.oemConvert != 0;
    values.expandableText = part.expandableText != 0;
    values.key = LoadPartKey(part);
    values.valueName = part.valueName;
    return values;
}

template <class Part>
void ApplyTextEntry(const cEditTextPageValues& values, Part& part) {
    part.name = values.name;
    ApplyPair(values.defaultValue, part.defaultFlag, part.defaultText);
    ApplyPair(values.maxLength, part.maxLenFlag, part.maxLen);
    part.required = values.required ? 1 : 0;
    part.oemConvert = values.oemConvert ? 1 : 0;
    part.expandableText = values.expandableText ? 1 : 0;
    ApplyPartKey(values.key, part, true);
    part.valueName = values.valueName;
}

}  // namespace

cEditTextPageValues cEditTextPageValues::Load(const cPolPartEditText& part) {
    return LoadTextEntry(part);
}

void cEditTextPageValues::ApplyTo(cPolPartEditText& part) const {
    ApplyTextEntry(*this, part);
}

cComboPageValues cComboPageValues::Load(const cPolPartCombo& part) {
    cComboPageValues values;
    static_cast<cEditTextPageValues&>(values) = LoadTextEntry(part);
    values.noSort = part.noSort != 0;
    for (const cSuggestion& suggestion : part.suggestions)
        values.suggestions.push_back(suggestion.text);
    return values;
}

void cComboPageValues::ApplyTo(cPolPartCombo& part) const {
    ApplyTextEntry(*this, part);
    part.noSort = noSort ? 1 : 0;
    part.suggestions.clear();
    for (const Text& row : suggestions)
        part.suggestions.push_back({row});
}

int cComboPageValues::AddRow(std::vector<Text>& rows, int selected) {
    int at = selected >= 0 && selected < int(rows.size()) ? selected + 1 : 0;
    rows.insert(rows.begin() + at, Text(kNewSuggestion));
    return at;
}

int cComboPageValues::DeleteRow(std::vector<Text>& rows, int selected) {
    if (selected < 0 || selected >= int(rows.size()))
        return -1;
    rows.erase(rows.begin() + selected);
    if (rows.empty())
        return -1;
    return selected > 0 ? selected - 1 : 0;
}

cDropDownPageValues cDropDownPageValues::Load(const cPolPartDropDown& part) {
    cDropDownPageValues values;
    values.name = part.name;
    values.required = part.required != 0;
    values.noSort = part.noSort != 0;
    values.key = LoadPartKey(part);
    values.valueName = part.valueName;
    return values;
}

void cDropDownPageValues::ApplyTo(cPolPartDropDown& part) const {
    part.name = name;
    part.required = required ? 1 : 0;
    part.noSort = noSort ? 1 : 0;
    ApplyPartKey(key, part, true);
    part.valueName = valueName;
}

cListBoxPageValues cListBoxPageValues::Load(const cPolPartListBox& part) {
    cListBoxPageValues values;
    values.name = part.name;
    values.additive = part.additive != 0;
    if (part.explicitValue) {
        values.naming = Naming::Explicit;
    } else if (part.valuePrefixFlag) {
        values.naming = Naming::Prefix;
        values.prefix = part.valuePrefix;
    }
    values.key = LoadPartKey(part);
    return values;
}

void cListBoxPageValues::ApplyTo(cPolPartListBox& part) const {
    part.name = name;
    part.additive = additive ? 1 : 0;
    if (naming == Naming::Explicit) {
        part.explicitValue = 1;
        part.valuePrefixFlag = 0;
        part.valuePrefix.clear();
    } else if (naming == Naming::ValueContent && part.admx) {
        // In an ADMX set an empty prefix names the values 1, 2, 3; values named by their
        // content have no prefix.
        part.explicitValue = 0;
        part.valuePrefixFlag = 0;
        part.valuePrefix.clear();
    } else {
        // "Value name equals value content" is a prefix that is empty.
        part.explicitValue = 0;
        part.valuePrefixFlag = 1;
        part.valuePrefix = naming == Naming::Prefix ? prefix : Text();
    }
    ApplyPartKey(key, part, true);
}

cNumericPageValues cNumericPageValues::Load(const cPolPartNum& part) {
    cNumericPageValues values;
    values.LoadFrom(part);
    return values;
}

void cNumericPageValues::ApplyTo(cPolPartNum& part) const {
    WriteTo(part);
}
