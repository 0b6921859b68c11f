// The parts of a policy: its elements in the ADMX file and their controls in the presentation.

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/admx/admxread.h"
#include "core/admx/admxsetwriter.h"
#include "core/model/partkinds.h"
#include "core/text/messages.h"

cSetWriter::cPartTags cSetWriter::TagsOf(const cObjPolPart& part) {
    return VisitPart(part, cOverloaded{
                               [](const cObjPolPartCheckBox&) {
                                   return cPartTags{"boolean", "checkBox"};
                               },
                               [](const cObjPolPartCombo&) {
                                   return cPartTags{"text", "comboBox"};
                               },
                               [](const cObjPolPartDropDown&) {
                                   return cPartTags{"enum", "dropdownList"};
                               },
                               [](const cObjPolPartEditText&) {
                                   return cPartTags{"text", "textBox"};
                               },
                               [](const cObjPolPartListBox&) {
                                   return cPartTags{"list", "listBox"};
                               },
                               [](const cObjPolPartNum&) {
                                   return cPartTags{"decimal", "decimalTextBox"};
                               },
                               [](const cObjPolPartText&) {
                                   return cPartTags{nullptr, "text"};
                               },
                               [](const cObjPolPartMultiText&) {
                                   return cPartTags{"multiText", "multiTextBox"};
                               },
                               [](const cObjPolPartLongNum&) {
                                   return cPartTags{"longDecimal", "longDecimalTextBox"};
                               },
                           });
}

pugi::xml_node cSetWriter::PresentationOf(pugi::xml_node policy, const std::string& base,
                                          bool make) {
    std::string_view id = PresentationId(policy.attribute("presentation").value());
    pugi::xml_node resources = Child(DisplayAdml().document_element(), "resources");
    pugi::xml_node table = Child(resources, "presentationTable");
    if (!id.empty())
        for (pugi::xml_node p = table.first_child(); p; p = p.next_sibling())
            if (Is(p, "presentation") && p.attribute("id").value() == id)
                return p;
    if (!make)
        return pugi::xml_node();
    if (!table)
        table = EnsureChild(EnsureChild(DisplayAdml().document_element(), "resources", Order{}),
                            "presentationTable", kAdmlResourcesOrder);
    std::string name = id.empty() ? base : std::string(id);
    pugi::xml_node presentation = AppendElement(table, "presentation");
    presentation.append_attribute("id").set_value(name.c_str());
    SetAttribute(policy, "presentation", u"$(presentation." + FromUtf8(name) + u")");
    for (size_t i = 0; i < m_adml.size(); ++i)
        if (i != m_set.display && !OtherPresentation(i, name))
            AppendElement(OtherTable(i, "presentationTable"), "presentation")
                .append_attribute("id")
                .set_value(name.c_str());
    return presentation;
}

