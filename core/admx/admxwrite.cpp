#include "core/admx/admxwrite.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "core/admx/admxread.h"
#include "core/admx/admxset.h"
#include "core/admx/admxsetwriter.h"
#include "core/admx/xmledit.h"
#include "core/io/files.h"
#include "core/model/partkinds.h"
#include "core/text/messages.h"

bool CanBeSoftElement(pugi::xml_node element) {
    return Is(element, "text") || Is(element, "decimal") || Is(element, "longDecimal") ||
           Is(element, "multiText");
}

bool IsBlankText(pugi::xml_node node) {
    if (node.type() != pugi::node_pcdata)
        return false;
    for (const char* c = node.value(); *c; ++c)
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n')
            return false;
    return true;
}

std::string BlanksBefore(pugi::xml_node node) {
    pugi::xml_node before = node.previous_sibling();
    return IsBlankText(before) ? before.value() : std::string();
}

bool cSetWriter::Run(cTemplateTree& tree) {
    m_admx.reset(m_set.admx.Document());
    MapCopy(m_set.admx.Document(), m_admx);
    m_adml.resize(m_set.languages.size());
    for (size_t i = 0; i < m_set.languages.size(); ++i) {
        m_adml[i] = std::make_unique<pugi::xml_document>();
        m_adml[i]->reset(m_set.languages[i]->xml.Document());
        MapCopy(m_set.languages[i]->xml.Document(), *m_adml[i]);
    }

    SyncStrings();
    WalkTree(tree);
    RemoveUnclaimed();
    WriteSupportedOn();
    MirrorControls();
    SyncLanguages();
    WriteTemplateProps();
    return m_failed.empty();
}

void cSetWriter::MapCopy(const pugi::xml_document& from, pugi::xml_document& to) {
    pugi::xml_node a = from.first_child();
    pugi::xml_node b = to.first_child();
    while (a && b) {
        if (a.type() == pugi::node_element)
            m_copies[a.internal_object()] = b;
        m_originals[b.internal_object()] = a;
        if (a.first_child() && b.first_child()) {
            a = a.first_child();
            b = b.first_child();
            continue;
        }
        while (a && b && !a.next_sibling()) {
            a = a.parent();
            b = b.parent();
        }
        if (!a || !b || a.type() == pugi::node_document)
            break;
        a = a.next_sibling();
        b = b.next_sibling();
    }
}

pugi::xml_node cSetWriter::OriginalOf(pugi::xml_node copy) const {
    auto found = m_originals.find(copy.internal_object());
    return found == m_originals.end() ? pugi::xml_node() : found->second;
}

pugi::xml_node cSetWriter::CopyOf(pugi::xml_node original) const {
    auto found = m_copies.find(original.internal_object());
    return found == m_copies.end() ? pugi::xml_node() : found->second;
}

void cSetWriter::SetAttribute(pugi::xml_node node, const char* name, const Text& value,
                              bool present) {
    if (!present) {
        node.remove_attribute(name);
        return;
    }
    std::string text = ToUtf8(value);
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute)
        attribute = node.append_attribute(name);
    attribute.set_value(text.c_str());
}

void cSetWriter::SetFlag(pugi::xml_node node, const char* name, int flag) {
    if (flag)
        SetAttribute(node, name, u"true");
    else
        node.remove_attribute(name);
}

void cSetWriter::SetText(pugi::xml_node node, const Text& text) {
    while (node.first_child())
        node.remove_child(node.first_child());
    std::string utf8 = ToUtf8(text);
    if (!utf8.empty())
        node.append_child(pugi::node_pcdata).set_value(utf8.c_str());
}

void cSetWriter::ReplaceText(pugi::xml_node node, const Text& text) {
    pugi::xml_node first;
    for (pugi::xml_node child = node.first_child(), next; child; child = next) {
        next = child.next_sibling();
        if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata)
            continue;
        if (first)
            node.remove_child(child);
        else
            first = child;
    }
    std::string utf8 = ToUtf8(text);
    if (!utf8.empty())
        (first ? node.insert_child_before(pugi::node_pcdata, first)
               : node.append_child(pugi::node_pcdata))
            .set_value(utf8.c_str());
    if (first)
        node.remove_child(first);
}

