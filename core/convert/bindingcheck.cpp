// The re-read check: the registry bindings of every policy, once as the template holds them
// and once as the written files say, in one text form so that they compare as wholes.

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "core/convert/admxexport.h"
#include "core/convert/admxmapping.h"
#include "core/model/partkinds.h"
#include "core/model/stringmap.h"
#include "core/model/templatetree.h"

namespace {

constexpr size_t kMaxDifferences = 20;
// A value that is all blanks is a value: keep it.
constexpr unsigned kParse = pugi::parse_default | pugi::parse_ws_pcdata_single;

struct cBinding {
    std::string cls;
    std::string text;  // everything that must agree, the class and display name first
    bool operator<(const cBinding& other) const {
        return std::tie(cls, text) < std::tie(other.cls, other.text);
    }
    bool operator==(const cBinding& other) const = default;
};

// One policy's bindings in text form, built by appending.
class cSig {
public:
    cSig() { m_text.reserve(256); }
    cSig& Field(const char* name) {
        m_text += ' ';
        m_text += name;
        m_text += '=';
        return *this;
    }
    cSig& Raw(std::string_view text) {
        m_text += text;
        return *this;
    }
    cSig& Quoted(std::string_view text) {
        m_text += '"';
        m_text += text;
        m_text += '"';
        return *this;
    }
    cSig& Quoted(TextView text) {
        m_text += '"';
        AppendXmlText(m_text, text);
        m_text += '"';
        return *this;
    }
    cSig& Flag(bool on) { return Raw(on ? "1" : "0"); }
    std::string& Str() { return m_text; }

private:
    std::string m_text;
};

// ---- The template's side ---------------------------------------------------------------

void Value(cSig& sig, const cDescVal& value) {
    if (value.IsDelete()) {
        sig.Raw("delete");
    } else if (value.IsNumeric()) {
        uint32_t number = 0;
        if (ParseDword(value.valueText, number))
            sig.Raw("decimal ").Raw(std::to_string(number));
        else
            sig.Raw("decimal ?").Quoted(TextView(value.valueText));
    } else {
        sig.Raw("string ").Quoted(TextView(value.valueText));
    }
}

void Value(cSig& sig, const cOptionalValue& value) {
    if (value)
        Value(sig, *value);
    else
        sig.Raw("-");
}

void List(cSig& sig, const cActionList& list) {
    sig.Raw("[");
    for (const cActionKey& group : list)
        for (const cActionValue& entry : group.entries) {
            sig.Quoted(TextView(group.keyName)).Raw("\\").Quoted(TextView(entry.valueName));
            Value(sig.Raw("="), entry);
            sig.Raw(";");
        }
    sig.Raw("]");
}

void Part(cSig& sig, const cObjPolPart& part) {
    auto common = [&](const char* tag, bool valueName) {
        sig.Raw(" {").Raw(tag).Field("key").Quoted(TextView(part.GetEffectiveKey()));
        if (valueName)
            sig.Field("valueName").Quoted(TextView(part.valueName));
    };
    // A text part writes nothing.
    bool written = VisitPart(part, cOverloaded{
                                       [&](const cObjPolPartCheckBox& box) {
                                           common("boolean", true);
                                           Value(sig.Field("true"), box.valueOn);
                                           Value(sig.Field("false"), box.valueOff);
                                           List(sig.Field("trueList"), box.actionListOn);
                                           List(sig.Field("falseList"), box.actionListOff);
                                           return true;
                                       },
                                       [&](const cObjPolPartEditText& edit) {
                                           common("text", true);
                                           sig.Field("expandable").Flag(edit.expandableText);
                                           return true;
                                       },
                                       [&](const cObjPolPartCombo& combo) {
                                           common("text", true);
                                           sig.Field("expandable").Flag(combo.expandableText);
                                           return true;
                                       },
                                       [&](const cObjPolPartNum& num) {
                                           common("decimal", true);
                                           sig.Field("storeAsText").Flag(num.txtConvert);
                                           return true;
                                       },
                                       [&](const cObjPolPartDropDown& list) {
                                           common("enum", true);
                                           sig.Field("items").Raw("[");
                                           bool defaultSeen = false;
                                           for (const cItemList& item : list.itemList) {
                                               Value(sig, item.value);
                                               List(sig, item.actionList);
                                               if (item.defaultFlag && !defaultSeen)
                                                   sig.Raw(" default");
                                               defaultSeen = defaultSeen || item.defaultFlag;
                                               sig.Raw(";");
                                           }
                                           sig.Raw("]");
                                           return true;
                                       },
                                       [&](const cObjPolPartListBox& box) {
                                           common("list", false);
                                           sig.Field("valuePrefix");
                                           if (box.valuePrefixFlag)
                                               sig.Quoted(TextView(box.valuePrefix));
                                           else
                                               sig.Raw("-");
                                           sig.Field("explicitValue")
                                               .Flag(box.explicitValue)
                                               .Field("additive")
                                               .Flag(box.additive);
                                           return true;
                                       },
                                       [](const cObjPolPartText&) { return false; },
                                       [&](const cObjPolPartMultiText&) {
                                           common("multiText", true);
                                           return true;
                                       },
                                       [&](const cObjPolPartLongNum& num) {
                                           common("longDecimal", true);
                                           sig.Field("storeAsText").Flag(num.txtConvert);
                                           return true;
                                       },
                                   });
    if (!written)
        return;
    sig.Raw("}");
}

void TemplatePolicies(cExportSource doc, const cTreeItem* parent, const char* cls,
                      std::vector<cBinding>& out) {
    for (const auto& child : parent->children) {
        const cData* node = child->node.get();
        if (!node)
            continue;
        if (node->kind == kKindClass) {
            const Text& name = static_cast<const cObjClass*>(node)->className;
            const char* childClass = KeywordEquals(name, u"MACHINE") ? "Machine"
                                     : KeywordEquals(name, u"USER")  ? "User"
                                                                     : nullptr;
            if (childClass)
                TemplatePolicies(doc, child.get(), childClass, out);
        } else if (node->kind == kKindPolicy) {
            if (!cls)
                continue;
            const auto& policy = *static_cast<const cObjPolicy*>(node);
            cSig sig;
            sig.Quoted(std::string_view(ShownXmlText(ResolveText(doc.strings, policy.name))));
            sig.Field("key").Quoted(TextView(policy.GetEffectiveKey()));
            sig.Field("valueName");
            if (policy.valueNameFlag)
                sig.Quoted(TextView(policy.valueName));
            else
                sig.Raw("-");
            sig.Field("supportedOn");
            if (policy.supportedFlag)
                sig.Quoted(
                    std::string_view(ShownXmlText(ResolveText(doc.strings, policy.supportedText))));
            else
                sig.Raw("-");
            Value(sig.Field("enabledValue"), policy.valueOn);
            Value(sig.Field("disabledValue"), policy.valueOff);
            List(sig.Field("enabledList"), policy.actionListOn);
            List(sig.Field("disabledList"), policy.actionListOff);
            for (const auto& part : policy.Parts())
                Part(sig, *part);
            out.push_back({cls, std::move(sig.Str())});
        } else {
            TemplatePolicies(doc, child.get(), cls, out);
        }
    }
}

// ---- The written side ------------------------------------------------------------------

void XmlValue(cSig& sig, pugi::xml_node holder) {
    if (!holder) {
        sig.Raw("-");
        return;
    }
    pugi::xml_node value = holder.first_child();
    std::string_view tag = value ? value.name() : "";
    if (!value || value.next_sibling()) {
        sig.Raw("? malformed value");
    } else if (tag == "delete") {
        sig.Raw("delete");
    } else if (tag == "decimal") {
        uint32_t number = 0;
        if (ParseUnsigned(FromUtf8(value.attribute("value").value()), number))
            sig.Raw("decimal ").Raw(std::to_string(number));
        else
            sig.Raw("decimal ?").Quoted(std::string_view(value.attribute("value").value()));
    } else if (tag == "string") {
        sig.Raw("string ").Quoted(std::string_view(value.text().get()));
    } else {
        sig.Raw("? ").Raw(tag);
    }
}

void XmlList(cSig& sig, pugi::xml_node list, const char* ownerKey) {
    sig.Raw("[");
    const char* defaultKey =
        list.attribute("defaultKey") ? list.attribute("defaultKey").value() : ownerKey;
    for (pugi::xml_node item : list.children("item")) {
        const char* key = item.attribute("key") ? item.attribute("key").value() : defaultKey;
        sig.Quoted(std::string_view(key)).Raw("\\");
        sig.Quoted(std::string_view(item.attribute("valueName").value())).Raw("=");
        XmlValue(sig, item.child("value"));
        sig.Raw(";");
    }
    sig.Raw("]");
}

// control: the element's control in the presentation, or none.
void XmlElement(cSig& sig, pugi::xml_node element, pugi::xml_node control, const char* policyKey) {
    const char* key = element.attribute("key") ? element.attribute("key").value() : policyKey;
    std::string_view tag = element.name();
    sig.Raw(" {").Raw(tag).Field("key").Quoted(std::string_view(key));
    if (tag != "list")
        sig.Field("valueName").Quoted(std::string_view(element.attribute("valueName").value()));
    if (tag == "boolean") {
        XmlValue(sig.Field("true"), element.child("trueValue"));
        XmlValue(sig.Field("false"), element.child("falseValue"));
        XmlList(sig.Field("trueList"), element.child("trueList"), key);
        XmlList(sig.Field("falseList"), element.child("falseList"), key);
    } else if (tag == "text") {
        sig.Field("expandable").Flag(element.attribute("expandable").as_bool());
    } else if (tag == "decimal" || tag == "longDecimal") {
        sig.Field("storeAsText").Flag(element.attribute("storeAsText").as_bool());
    } else if (tag == "multiText") {
    } else if (tag == "enum") {
        sig.Field("items").Raw("[");
        pugi::xml_attribute defaultItem = control.attribute("defaultItem");
        unsigned index = 0;
        for (pugi::xml_node item : element.children("item")) {
            XmlValue(sig, item.child("value"));
            XmlList(sig, item.child("valueList"), key);
            if (defaultItem && defaultItem.as_uint() == index)
                sig.Raw(" default");
            ++index;
            sig.Raw(";");
        }
        sig.Raw("]");
    } else if (tag == "list") {
        pugi::xml_attribute prefix = element.attribute("valuePrefix");
        sig.Field("valuePrefix");
        if (prefix)
            sig.Quoted(std::string_view(prefix.value()));
        else
            sig.Raw("-");
        sig.Field("explicitValue").Flag(element.attribute("explicitValue").as_bool());
        sig.Field("additive").Flag(element.attribute("additive").as_bool());
    } else {
        sig.Raw(" ? unknown element");
    }
    sig.Raw("}");
}

// Strips "$(KIND." and ")"; empty when the text is not such a reference.
std::string Reference(const char* text, const char* kind) {
    std::string s(text);
    std::string head = std::string("$(") + kind + ".";
    if (s.size() <= head.size() + 1 || s.compare(0, head.size(), head) != 0 || s.back() != ')')
        return std::string();
    return s.substr(head.size(), s.size() - head.size() - 1);
}

class cWrittenSide {
public:
    cWrittenSide(std::vector<std::string>& differences, std::string_view unspecified)
        : m_differences(differences), m_unspecified(unspecified) {}