void cSetWriter::Parts(cObjPolicy& node, pugi::xml_node element, pugi::xml_node original,
                       const std::string& base) {
    // What the policy held: its elements and controls, taken by the parts from it.
    std::unordered_set<pugi::xml_node_struct*> taken;
    pugi::xml_node presentation = PresentationOf(element, base, false);
    // A presentation shared with a policy written before keeps what that one wrote.
    const bool sharedPresentation =
        presentation && !m_claimedPresentations.insert(presentation.internal_object()).second;
    std::vector<pugi::xml_node> controls;
    std::unordered_set<std::string> ids;
    for (pugi::xml_node e = Child(element, "elements").first_child(); e; e = e.next_sibling())
        if (e.type() == pugi::node_element)
            ids.insert(e.attribute("id").value());

    for (const auto& part : node.Parts()) {
        const cAdmxOrigin* origin = OriginIn(*part, &m_set);
        // Its own element and control only when they are this policy's, once.
        bool mine = origin && original &&
                    (origin->element ? origin->element.parent().parent() == original
                                     : origin->control.parent() == OriginalPresentation(original));
        pugi::xml_node partElement = mine ? CopyOf(origin->element) : pugi::xml_node();
        pugi::xml_node control = mine ? CopyOf(origin->control) : pugi::xml_node();
        if (mine && !taken.insert((partElement ? partElement : control).internal_object()).second)
            mine = false, partElement = control = pugi::xml_node();
        const cPartTags tags = TagsOf(*part);
        if (!mine && tags.element) {
            const cAdmxOrigin* foreign =
                part->admx && part->admx->origin
                    ? dynamic_cast<const cAdmxOrigin*>(part->admx->origin.get())
                    : nullptr;
            pugi::xml_node elements = EnsureChild(element, "elements", kPolicyOrder);
            partElement = foreign && foreign->element ? AppendCopy(elements, foreign->element)
                                                      : AppendElement(elements, tags.element);
            std::string id = part->admx && !part->admx->name.empty() ? ToUtf8(part->admx->name)
                                                                     : std::string(tags.element);
            std::string unique = id;
            for (int n = 2; ids.count(unique); ++n)
                unique = id + "_" + std::to_string(n);
            ids.insert(unique);
            SetAttribute(partElement, "id", FromUtf8(unique));
            taken.insert(partElement.internal_object());
        }
        if (partElement && mine && part->admx &&
            ToUtf8(part->admx->name) != partElement.attribute("id").value()) {
            SetAttribute(partElement, "id", part->admx->name);
            if (control && !sharedPresentation)
                MirrorRefId(control, part->admx->name);
            SetAttribute(control, "refId", part->admx->name, bool(control));
        }
        if (partElement && part->admx && CanBeSoftElement(partElement) &&
            part->admx->soft != AttributeFlag(partElement, "soft"))
            SetFlag(partElement, "soft", part->admx->soft);
        if (!control && !sharedPresentation) {
            // A part read without a control shows its element's id; any other name needs one,
            // and so does a new part: the policy editor shows no element without a control.
            bool needed = !tags.element || !mine || part->name != AttributeText(partElement, "id");
            if (needed) {
                if (!presentation)
                    presentation = PresentationOf(element, base, true);
                const cAdmxOrigin* from =
                    part->admx && part->admx->origin
                        ? dynamic_cast<const cAdmxOrigin*>(part->admx->origin.get())
                        : nullptr;
                control = from && from->control && Is(from->control, tags.control)
                              ? AppendCopy(presentation, from->control)
                              : AppendElement(presentation, tags.control);
                if (partElement)
                    SetAttribute(control, "refId", AttributeText(partElement, "id"));
                m_newControls.push_back({presentation, control});
            }
        }
        if (control)
            controls.push_back(control);
        PartFields(*part, partElement, control, element, sharedPresentation);
    }
    // What no part took any more was deleted; elements the model does not know stay.
    if (original) {
        for (pugi::xml_node e = Child(original, "elements").first_child(); e; e = e.next_sibling())
            if (IsModelledElement(e) && !taken.count(CopyOf(e).internal_object()))
                RemoveElement(CopyOf(e));
        if (presentation && !sharedPresentation) {
            for (const cControlInfo& info :
                 PolicyControls(original, OriginalPresentation(original), nullptr)) {
                if (!info.control || (info.element && !IsModelledElement(info.element)))
                    continue;
                pugi::xml_node copy = CopyOf(info.control);
                if (std::find(controls.begin(), controls.end(), copy) == controls.end()) {
                    MirrorRemoval(info.control);
                    RemoveElement(copy);
                }
            }
        }
    }
    if (presentation && !sharedPresentation)
        Reorder(presentation, controls);
}

pugi::xml_node cSetWriter::OriginalPresentation(pugi::xml_node policy) const {
    auto found = m_set.presentations.find(
        std::string(PresentationId(policy.attribute("presentation").value())));
    return found == m_set.presentations.end() ? pugi::xml_node() : found->second;
}

void cSetWriter::Reorder(pugi::xml_node presentation, const std::vector<pugi::xml_node>& controls) {
    std::vector<pugi::xml_node> now;
    for (pugi::xml_node c = presentation.first_child(); c; c = c.next_sibling())
        if (std::find(controls.begin(), controls.end(), c) != controls.end())
            now.push_back(c);
    if (now == controls)
        return;
    for (size_t i = 1; i < controls.size(); ++i) {
        std::string blanks = BlanksBefore(controls[i]);
        if (IsBlankText(controls[i].previous_sibling()))
            presentation.remove_child(controls[i].previous_sibling());
        presentation.insert_move_after(controls[i], controls[i - 1]);
        if (!blanks.empty())
            presentation.insert_child_before(pugi::node_pcdata, controls[i])
                .set_value(blanks.c_str());
    }
}

