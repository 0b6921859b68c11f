#include "core/admx/admxset.h"

#include <algorithm>
#include <cstring>

cAdmxSet::cPlace cAdmxSet::Resolve(std::string_view reference, std::string& name) const {
    size_t colon = reference.find(':');
    if (colon == std::string_view::npos) {
        name = std::string(reference);
        return cPlace::Here;
    }
    std::string prefix(reference.substr(0, colon));
    name = std::string(reference.substr(colon + 1));
    if (prefix == targetPrefix)
        return cPlace::Here;
    return usingPrefixes.count(prefix) ? cPlace::Elsewhere : cPlace::Nowhere;
}

const cAdmxOrigin* OriginIn(const cData& node, const cAdmxSet* set) {
    if (!node.admx || !node.admx->origin)
        return nullptr;
    const auto* origin = dynamic_cast<const cAdmxOrigin*>(node.admx->origin.get());
    return origin && origin->set.get() == set ? origin : nullptr;
}

namespace {

// The texts of a presentation's controls, a line each.
Text ControlTexts(pugi::xml_node presentation) {
    Text texts;
    bool first = true;
    for (pugi::xml_node control = presentation.first_child(); control;
         control = control.next_sibling()) {
        if (control.type() != pugi::node_element)
            continue;
        if (!first)
            texts += u'\n';
        first = false;
        pugi::xml_node label = Child(control, "label");
        texts += ElementText(label ? label : control);
    }
    return texts;
}

cStringMap Entries(const cAdmlFile& adml, std::string_view table, std::string_view entry,
                   bool strings) {
    cStringMap out;
    pugi::xml_node holder = Child(Child(adml.xml.Root(), "resources"), table);
    for (pugi::xml_node node = holder.first_child(); node; node = node.next_sibling())
        if (Is(node, entry))
            out.Set(AttributeText(node, "id"), strings ? ElementText(node) : ControlTexts(node));
    return out;
}

}  // namespace

Text LanguageTagOf(TextView folder) {
    Text tag(folder);
    size_t start = 0;
    for (size_t part = 0; start <= tag.size(); ++part) {
        size_t end = tag.find(u'-', start);
        if (end == Text::npos)
            end = tag.size();
        for (size_t i = start; i < end; ++i) {
            // The language in small letters, a script capitalized, a region in capitals.
            const bool upper = part > 0 && (end - start != 4 || i == start);
            char16_t& c = tag[i];
            if (upper && c >= u'a' && c <= u'z')
                c = char16_t(c - u'a' + u'A');
            else if (!upper && c >= u'A' && c <= u'Z')
                c = char16_t(c - u'A' + u'a');
        }
        start = end + 1;
    }
    return tag;
}

cStringMap AdmlStrings(const cAdmlFile& adml) {
    return Entries(adml, "stringTable", "string", true);
}

cStringMap AdmlPresentations(const cAdmlFile& adml) {
    return Entries(adml, "presentationTable", "presentation", false);
}

Text PresentationRow(TextView id) {
    return u"$(presentation." + Text(id) + u")";
}

void cAdmxState::LoadLanguages() {
    if (languages || !set)
        return;
    languages.emplace();
    cStringMap display = AdmlStrings(set->Display());
    const cStringMap shown = AdmlPresentations(set->Display());
    for (const auto& [id, texts] : shown.Entries()) {
        presentations.Set(PresentationRow(id), texts);
        display.Set(PresentationRow(id), texts);
    }
    for (size_t i = 0; i < set->languages.size(); ++i) {
        if (i == set->display)
            continue;
        cLanguageTable table;
        table.language = LanguageTagOf(set->languages[i]->folder);
        table.strings = AdmlStrings(*set->languages[i]);
        const cStringMap own = AdmlPresentations(*set->languages[i]);
        for (const auto& [id, texts] : own.Entries())
            table.strings.Set(PresentationRow(id), texts);
        for (const auto& [name, text] : table.strings.Entries())
            if (const Text* source = display.Find(name))
                table.basis.emplace(name, *source);
        languages->push_back(std::move(table));
    }
}

