#include "core/admx/admxchecks.h"

#include "core/admx/admxnamespaces.h"

#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "core/admx/admxschemacheck.h"

namespace {

template <typename F>
void ForEachChild(pugi::xml_node node, std::string_view local, F&& visit) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (Is(child, local))
            visit(child);
}

pugi::xml_node Table(const cAdmlFile& adml, std::string_view local) {
    return Child(Child(adml.xml.Root(), "resources"), local);
}

// A revision "major.minor" as a comparable pair; false for anything else.
bool ParseRevision(std::string_view text, std::pair<long, long>& out) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size())
        return false;
    auto number = [](std::string_view digits, long& value) {
        value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9' || value > 100000000)
                return false;
            value = value * 10 + (c - '0');
        }
        return !digits.empty();
    };
    return number(text.substr(0, dot), out.first) && number(text.substr(dot + 1), out.second);
}

class cChecks {
public:
    cChecks(const cAdmxSet& set, std::vector<cAdmxFault>& faults) : m_set(set), m_faults(faults) {}

    void Run() {
        DuplicateNames("categories", "category");
        DuplicateNames("policies", "policy");
        Translations();
        Revisions();
        Unused();
        CheckAdmxSchema(m_set, m_faults);
        UnusedNamespaces();
    }

private:
    void Add(const Text& file, int line, const char* rule, bool error, Text text) {
        m_faults.push_back({&file, line, rule, error, std::move(text), false});
    }

    void DuplicateNames(std::string_view list, std::string_view kind) {
        std::unordered_map<std::string, int> first;
        ForEachChild(Child(m_set.admx.Root(), list), kind, [&](pugi::xml_node node) {
            const int line = m_set.admx.LineOf(node);
            auto [it, fresh] = first.try_emplace(node.attribute("name").value(), line);
            if (!fresh)
                Add(m_set.path, line, "admx-duplicate-name", true,
                    FromUtf8(kind) + u" " + AttributeText(node, "name") +
                        FormatText(u" is defined again; the first stands at line %d",
                                   {it->second}));
        });
    }

    // The policy editor refuses a language that lacks an id the ADMX file refers to, and
    // shows one that lacks only ids nothing refers to. What is missing is what the Translations
    // window shows as missing: the same tables, the same rule.
    void Translations() {
        // A set of one language has no translation to miss: its tables are not read for it.
        if (m_set.languages.size() < 2)
            return;
        const cAdmlFile& display = m_set.Display();
        const cStringMap strings = AdmlStrings(display);
        const cStringMap presentations = AdmlPresentations(display);
        const cReferenced& referenced = Referenced();
        for (const auto& adml : m_set.languages) {
            if (adml.get() == &display)
                continue;
            for (const auto& [table, source, own, what, used] :
                 {std::tuple{"stringTable", &strings, AdmlStrings(*adml), u"string",
                             &referenced.strings},
                  std::tuple{"presentationTable", &presentations, AdmlPresentations(*adml),
                             u"presentation", &referenced.presentations}}) {
                pugi::xml_node holder = Table(*adml, table);
                const int line = adml->xml.LineOf(holder ? holder : adml->xml.Root());
                for (const Text& id : MissingTranslations(*source, own)) {
                    const bool needed = used->count(ToUtf8(id)) != 0;
                    Add(adml->path, line, "admx-missing-translation", needed,
                        Text(what) + u" " + id + u" of " + display.folder + u" is missing in " +
                            adml->folder +
                            (needed ? u": the policy editor cannot show this language"
                                    : u"; nothing refers to it"));
                }
            }
        }
    }

    void Revisions() {
        pugi::xml_node resources = Child(m_set.admx.Root(), "resources");
        std::pair<long, long> required;
        if (!ParseRevision(resources.attribute("minRequiredRevision").value(), required))
            return;
        for (const auto& adml : m_set.languages) {
            pugi::xml_node root = adml->xml.Root();
            std::pair<long, long> revision;
            bool ok = ParseRevision(root.attribute("revision").value(), revision);
            if (!ok || revision < required)
                Add(adml->path, adml->xml.LineOf(root), "admx-revision", true,
                    u"the revision " + AttributeText(root, "revision") +
                        u" does not satisfy the ADMX file's minRequiredRevision " +
                        AttributeText(resources, "minRequiredRevision"));
        }
    }

    // The string and presentation ids the ADMX file refers to.
    struct cReferenced {
        std::unordered_set<std::string> strings;
        std::unordered_set<std::string> presentations;
    };
    const cReferenced& Referenced() {
        if (m_referenced)
            return *m_referenced;
        cReferenced& referenced = m_referenced.emplace();
        ForEachElement(m_set.admx.Root(), [&](pugi::xml_node node) {
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                if (std::string_view id = StringId(a.value()); !id.empty())
                    referenced.strings.emplace(id);
                else if (std::string_view p = PresentationId(a.value()); !p.empty())
                    referenced.presentations.emplace(p);
            }
        });
        return referenced;
    }

    void Unused() {
        const std::unordered_set<std::string>& strings = Referenced().strings;
        const std::unordered_set<std::string>& presentations = Referenced().presentations;
        const cAdmlFile& display = m_set.Display();
        ForEachChild(Table(display, "stringTable"), "string", [&](pugi::xml_node n) {
            if (!strings.count(n.attribute("id").value()))
                Add(display.path, display.xml.LineOf(n), "admx-unused-string", false,
                    u"string " + AttributeText(n, "id") + u" is not referenced");
        });
        ForEachChild(Table(display, "presentationTable"), "presentation", [&](pugi::xml_node n) {
            if (!presentations.count(n.attribute("id").value()))
                Add(display.path, display.xml.LineOf(n), "admx-unused-presentation", false,
                    u"presentation " + AttributeText(n, "id") + u" is not referenced");
        });
    }

    // A using costs nothing to the policy editor, but an import elsewhere (a cloud service,
    // a store check) demands every namespace the file names.
    void UnusedNamespaces() {
        const std::map<std::string, cPrefixUses> uses = AdmxReferencePrefixes(m_set.admx.Root());
        for (const cAdmxNamespaceDecl& use : AdmxNamespacesOf(m_set.admx).usings)
            if (!uses.count(use.prefix))
                Add(m_set.path, use.line, "admx-unused-namespace", false,
                    u"namespace " + FromUtf8(use.name) + u" is used under the prefix " +
                        FromUtf8(use.prefix) +
                        u", but no reference is written with it; an import still demands it");
    }

    const cAdmxSet& m_set;
    std::vector<cAdmxFault>& m_faults;
    std::optional<cReferenced> m_referenced;
};

}  // namespace

void CheckAdmxSet(const cAdmxSet& set, std::vector<cAdmxFault>& faults) {
    cChecks(set, faults).Run();
}