void cSetWriter::PartFields(const cObjPolPart& part, pugi::xml_node element, pugi::xml_node control,
                            pugi::xml_node policy, bool sharedPresentation) {
    std::unique_ptr<cObjPolPart> read = ReadPart({control, element}, policy, nullptr);
    if (!read || read->PanelKind() != part.PanelKind()) {
        Refuse(
            FormatText(u"The part \"%.50s\" cannot be written to an ADMX file: its "
                       u"element is of another kind.",
                       {ResolveAdmxText(m_content.strings, part.name)}));
        return;
    }
    if (control && !sharedPresentation && part.name != read->name) {
        if (Is(control, "textBox") || Is(control, "comboBox"))
            SetText(EnsureChild(control, "label",
                                Is(control, "textBox") ? Order(kTextBoxOrder) : Order(kComboOrder)),
                    part.name);
        else
            SetText(control, part.name);
    }
    if (!element)
        return;
    if (part.useDefaultKey != read->useDefaultKey || part.keyName != read->keyName)
        SetAttribute(element, "key", part.keyName, part.useDefaultKey == 0);
    if (UsesValueName(part) && part.valueName != read->valueName)
        SetAttribute(element, "valueName", part.valueName);
    const Text ownerKey = part.useDefaultKey ? AttributeText(policy, "key") : part.keyName;
    const bool controlFields = control && !sharedPresentation;
    auto optional = [&](pugi::xml_node node, const char* name, int flag, int readFlag,
                        const Text& text, const Text& readText) {
        if (flag != readFlag || (flag && text != readText))
            SetAttribute(node, name, text, flag != 0);
    };
    auto flag = [&](pugi::xml_node node, const char* name, int value, int readValue) {
        if ((value != 0) != (readValue != 0))
            SetFlag(node, name, value);
    };
    VisitPart(part, [&](const auto& kind) {
        using Kind = std::remove_cvref_t<decltype(kind)>;
        const Kind& was = static_cast<const Kind&>(*read);
        if constexpr (std::is_same_v<Kind, cObjPolPartCheckBox>) {
            if (kind.valueOn != was.valueOn)
                WriteOptionalValue(element, "trueValue", kBooleanOrder, kind.valueOn);
            if (kind.valueOff != was.valueOff)
                WriteOptionalValue(element, "falseValue", kBooleanOrder, kind.valueOff);
            if (kind.actionListOn != was.actionListOn)
                WriteList(element, "trueList", kBooleanOrder, kind.actionListOn, ownerKey,
                          was.actionListOn);
            if (kind.actionListOff != was.actionListOff)
                WriteList(element, "falseList", kBooleanOrder, kind.actionListOff, ownerKey,
                          was.actionListOff);
            if (controlFields)
                flag(control, "defaultChecked", kind.defChecked, was.defChecked);
        } else if constexpr (std::is_same_v<Kind, cObjPolPartNum> ||
                             std::is_same_v<Kind, cObjPolPartLongNum>) {
            flag(element, "required", kind.required, was.required);
            optional(element, "minValue", kind.minFlag, was.minFlag, kind.min, was.min);
            optional(element, "maxValue", kind.maxFlag, was.maxFlag, kind.max, was.max);
            flag(element, "storeAsText", kind.txtConvert, was.txtConvert);
            if (controlFields) {
                optional(control, "defaultValue", kind.defaultFlag, was.defaultFlag,
                         kind.defaultValue, was.defaultValue);
                if (kind.spinFlag != was.spinFlag || kind.spin != was.spin) {
                    control.remove_attribute("spin");
                    control.remove_attribute("spinStep");
                    if (kind.spinFlag && kind.spin == u"0")
                        SetAttribute(control, "spin", u"false");
                    else if (kind.spinFlag)
                        SetAttribute(control, "spinStep", kind.spin);
                }
            }
        } else if constexpr (std::is_same_v<Kind, cObjPolPartEditText> ||
                             std::is_same_v<Kind, cObjPolPartCombo>) {
            flag(element, "required", kind.required, was.required);
            optional(element, "maxLength", kind.maxLenFlag, was.maxLenFlag, kind.maxLen,
                     was.maxLen);
            flag(element, "expandable", kind.expandableText, was.expandableText);
            if (kind.oemConvert)
                Refuse(
                    FormatText(u"The part \"%.50s\" converts to OEM characters, which an "
                               u"ADMX file cannot hold. Clear the OEM conversion.",
                               {ResolveAdmxText(m_content.strings, kind.name)}));
            if (!controlFields)
                return;
            const bool combo = std::is_same_v<Kind, cObjPolPartCombo>;
            const char* defaultTag = combo ? "default" : "defaultValue";
            const Order order = combo ? Order(kComboOrder) : Order(kTextBoxOrder);
            if (kind.defaultFlag != was.defaultFlag ||
                (kind.defaultFlag && kind.defaultText != was.defaultText)) {
                if (kind.defaultFlag)
                    SetText(EnsureChild(control, defaultTag, order), kind.defaultText);
                else
                    RemoveChild(control, defaultTag);
            }
            if constexpr (std::is_same_v<Kind, cObjPolPartCombo>) {
                flag(control, "noSort", kind.noSort, was.noSort);
                if (kind.suggestions != was.suggestions) {
                    while (pugi::xml_node s = Child(control, "suggestion"))
                        RemoveElement(s);
                    for (const cSuggestion& suggestion : kind.suggestions)
                        SetText(AppendElement(control, "suggestion"), suggestion.text);
                }
            }
        } else if constexpr (std::is_same_v<Kind, cObjPolPartMultiText>) {
            flag(element, "required", kind.required, was.required);
            optional(element, "maxLength", kind.maxLenFlag, was.maxLenFlag, kind.maxLen,
                     was.maxLen);
            optional(element, "maxStrings", kind.maxStringsFlag, was.maxStringsFlag,
                     kind.maxStrings, was.maxStrings);
            if (controlFields)
                optional(control, "defaultHeight", kind.defaultHeightFlag, was.defaultHeightFlag,
                         kind.defaultHeight, was.defaultHeight);
        } else if constexpr (std::is_same_v<Kind, cObjPolPartDropDown>) {
            flag(element, "required", kind.required, was.required);
            Items(kind, was, element, ownerKey);
            if (controlFields) {
                flag(control, "noSort", kind.noSort, was.noSort);
                auto isDefault = [](const cItemList& item) { return item.defaultFlag != 0; };
                auto now = std::find_if(kind.itemList.begin(), kind.itemList.end(), isDefault);
                auto before = std::find_if(was.itemList.begin(), was.itemList.end(), isDefault);
                long index = now == kind.itemList.end() ? -1 : long(now - kind.itemList.begin());
                long readIndex =
                    before == was.itemList.end() ? -1 : long(before - was.itemList.begin());
                if (index != readIndex)
                    SetAttribute(control, "defaultItem", FormatText(u"%d", {index}), index >= 0);
            }
        } else if constexpr (std::is_same_v<Kind, cObjPolPartListBox>) {
            optional(element, "valuePrefix", kind.valuePrefixFlag, was.valuePrefixFlag,
                     kind.valuePrefix, was.valuePrefix);
            flag(element, "additive", kind.additive, was.additive);
            flag(element, "explicitValue", kind.explicitValue, was.explicitValue);
        }
    });
}