void cAdmxState::NameAfterFile(const Text& stem) {
    if (!namedByFirstSave || !set)
        return;
    namedByFirstSave = false;
    // A using a paste added is no naming by the user; a namespace of their own is.
    const cAdmxTemplateProps read = TemplatePropsOf(*set);
    cAdmxTemplateProps named = templateProps.value_or(read);
    if (named.target != read.target)
        return;
    named.target = NamespaceNamedAfter(stem);
    templateProps = std::move(named);
}

cAdmxNamespace NamespaceNamedAfter(TextView name) {
    Text id;
    for (char16_t c : name)
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
            id.push_back(c);
    // A prefix begins with a letter.
    if (id.empty() || (id[0] >= u'0' && id[0] <= u'9'))
        id = u"Policies" + id;
    if (id[0] >= u'a' && id[0] <= u'z')
        id[0] = char16_t(id[0] - u'a' + u'A');
    Text prefix = id;
    for (char16_t& c : prefix)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return {prefix, id + u".Policies"};
}

cSupportedOnTable cAdmxState::SupportedOn() const {
    if (supportedOn)
        return *supportedOn;
    return set ? cSupportedOnTable::Read(Child(set->admx.Root(), "supportedOn"))
               : cSupportedOnTable();
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && LocalName(child.name()) == local)
            return child;
    return pugi::xml_node();
}

bool Is(pugi::xml_node node, std::string_view local) {
    return node.type() == pugi::node_element && LocalName(node.name()) == local;
}

Text ElementText(pugi::xml_node node) {
    // Mostly one piece of text without a carriage return, taken as it is.
    pugi::xml_node only = node.first_child();
    if (only && !only.next_sibling() &&
        (only.type() == pugi::node_pcdata || only.type() == pugi::node_cdata) &&
        !std::strchr(only.value(), '\r'))
        return FromUtf8(only.value());
    std::string joined;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            joined += child.value();
    // Line ends as XML reads them: CR LF and a lone CR are LF.
    std::string text;
    text.reserve(joined.size());
    for (size_t i = 0; i < joined.size(); ++i) {
        if (joined[i] == '\r') {
            text.push_back('\n');
            if (i + 1 < joined.size() && joined[i + 1] == '\n')
                ++i;
        } else {
            text.push_back(joined[i]);
        }
    }
    return FromUtf8(text);
}

Text AttributeText(pugi::xml_node node, const char* name) {
    return FromUtf8(node.attribute(name).value());
}

bool AttributeFlag(pugi::xml_node node, const char* name) {
    std::string_view value = node.attribute(name).value();
    return value == "true" || value == "1";
}