pugi::xml_node cSetWriter::AppendElement(pugi::xml_node parent, const char* name) {
    pugi::xml_node last;
    for (pugi::xml_node child = parent.last_child(); child && !last;
         child = child.previous_sibling())
        if (child.type() == pugi::node_element)
            last = child;
    if (last) {
        std::string blanks = BlanksBefore(last);
        pugi::xml_node element = parent.insert_child_after(name, last);
        if (!blanks.empty())
            parent.insert_child_before(pugi::node_pcdata, element).set_value(blanks.c_str());
        return element;
    }
    std::string outer = BlanksBefore(parent);
    if (outer.empty())
        outer = "\n";
    std::string inner = outer + "  ";
    // Blanks alone in the parent are its closing line.
    bool blanksOnly = !parent.first_child() ||
                      (IsBlankText(parent.first_child()) && !parent.first_child().next_sibling());
    if (blanksOnly) {
        while (parent.first_child())
            parent.remove_child(parent.first_child());
        parent.append_child(pugi::node_pcdata).set_value(inner.c_str());
        pugi::xml_node element = parent.append_child(name);
        parent.append_child(pugi::node_pcdata).set_value(outer.c_str());
        return element;
    }
    return parent.append_child(name);
}

pugi::xml_node cSetWriter::InsertElement(pugi::xml_node parent, const char* name,
                                         pugi::xml_node before) {
    if (!before)
        return AppendElement(parent, name);
    std::string blanks = BlanksBefore(before);
    pugi::xml_node element = parent.insert_child_before(name, before);
    if (!blanks.empty())
        parent.insert_child_before(pugi::node_pcdata, before).set_value(blanks.c_str());
    return element;
}

pugi::xml_node cSetWriter::AppendCopy(pugi::xml_node parent, pugi::xml_node original) {
    pugi::xml_node placeholder = AppendElement(parent, "x");
    pugi::xml_node copy = parent.insert_copy_after(original, placeholder);
    parent.remove_child(placeholder);
    return copy;
}

void cSetWriter::RemoveElement(pugi::xml_node node) {
    pugi::xml_node parent = node.parent();
    pugi::xml_node before = node.previous_sibling();
    if (IsBlankText(before))
        parent.remove_child(before);
    parent.remove_child(node);
}

pugi::xml_node cSetWriter::EnsureChild(pugi::xml_node parent, std::string_view local, Order order) {
    if (pugi::xml_node child = Child(parent, local))
        return child;
    auto rank = [&](std::string_view name) {
        auto at = std::find(order.begin(), order.end(), name);
        return at == order.end() ? order.size() : size_t(at - order.begin());
    };
    const size_t mine = rank(local);
    pugi::xml_node before;
    for (pugi::xml_node child = parent.first_child(); child && !before;
         child = child.next_sibling())
        if (child.type() == pugi::node_element && rank(LocalName(child.name())) > mine)
            before = child;
    return InsertElement(parent, std::string(local).c_str(), before);
}

void cSetWriter::RemoveChild(pugi::xml_node parent, std::string_view local) {
    if (pugi::xml_node child = Child(parent, local))
        RemoveElement(child);
}

void cSetWriter::WriteValue(pugi::xml_node holder, const cDescVal& value) {
    // Only the element that holds the value is the model's; the blanks and comments around
    // it stay as the file has them, and a value that did not change keeps its element.
    pugi::xml_node was = holder.first_child();
    while (was && was.type() != pugi::node_element)
        was = was.next_sibling();
    std::string_view kind = "string";
    if (value.IsDelete()) {
        kind = "delete";
    } else if (value.IsNumeric()) {
        long long number = ParseLeadingInt(value.valueText);
        const bool wide = Is(was, "longDecimal") || number > 4294967295LL || number < -2147483648LL;
        kind = wide ? "longDecimal" : "decimal";
    }
    if (!Is(was, kind)) {
        const std::string name(kind);
        pugi::xml_node made =
            was ? holder.insert_child_before(name.c_str(), was) : holder.append_child(name.c_str());
        if (was)
            holder.remove_child(was);
        was = made;
    }
    if (kind == "decimal" || kind == "longDecimal")
        SetAttribute(was, "value", value.valueText);
    else if (kind == "string" && ElementText(was) != value.valueText)
        SetText(was, value.valueText);
}