    bool Load(std::string_view admx, std::string_view adml);
    void Policies(std::vector<cBinding>& out);

private:
    void Problem(std::string text) {
        if (m_differences.size() < kMaxDifferences)
            m_differences.push_back(std::move(text));
    }
    std::string_view String(const char* reference, const std::string& where);

    std::vector<std::string>& m_differences;
    std::string_view m_unspecified;
    pugi::xml_document m_admx, m_adml;
    std::unordered_map<std::string_view, const char*> m_strings;
    std::unordered_map<std::string_view, pugi::xml_node> m_presentations;
    std::unordered_set<std::string_view> m_categories;
    // supportedOn definition names to their display texts
    std::unordered_map<std::string_view, std::string_view> m_supported;
};

bool cWrittenSide::Load(std::string_view admx, std::string_view adml) {
    pugi::xml_parse_result result = m_admx.load_buffer(admx.data(), admx.size(), kParse);
    if (!result) {
        Problem(std::string("the ADMX file does not parse: ") + result.description() + " at byte " +
                std::to_string(result.offset));
        return false;
    }
    result = m_adml.load_buffer(adml.data(), adml.size(), kParse);
    if (!result) {
        Problem(std::string("the ADML file does not parse: ") + result.description() + " at byte " +
                std::to_string(result.offset));
        return false;
    }
    pugi::xml_node resources = m_adml.child("policyDefinitionResources").child("resources");
    if (!m_admx.child("policyDefinitions") || !resources) {
        Problem("the files lack their root elements");
        return false;
    }
    for (pugi::xml_node string : resources.child("stringTable").children("string"))
        if (!m_strings.emplace(string.attribute("id").value(), string.text().get()).second)
            Problem(std::string("the string id ") + string.attribute("id").value() +
                    " is defined twice");
    for (pugi::xml_node presentation : resources.child("presentationTable").children())
        m_presentations.emplace(presentation.attribute("id").value(), presentation);
    pugi::xml_node root = m_admx.child("policyDefinitions");
    for (pugi::xml_node category : root.child("categories").children("category")) {
        String(category.attribute("displayName").value(),
               std::string("category ") + category.attribute("name").value());
        if (category.attribute("explainText"))
            String(category.attribute("explainText").value(),
                   std::string("category ") + category.attribute("name").value());
        if (!m_categories.insert(category.attribute("name").value()).second)
            Problem(std::string("the category name ") + category.attribute("name").value() +
                    " is used twice");
    }
    for (pugi::xml_node category : root.child("categories").children("category")) {
        const char* parent = category.child("parentCategory").attribute("ref").value();
        if (*parent && !m_categories.count(parent) && !std::strchr(parent, ':'))
            Problem(std::string("category ") + category.attribute("name").value() +
                    " names an undefined parent " + parent);
    }
    for (pugi::xml_node definition :
         root.child("supportedOn").child("definitions").children("definition")) {
        std::string_view shown =
            String(definition.attribute("displayName").value(),
                   std::string("supportedOn ") + definition.attribute("name").value());
        if (!m_supported.emplace(definition.attribute("name").value(), shown).second)
            Problem(std::string("the supportedOn name ") + definition.attribute("name").value() +
                    " is used twice");
    }
    return true;
}

std::string_view cWrittenSide::String(const char* reference, const std::string& where) {
    std::string id = Reference(reference, "string");
    auto it = m_strings.find(id);
    if (id.empty() || it == m_strings.end()) {
        Problem("the string " + std::string(reference) + " of " + where + " is not defined");
        return "? undefined string";
    }
    return it->second;
}

void cWrittenSide::Policies(std::vector<cBinding>& out) {
    std::unordered_set<std::string> names;
    for (pugi::xml_node policy :
         m_admx.child("policyDefinitions").child("policies").children("policy")) {
        std::string name = policy.attribute("name").value();
        std::string where = "policy " + name;
        if (!names.insert(name).second)
            Problem("the policy name " + name + " is used twice");
        std::string_view display = String(policy.attribute("displayName").value(), where);
        if (policy.attribute("explainText"))
            String(policy.attribute("explainText").value(), where);
        const char* category = policy.child("parentCategory").attribute("ref").value();
        if (*category && !m_categories.count(category) && !std::strchr(category, ':'))
            Problem(where + " names an undefined category " + category);
        const char* supported = policy.child("supportedOn").attribute("ref").value();
        auto supportedText = m_supported.find(supported);
        if (*supported && supportedText == m_supported.end() && !std::strchr(supported, ':'))
            Problem(where + " names an undefined supportedOn " + supported);

        const char* key = policy.attribute("key").value();
        pugi::xml_attribute valueName = policy.attribute("valueName");
        cSig sig;
        sig.Quoted(display).Field("key").Quoted(std::string_view(key));
        sig.Field("valueName");
        if (valueName)
            sig.Quoted(std::string_view(valueName.value()));
        else
            sig.Raw("-");
        sig.Field("supportedOn");
        // The export's stand-in for a template policy without a SUPPORTED text.
        if (!*supported || supported == m_unspecified)
            sig.Raw("-");
        else if (supportedText != m_supported.end())
            sig.Quoted(supportedText->second);
        else
            sig.Raw("? undefined");
        XmlValue(sig.Field("enabledValue"), policy.child("enabledValue"));
        XmlValue(sig.Field("disabledValue"), policy.child("disabledValue"));
        XmlList(sig.Field("enabledList"), policy.child("enabledList"), key);
        XmlList(sig.Field("disabledList"), policy.child("disabledList"), key);

        std::string presentationId =
            Reference(policy.attribute("presentation").value(), "presentation");
        pugi::xml_node presentation;
        if (!presentationId.empty()) {
            auto it = m_presentations.find(presentationId);
            if (it == m_presentations.end()) {
                Problem(where + " names an undefined presentation " + presentationId);
            } else {
                presentation = it->second;
            }
        }
        std::unordered_set<std::string_view> ids;
        for (pugi::xml_node element : policy.child("elements").children()) {
            const char* id = element.attribute("id").value();
            // A policy has few elements: its controls are looked through, not indexed.
            pugi::xml_node control = presentation.find_child_by_attribute("refId", id);
            XmlElement(sig, element, control, key);
            ids.insert(id);
            if (presentation && !control)
                Problem(where + " does not show its element " + std::string(id));
        }
        std::string& text = sig.Str();
        for (pugi::xml_node control : presentation.children()) {
            pugi::xml_attribute refId = control.attribute("refId");
            if (refId && !ids.count(refId.value()))
                Problem(where + " shows an undefined element " + refId.value());
        }
        if (presentationId.empty() && !ids.empty())
            Problem(where + " has elements but no presentation");

        std::string cls = policy.attribute("class").value();
        if (cls == "Machine" || cls == "Both")
            out.push_back({"Machine", text});
        if (cls == "User" || cls == "Both")
            out.push_back({"User", text});
        if (cls != "Machine" && cls != "User" && cls != "Both")
            Problem(where + " has the class " + cls);
    }
}

}  // namespace

bool CheckAdmx(cExportSource doc, std::string_view admx, std::string_view adml,
               std::vector<std::string>& differences, std::string_view unspecified) {
    differences.clear();
    cWrittenSide written(differences, unspecified);
    if (!written.Load(admx, adml))
        return false;
    std::vector<cBinding> got;
    written.Policies(got);
    std::vector<cBinding> want;
    TemplatePolicies(doc, doc.tree.Root(), nullptr, want);

    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    std::vector<cBinding> missing, extra;
    std::set_difference(want.begin(), want.end(), got.begin(), got.end(),
                        std::back_inserter(missing));
    std::set_difference(got.begin(), got.end(), want.begin(), want.end(),
                        std::back_inserter(extra));
    for (const cBinding& b : missing)
        if (differences.size() < kMaxDifferences)
            differences.push_back("the written files lack the " + b.cls + " policy " + b.text);
    for (const cBinding& b : extra)
        if (differences.size() < kMaxDifferences)
            differences.push_back("the written files hold a " + b.cls +
                                  " policy that the template does not: " + b.text);
    return differences.empty();
}