namespace {

std::string_view ReferenceId(std::string_view text, std::string_view head) {
    if (text.size() <= head.size() + 1 || text.substr(0, head.size()) != head || text.back() != ')')
        return std::string_view();
    return text.substr(head.size(), text.size() - head.size() - 1);
}

// A flag and its text from an attribute that may be missing.
void Optional(pugi::xml_node node, const char* name, int& flag, Text& text) {
    pugi::xml_attribute attribute = node.attribute(name);
    flag = attribute ? 1 : 0;
    if (attribute)
        text = FromUtf8(attribute.value());
}

// The one value a value element holds: a number, a text or the removal of the value.
void ReadValue(pugi::xml_node holder, cDescVal& value) {
    for (pugi::xml_node child = holder.first_child(); child; child = child.next_sibling()) {
        if (Is(child, "decimal") || Is(child, "longDecimal")) {
            value.numeric = 1;
            value.valueText = AttributeText(child, "value");
            return;
        }
        if (Is(child, "string")) {
            value.valueText = ElementText(child);
            return;
        }
        if (Is(child, "delete")) {
            value.del = 1;
            return;
        }
    }
}

cOptionalValue ReadOptionalValue(pugi::xml_node holder) {
    if (!holder)
        return std::nullopt;
    cDescVal value;
    ReadValue(holder, value);
    return value;
}

// An enabledList, disabledList, trueList, falseList or valueList: its items grouped by key,
// each item's key written out (its own, else the list's default key, else its owner's).
cActionList ReadList(pugi::xml_node list, const Text& ownerKey) {
    cActionList out;
    if (!list)
        return out;
    Text defaultKey = list.attribute("defaultKey") ? AttributeText(list, "defaultKey") : ownerKey;
    for (pugi::xml_node item = list.first_child(); item; item = item.next_sibling()) {
        if (!Is(item, "item"))
            continue;
        Text key = item.attribute("key") ? AttributeText(item, "key") : defaultKey;
        if (out.empty() || out.back().keyName != key)
            out.push_back(cActionKey{key, {}});
        cActionValue& entry = out.back().entries.emplace_back();
        entry.valueName = AttributeText(item, "valueName");
        ReadValue(Child(item, "value"), entry);
    }
    return out;
}

Text Label(pugi::xml_node control) {
    if (Is(control, "textBox") || Is(control, "comboBox"))
        return ElementText(Child(control, "label"));
    return ElementText(control);
}

// A number a spin box steps by: "0" for no spin box, as SPIN 0 says in a template.
void ReadSpin(pugi::xml_node control, int& flag, Text& spin) {
    flag = 0;
    spin = u"1";
    if (control.attribute("spin") && !AttributeFlag(control, "spin")) {
        flag = 1;
        spin = u"0";
    } else if (control.attribute("spinStep")) {
        flag = 1;
        spin = AttributeText(control, "spinStep");
    }
}

template <typename Number>
void ReadNumber(pugi::xml_node element, pugi::xml_node control, Number& num) {
    num.required = AttributeFlag(element, "required");
    Optional(element, "minValue", num.minFlag, num.min);
    Optional(element, "maxValue", num.maxFlag, num.max);
    num.txtConvert = AttributeFlag(element, "storeAsText");
    Optional(control, "defaultValue", num.defaultFlag, num.defaultValue);
    ReadSpin(control, num.spinFlag, num.spin);
}

}  // namespace

std::string_view StringId(std::string_view text) {
    return ReferenceId(text, "$(string.");
}

std::string_view PresentationId(std::string_view text) {
    return ReferenceId(text, "$(presentation.");
}

Text AdmxNameFrom(TextView text) {
    constexpr size_t kLongest = 64;
    Text name;
    bool wordStart = true;
    for (char16_t c : text) {
        const bool lower = c >= u'a' && c <= u'z';
        const bool kept = lower || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                          c == u'_' || (c >= 0x80 && c < 0xD800);
        if (!kept) {
            wordStart = true;
            continue;
        }
        if (name.size() >= kLongest)
            break;
        name += wordStart && lower ? char16_t(c - u'a' + u'A') : c;
        wordStart = false;
    }
    if (!name.empty() && name.front() >= u'0' && name.front() <= u'9')
        name.insert(name.begin(), u'_');
    return name;
}

Text StringReference(std::string_view id) {
    return u"$(string." + FromUtf8(id) + u")";
}

void ReadCategoryFields(pugi::xml_node element, cCategory& category) {
    category.name = AttributeText(element, "displayName");
    Optional(element, "explainText", category.explainFlag, category.explainText);
    category.keyName.clear();
    category.useDefaultKey = 1;
}

Text SupportedOnText(const cAdmxSet& set, std::string_view reference) {
    // A definition of this file shows its display name, one of a file beside it its text;
    // any other reference as written.
    std::string name;
    auto found = set.supportedOn.end();
    if (set.Resolve(reference, name) == cAdmxSet::cPlace::Here) {
        found = set.supportedOn.find(name);
    } else if (auto other = set.neighbourSupportedOn.find(std::string(reference));
               other != set.neighbourSupportedOn.end() && !other->second.empty()) {
        return other->second;
    }
    return found != set.supportedOn.end() && found->second.attribute("displayName")
               ? AttributeText(found->second, "displayName")
               : FromUtf8(reference);
}