void cSetWriter::WriteOptionalValue(pugi::xml_node parent, std::string_view local, Order order,
                                    const cOptionalValue& value) {
    if (!value) {
        RemoveChild(parent, local);
        return;
    }
    pugi::xml_node holder = EnsureChild(parent, local, order);
    WriteValue(holder, *value);
}

void cSetWriter::WriteList(pugi::xml_node parent, std::string_view local, Order order,
                           const cActionList& list, const Text& ownerKey, const cActionList& was) {
    bool entries = std::any_of(list.begin(), list.end(),
                               [](const cActionKey& key) { return !key.entries.empty(); });
    if (!entries) {
        RemoveChild(parent, local);
        return;
    }
    pugi::xml_node node = EnsureChild(parent, local, order);
    if (!RekeyListItems(node, list, was, ownerKey))
        WriteListItems(node, list, ownerKey);
}

void cSetWriter::WriteListItems(pugi::xml_node node, const cActionList& list,
                                const Text& ownerKey) {
    const Text defaultKey =
        node.attribute("defaultKey") ? AttributeText(node, "defaultKey") : ownerKey;
    for (pugi::xml_node c = node.first_child(); c; c = node.first_child())
        node.remove_child(c);
    for (const cActionKey& group : list)
        for (const cActionValue& entry : group.entries) {
            pugi::xml_node item = AppendElement(node, "item");
            SetAttribute(item, "key", group.keyName, group.keyName != defaultKey);
            SetAttribute(item, "valueName", entry.valueName);
            WriteValue(item.append_child("value"), entry);
        }
}

bool cSetWriter::RekeyListItems(pugi::xml_node node, const cActionList& list,
                                const cActionList& was, const Text& ownerKey) {
    struct cEntry {
        const Text* key;
        const cActionValue* value;
    };
    auto flat = [](const cActionList& groups) {
        std::vector<cEntry> out;
        for (const cActionKey& group : groups)
            for (const cActionValue& entry : group.entries)
                out.push_back({&group.keyName, &entry});
        return out;
    };
    const std::vector<cEntry> now = flat(list), before = flat(was);
    std::vector<pugi::xml_node> items;
    for (pugi::xml_node item = node.first_child(); item; item = item.next_sibling())
        if (Is(item, "item"))
            items.push_back(item);
    if (now.size() != before.size() || now.size() != items.size())
        return false;
    for (size_t i = 0; i < now.size(); ++i)
        if (!(*now[i].value == *before[i].value))
            return false;
    // The items that take the list's default key follow it when they all move alike.
    std::optional<Text> defaultKey;
    if (node.attribute("defaultKey")) {
        for (size_t i = 0; i < items.size(); ++i)
            if (!items[i].attribute("key")) {
                if (defaultKey && *defaultKey != *now[i].key) {
                    defaultKey = AttributeText(node, "defaultKey");
                    break;
                }
                defaultKey = *now[i].key;
            }
        if (!defaultKey)
            defaultKey = AttributeText(node, "defaultKey");
        if (*defaultKey != AttributeText(node, "defaultKey"))
            SetAttribute(node, "defaultKey", *defaultKey);
    }
    const Text& listKey = defaultKey ? *defaultKey : ownerKey;
    for (size_t i = 0; i < items.size(); ++i) {
        const Text& key = *now[i].key;
        if (items[i].attribute("key") ? AttributeText(items[i], "key") != key : key != listKey)
            SetAttribute(items[i], "key", key);
    }
    return true;
}

Text cSetWriter::StringFor(const Text& text, const std::string& base) {
    if (!StringId(ToUtf8(text)).empty())
        return text;
    pugi::xml_node resources = EnsureChild(DisplayAdml().document_element(), "resources", Order{});
    pugi::xml_node table = EnsureChild(resources, "stringTable", kAdmlResourcesOrder);
    std::string id = base;
    for (int n = 2; m_stringIds.count(id) || m_content.strings.Contains(FromUtf8(id)); ++n)
        id = base + "_" + std::to_string(n);
    m_stringIds.insert(id);
    pugi::xml_node string = AppendElement(table, "string");
    string.append_attribute("id").set_value(id.c_str());
    SetText(string, text);
    MirrorString(string);
    return StringReference(id);
}

void cSetWriter::Refuse(const Text& why) {
    if (m_failed.empty())
        m_failed = why;
}