void cSetWriter::Items(const cObjPolPartDropDown& now, const cObjPolPartDropDown& was,
                       pugi::xml_node element, const Text& ownerKey) {
    std::vector<pugi::xml_node> items;
    for (pugi::xml_node item = element.first_child(); item; item = item.next_sibling())
        if (Is(item, "item"))
            items.push_back(item);
    const std::string base = element.attribute("id").value();
    if (now.itemList.size() != was.itemList.size()) {
        for (pugi::xml_node item : items)
            RemoveElement(item);
        items.clear();
        for (size_t i = 0; i < now.itemList.size(); ++i) {
            pugi::xml_node item = AppendElement(element, "item");
            item.append_child("value");
            items.push_back(item);
        }
    }
    for (size_t i = 0; i < now.itemList.size(); ++i) {
        const cItemList& item = now.itemList[i];
        const bool fresh = now.itemList.size() != was.itemList.size();
        const cItemList* before = fresh ? nullptr : &was.itemList[i];
        pugi::xml_node node = items[i];
        if (!before || item.name != before->name)
            SetAttribute(node, "displayName",
                         StringFor(item.name, base + "_" + std::to_string(i + 1)));
        if (!before || !(item.value == before->value))
            WriteValue(EnsureChild(node, "value", kItemOrder), item.value);
        if (!before || item.actionList != before->actionList)
            WriteList(node, "valueList", kItemOrder, item.actionList, ownerKey,
                      before ? before->actionList : cActionList());
    }
}