void ReadPolicyFields(const cAdmxSet& set, pugi::xml_node element, cPolicy& policy) {
    policy.name = AttributeText(element, "displayName");
    Optional(element, "explainText", policy.explainFlag, policy.explainText);
    int keyFlag = 0;
    Optional(element, "key", keyFlag, policy.keyName);
    policy.useDefaultKey = keyFlag ? 0 : 1;
    Optional(element, "valueName", policy.valueNameFlag, policy.valueName);
    Optional(element, "clientExtension", policy.clientExtFlag, policy.clientExt);
    policy.supportedFlag = 0;
    policy.supportedText.clear();
    if (pugi::xml_node supported = Child(element, "supportedOn")) {
        policy.supportedFlag = 1;
        policy.supportedText = SupportedOnText(set, supported.attribute("ref").value());
    }
    policy.valueOn = ReadOptionalValue(Child(element, "enabledValue"));
    policy.valueOff = ReadOptionalValue(Child(element, "disabledValue"));
    policy.actionListOn = ReadList(Child(element, "enabledList"), policy.keyName);
    policy.actionListOff = ReadList(Child(element, "disabledList"), policy.keyName);
}

std::vector<cControlInfo> PolicyControls(pugi::xml_node policy, pugi::xml_node presentation,
                                         std::vector<pugi::xml_node>* unknown) {
    static constexpr std::string_view kBound[] = {
        "checkBox",     "textBox",  "decimalTextBox", "longDecimalTextBox",
        "multiTextBox", "comboBox", "dropdownList",   "listBox"};
    std::vector<pugi::xml_node> elements;
    for (pugi::xml_node element = Child(policy, "elements").first_child(); element;
         element = element.next_sibling())
        if (element.type() == pugi::node_element)
            elements.push_back(element);
    std::vector<bool> shown(elements.size(), false);
    std::vector<cControlInfo> out;
    for (pugi::xml_node control = presentation.first_child(); control;
         control = control.next_sibling()) {
        if (control.type() != pugi::node_element)
            continue;
        if (Is(control, "text")) {
            out.push_back({control, pugi::xml_node()});
            continue;
        }
        std::string_view local = LocalName(control.name());
        if (std::find(std::begin(kBound), std::end(kBound), local) == std::end(kBound))
            continue;
        const char* refId = control.attribute("refId").value();
        size_t i = 0;
        while (i < elements.size() && std::strcmp(elements[i].attribute("id").value(), refId))
            ++i;
        if (i == elements.size()) {
            if (unknown)
                unknown->push_back(control);
            continue;
        }
        // An element shown twice is a part once.
        if (shown[i])
            continue;
        shown[i] = true;
        out.push_back({control, elements[i]});
    }
    for (size_t i = 0; i < elements.size(); ++i)
        if (!shown[i])
            out.push_back({pugi::xml_node(), elements[i]});
    return out;
}

bool IsModelledElement(pugi::xml_node element) {
    for (std::string_view kind :
         {"boolean", "decimal", "longDecimal", "text", "multiText", "enum", "list"})
        if (Is(element, kind))
            return true;
    return false;
}

