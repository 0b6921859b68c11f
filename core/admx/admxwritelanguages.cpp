// The other languages of a set: what the display language gains or loses, and their tables as
// edited.

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/admx/admxread.h"
#include "core/admx/admxsetwriter.h"
#include "core/model/partkinds.h"
#include "core/text/messages.h"

pugi::xml_node cSetWriter::OtherTable(size_t language, const char* local) {
    pugi::xml_node root = m_adml[language]->document_element();
    return EnsureChild(EnsureChild(root, "resources", Order{}), local, kAdmlResourcesOrder);
}

pugi::xml_node cSetWriter::OtherPresentation(size_t language, std::string_view id) {
    pugi::xml_node table =
        Child(Child(m_adml[language]->document_element(), "resources"), "presentationTable");
    for (pugi::xml_node p = table.first_child(); p; p = p.next_sibling())
        if (Is(p, "presentation") && p.attribute("id").value() == id)
            return p;
    return pugi::xml_node();
}

void cSetWriter::MirrorString(pugi::xml_node string) {
    const std::string id = string.attribute("id").value();
    for (size_t i = 0; i < m_adml.size(); ++i) {
        if (i == m_set.display)
            continue;
        pugi::xml_node table = OtherTable(i, "stringTable");
        bool present = false;
        for (pugi::xml_node s = table.first_child(); s && !present; s = s.next_sibling())
            present = Is(s, "string") && s.attribute("id").value() == id;
        if (!present)
            AppendCopy(table, string);
    }
}

void cSetWriter::MirrorControls() {
    for (const auto& [presentation, control] : m_newControls) {
        const std::string id = presentation.attribute("id").value();
        for (size_t i = 0; i < m_adml.size(); ++i)
            if (i != m_set.display)
                if (pugi::xml_node other = OtherPresentation(i, id))
                    AppendCopy(other, control);
    }
}

void cSetWriter::MirrorRemoval(pugi::xml_node control) {
    pugi::xml_node presentation = control.parent();
    const std::string id = presentation.attribute("id").value();
    const std::string refId = control.attribute("refId").value();
    size_t ordinal = 0;
    for (pugi::xml_node c = presentation.first_child(); c != control; c = c.next_sibling())
        ordinal += Is(c, "text");
    for (size_t i = 0; i < m_adml.size(); ++i) {
        pugi::xml_node other = i == m_set.display ? pugi::xml_node() : OtherPresentation(i, id);
        size_t texts = 0;
        for (pugi::xml_node c = other.first_child(); c; c = c.next_sibling()) {
            bool same = Is(control, "text")
                            ? Is(c, "text") && texts++ == ordinal
                            : !refId.empty() && refId == c.attribute("refId").value();
            if (same) {
                RemoveElement(c);
                break;
            }
        }
    }
}

std::unordered_map<std::string, pugi::xml_node> cSetWriter::StringsById(pugi::xml_node root) {
    std::unordered_map<std::string, pugi::xml_node> ids;
    pugi::xml_node table = Child(Child(root, "resources"), "stringTable");
    for (pugi::xml_node s = table.first_child(); s; s = s.next_sibling())
        if (Is(s, "string"))
            ids.try_emplace(s.attribute("id").value(), s);
    return ids;
}

std::unordered_map<std::string, pugi::xml_node> cSetWriter::PresentationsById(pugi::xml_node root) {
    std::unordered_map<std::string, pugi::xml_node> ids;
    pugi::xml_node table = Child(Child(root, "resources"), "presentationTable");
    for (pugi::xml_node p = table.first_child(); p; p = p.next_sibling())
        if (Is(p, "presentation"))
            ids.try_emplace(p.attribute("id").value(), p);
    return ids;
}

void cSetWriter::SyncPresentation(pugi::xml_node root, const std::string& id, const Text& texts,
                                  const std::unordered_map<std::string, pugi::xml_node>& own,
                                  const std::unordered_map<std::string, pugi::xml_node>& display) {
    pugi::xml_node presentation;
    if (auto found = own.find(id); found != own.end()) {
        presentation = found->second;
    } else if (auto source = display.find(id); source != display.end()) {
        pugi::xml_node table = EnsureChild(EnsureChild(root, "resources", Order{}),
                                           "presentationTable", kAdmlResourcesOrder);
        presentation = AppendCopy(table, source->second);
    } else {
        return;
    }
    std::vector<pugi::xml_node> controls;
    for (pugi::xml_node c = presentation.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            controls.push_back(c);
    size_t start = 0;
    for (size_t i = 0; i < controls.size() && start <= texts.size(); ++i) {
        size_t end = i + 1 == controls.size() ? texts.size() : texts.find(u'\n', start);
        if (end == Text::npos)
            end = texts.size();
        pugi::xml_node label = Child(controls[i], "label");
        pugi::xml_node holder = label ? label : controls[i];
        const Text line = texts.substr(start, end - start);
        if (ElementText(holder) != line)
            ReplaceText(holder, line);
        start = end + 1;
    }
}

void cSetWriter::SyncLanguages() {
    if (!m_languages)
        return;
    const auto display = StringsById(DisplayAdml().document_element());
    const auto presentations = PresentationsById(DisplayAdml().document_element());
    for (const cLanguageTable& table : *m_languages) {
        size_t index = 0;
        while (index < m_set.languages.size() &&
               !KeywordEquals(m_set.languages[index]->folder, table.language))
            ++index;
        if (index == m_set.display)
            continue;
        pugi::xml_document* adml = nullptr;
        if (index < m_set.languages.size()) {
            adml = m_adml[index].get();
        } else {
            auto made = std::make_unique<pugi::xml_document>();
            made->reset(DisplayAdml());
            adml = made.get();
            m_newLanguages.push_back({table.language, std::move(made)});
        }
        pugi::xml_node root = adml->document_element();
        auto own = StringsById(root);
        auto ownPresentations = PresentationsById(root);
        pugi::xml_node holder;
        for (const auto& [name, text] : table.strings.Entries()) {
            const std::string id = ToUtf8(name);
            if (std::string_view presentation = PresentationId(id); !presentation.empty()) {
                SyncPresentation(root, std::string(presentation), text, ownPresentations,
                                 presentations);
                continue;
            }
            if (auto found = own.find(id); found != own.end()) {
                if (ElementText(found->second) != text)
                    ReplaceText(found->second, text);
                continue;
            }
            auto source = display.find(id);
            if (source == display.end())
                continue;
            if (!holder)
                holder = EnsureChild(EnsureChild(root, "resources", Order{}), "stringTable",
                                     kAdmlResourcesOrder);
            SetText(AppendCopy(holder, source->second), text);
        }
    }
}

void cSetWriter::MirrorRefId(pugi::xml_node control, const Text& name) {
    const std::string id = control.parent().attribute("id").value();
    const std::string refId = control.attribute("refId").value();
    for (size_t i = 0; i < m_adml.size(); ++i) {
        pugi::xml_node other = i == m_set.display ? pugi::xml_node() : OtherPresentation(i, id);
        for (pugi::xml_node c = other.first_child(); c; c = c.next_sibling())
            if (!refId.empty() && refId == c.attribute("refId").value()) {
                SetAttribute(c, "refId", name);
                break;
            }
    }
}