namespace {

namespace fs = std::filesystem;

// The bytes a file of the set was read from, kept by its document: the first save takes them
// from the file, while it still holds what was read, and the saves after it from the document.
bool KeepBytesRead(const cXmlFile& read, const Text& readPath) {
    if (read.Kept())
        return true;
    std::string bytes;
    int err = 0;
    return ReadWholeFile(ToUtf8(readPath), bytes, err) && read.Keep(bytes);
}

// A file of the set planned as edits on its bytes read; written whole when those are not to
// be had (the file changed on disk since it was read). False, with why, when a character
// cannot be stored in the file's encoding.
bool PlanFile(const cXmlFile& read, const Text& readPath, const pugi::xml_document& written,
              const cOriginalOf& originalOf, bool keep, cAdmxFilePlan& plan, Text& why) {
    if (keep)
        KeepBytesRead(read, readPath);
    switch (PlanXmlEdits(read, written, originalOf, plan.edits, why)) {
        case cEditPlan::Planned:
            plan.inPlace = true;
            plan.bytes = ApplyByteEdits(*read.Kept(), plan.edits);
            return true;
        case cEditPlan::NotInPlace:
            return SaveXml(written, read.Form(), plan.bytes, why);
        case cEditPlan::Refused:
            break;
    }
    return false;
}

}  // namespace

std::map<std::string, cPrefixUses> AdmxReferencePrefixes(const cTemplateContent& content) {
    const auto* state = dynamic_cast<const cAdmxState*>(content.state.get());
    cTemplateTree* tree = content.tree();
    if (!state || !state->set || !tree)
        return {};
    cSetWriter writer(content, *state);
    // A write refused on the way leaves the elements it did not reach as they were read,
    // references and all.
    writer.Run(*tree);
    return AdmxReferencePrefixes(writer.Admx().document_element());
}

bool PlanAdmxSet(const cTemplateContent& content, const Text& path,
                 std::vector<cAdmxFilePlan>& plans, Text& problem, bool readFiles) {
    plans.clear();
    const auto* state = dynamic_cast<const cAdmxState*>(content.state.get());
    cTemplateTree* tree = content.tree();
    if (!state || !state->set || !tree) {
        problem =
            u"Only a set read from an ADMX file can be written as one; export the "
            u"template to ADMX instead.";
        return false;
    }
    const cAdmxSet& set = *state->set;
    cSetWriter writer(content, *state);
    if (!writer.Run(*tree)) {
        problem = writer.Failure();
        return false;
    }
    const fs::path target(ToUtf8(path));
    const std::string name = target.stem().string();
    auto adml = [&](const Text& folder) {
        return FromUtf8((target.parent_path() / ToUtf8(folder) / (name + ".adml")).string());
    };
    const cOriginalOf original = [&writer](pugi::xml_node node) { return writer.OriginalOf(node); };
    Text why;
    plans.emplace_back().path = path;
    if (!PlanFile(set.admx, set.path, writer.Admx(), original, readFiles, plans.back(), why)) {
        problem = set.path + u": " + why;
        return false;
    }
    for (size_t i = 0; i < set.languages.size(); ++i) {
        const cAdmlFile& file = *set.languages[i];
        plans.emplace_back().path = adml(file.folder);
        if (!PlanFile(file.xml, file.path, writer.Adml(i), original, readFiles, plans.back(),
                      why)) {
            problem = file.path + u": " + why;
            return false;
        }
    }
    for (const auto& added : writer.NewLanguages()) {
        plans.emplace_back().path = adml(added.folder);
        if (!SaveXml(*added.adml, set.Display().xml.Form(), plans.back().bytes, why)) {
            problem = plans.back().path + u": " + why;
            return false;
        }
    }
    return true;
}

bool WriteAdmxSet(const cTemplateContent& content, const Text& path,
                  std::vector<cFileOutput>& files, Text* problem) {
    std::vector<cAdmxFilePlan> plans;
    Text why;
    // A check writes nothing and needs no files.
    const bool ok = PlanAdmxSet(content, path, plans, why, !problem);
    if (problem) {
        *problem = ok ? Text() : why;
        return ok;
    }
    if (!ok) {
        ShowMessage(kSeverityError, u"%s", {why});
        return false;
    }
    for (cAdmxFilePlan& plan : plans)
        files.push_back({plan.path, std::move(plan.bytes)});
    return true;
}