std::unique_ptr<cObjPolPart> ReadPart(const cControlInfo& info, pugi::xml_node policy,
                                      cObjPolicy* owner) {
    const pugi::xml_node element = info.element;
    const pugi::xml_node control = info.control;
    std::unique_ptr<cObjPolPart> part;
    if (!element) {
        auto text = std::make_unique<cObjPolPartText>(owner);
        text->name = ElementText(control);
        part = std::move(text);
    } else {
        const Text ownerKey =
            element.attribute("key") ? AttributeText(element, "key") : AttributeText(policy, "key");
        if (Is(element, "boolean")) {
            auto box = std::make_unique<cObjPolPartCheckBox>(owner);
            box->valueOn = ReadOptionalValue(Child(element, "trueValue"));
            box->valueOff = ReadOptionalValue(Child(element, "falseValue"));
            box->actionListOn = ReadList(Child(element, "trueList"), ownerKey);
            box->actionListOff = ReadList(Child(element, "falseList"), ownerKey);
            box->defChecked = AttributeFlag(control, "defaultChecked");
            part = std::move(box);
        } else if (Is(element, "decimal")) {
            auto num = std::make_unique<cObjPolPartNum>(owner);
            ReadNumber(element, control, *num);
            part = std::move(num);
        } else if (Is(element, "longDecimal")) {
            auto num = std::make_unique<cObjPolPartLongNum>(owner);
            ReadNumber(element, control, *num);
            part = std::move(num);
        } else if (Is(element, "text") && Is(control, "comboBox")) {
            auto combo = std::make_unique<cObjPolPartCombo>(owner);
            combo->required = AttributeFlag(element, "required");
            Optional(element, "maxLength", combo->maxLenFlag, combo->maxLen);
            combo->expandableText = AttributeFlag(element, "expandable");
            combo->noSort = AttributeFlag(control, "noSort");
            if (pugi::xml_node value = Child(control, "default")) {
                combo->defaultFlag = 1;
                combo->defaultText = ElementText(value);
            }
            for (pugi::xml_node s = control.first_child(); s; s = s.next_sibling())
                if (Is(s, "suggestion"))
                    combo->suggestions.push_back({ElementText(s)});
            part = std::move(combo);
        } else if (Is(element, "text")) {
            auto edit = std::make_unique<cObjPolPartEditText>(owner);
            edit->required = AttributeFlag(element, "required");
            Optional(element, "maxLength", edit->maxLenFlag, edit->maxLen);
            edit->expandableText = AttributeFlag(element, "expandable");
            if (pugi::xml_node value = Child(control, "defaultValue")) {
                edit->defaultFlag = 1;
                edit->defaultText = ElementText(value);
            }
            part = std::move(edit);
        } else if (Is(element, "multiText")) {
            auto text = std::make_unique<cObjPolPartMultiText>(owner);
            text->required = AttributeFlag(element, "required");
            Optional(element, "maxLength", text->maxLenFlag, text->maxLen);
            Optional(element, "maxStrings", text->maxStringsFlag, text->maxStrings);
            Optional(control, "defaultHeight", text->defaultHeightFlag, text->defaultHeight);
            part = std::move(text);
        } else if (Is(element, "enum")) {
            auto list = std::make_unique<cObjPolPartDropDown>(owner);
            list->required = AttributeFlag(element, "required");
            list->noSort = AttributeFlag(control, "noSort");
            for (pugi::xml_node item = element.first_child(); item; item = item.next_sibling()) {
                if (!Is(item, "item"))
                    continue;
                cItemList& entry = list->itemList.emplace_back();
                entry.name = AttributeText(item, "displayName");
                ReadValue(Child(item, "value"), entry.value);
                entry.actionList = ReadList(Child(item, "valueList"), ownerKey);
            }
            pugi::xml_attribute defaultItem = control.attribute("defaultItem");
            if (defaultItem && defaultItem.as_uint() < list->itemList.size())
                list->itemList[defaultItem.as_uint()].defaultFlag = 1;
            part = std::move(list);
        } else if (Is(element, "list")) {
            auto box = std::make_unique<cObjPolPartListBox>(owner);
            Optional(element, "valuePrefix", box->valuePrefixFlag, box->valuePrefix);
            box->additive = AttributeFlag(element, "additive");
            box->explicitValue = AttributeFlag(element, "explicitValue");
            part = std::move(box);
        } else {
            return nullptr;
        }
        part->name = control ? Label(control) : AttributeText(element, "id");
        int keyFlag = 0;
        Optional(element, "key", keyFlag, part->keyName);
        part->useDefaultKey = keyFlag ? 0 : 1;
        part->valueName = AttributeText(element, "valueName");
    }
    return part;
}

std::unique_ptr<cObjPolPart> MakePart(const std::shared_ptr<const cAdmxSet>& set,
                                      const cControlInfo& info, pugi::xml_node policy,
                                      cObjPolicy* owner) {
    std::unique_ptr<cObjPolPart> part = ReadPart(info, policy, owner);
    if (!part)
        return nullptr;
    // A static text has no element: it stands with its policy.
    part->line = set->admx.LineOf(info.element ? info.element : policy);
    if (auto* list = dynamic_cast<cObjPolPartDropDown*>(part.get())) {
        size_t i = 0;
        for (pugi::xml_node item = info.element.first_child(); item; item = item.next_sibling())
            if (Is(item, "item") && i < list->itemList.size())
                list->itemList[i++].line.number = set->admx.LineOf(item);
    }
    cAdmxRecord& record = part->admx.emplace();
    record.origin = std::make_shared<cAdmxOrigin>(set, info.element, info.control);
    record.name = AttributeText(info.element, "id");
    record.soft = AttributeFlag(info.element, "soft");
    return part;
}
