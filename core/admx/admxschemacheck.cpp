#include "core/admx/admxschemacheck.h"

#include <string>

#include "core/admx/admxschema.h"

namespace {

constexpr const char* kRule = "admx-schema";
constexpr std::u16string_view kRefused = u": the policy editor refuses this file";

// Attributes every XML file may carry: namespace declarations and the XML and schema
// instance attributes.
bool IsXmlAttribute(std::string_view name) {
    return name == "xmlns" || name.starts_with("xmlns:") || name.starts_with("xml:") ||
           name.starts_with("xsi:");
}

bool IsBlankText(const char* text) {
    for (; *text; ++text)
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n')
            return false;
    return true;
}

Text Names(std::span<const cSchemaChild> children) {
    Text names;
    for (const cSchemaChild& child : children)
        names += (names.empty() ? u"" : u", ") + FromUtf8(child.name);
    return names;
}

class cSchemaCheck {
public:
    cSchemaCheck(const cXmlFile& xml, const Text& path, std::vector<cAdmxFault>& faults)
        : m_xml(xml), m_path(path), m_faults(faults) {}

    void Run() {
        pugi::xml_node root = m_xml.Root();
        if (const cSchemaElement* schema = SchemaRoot(LocalName(root.name())))
            Element(root, *schema);
    }

private:
    void Add(int line, bool error, Text text) {
        m_faults.push_back({&m_path, line, kRule, error, std::move(text), false});
    }
    void Refused(int line, Text text) { Add(line, true, std::move(text) + Text(kRefused)); }

    // "policy Pol", "textBox Path", "resources": an element by its name and what names it.
    static Text Described(pugi::xml_node node) {
        Text what = FromUtf8(LocalName(node.name()));
        for (const char* attribute : {"name", "id", "refId"})
            if (pugi::xml_attribute a = node.attribute(attribute))
                return what + u" " + XmlToText(a.value());
        return what;
    }

    void Element(pugi::xml_node node, const cSchemaElement& schema) {
        Attributes(node, schema);
        if (schema.content == cSchemaContent::Any)
            return;
        std::vector<int> counts(schema.children.empty() ? 0 : schema.children.back().group + 1);
        int group = 0;
        const cSchemaChild* last = nullptr;
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            const pugi::xml_node_type type = child.type();
            if (type == pugi::node_pcdata || type == pugi::node_cdata) {
                // The operating system's own files carry stray text between elements
                // (a quote left over in a policy), and its editor reads them.
                if (schema.content == cSchemaContent::Elements && !IsBlankText(child.value()))
                    Add(m_xml.LineOf(child), false,
                        Described(node) +
                            u" holds text where the schema allows elements only: the policy "
                            u"editor passes over it");
                continue;
            }
            if (type != pugi::node_element)
                continue;
            const std::string_view name = LocalName(child.name());
            const cSchemaChild* entry = SchemaChild(schema, name);
            if (!entry) {
                Refused(m_xml.LineOf(child),
                        Described(node) + u" holds an element " + FromUtf8(name) +
                            (schema.children.empty()
                                 ? Text(u", where the schema allows none")
                                 : u" that the schema does not define there (it allows " +
                                       Names(schema.children) + u")"));
                continue;
            }
            if (entry->group < group) {
                Refused(m_xml.LineOf(child), FromUtf8(name) + u" of " + Described(node) +
                                                 u" stands after " + FromUtf8(last->name) +
                                                 u"; the schema's order is " +
                                                 Names(schema.children));
            } else {
                group = entry->group;
                last = entry;
            }
            // An unbounded child has no count to pass (max + 1 would overflow there).
            const int count = ++counts[entry->group];
            if (entry->max != kSchemaUnbounded && count == entry->max + 1) {
                const std::span<const cSchemaChild> members = SchemaGroup(schema, entry->group);
                Refused(m_xml.LineOf(child), Described(node) + u" has more than one " +
                                                 (members.size() > 1 ? u"of " : u"") +
                                                 Names(members));
            }
            Element(child, SchemaElement(entry->kind));
        }
        for (size_t g = 0; g < counts.size(); ++g) {
            const std::span<const cSchemaChild> members = SchemaGroup(schema, int(g));
            if (!members.empty() && counts[g] < members.front().min)
                Refused(m_xml.LineOf(node),
                        Described(node) + u" has no " +
                            (members.size() > 1 ? u"element of " + Names(members)
                                                : FromUtf8(members.front().name)));
        }
    }

    void Attributes(pugi::xml_node node, const cSchemaElement& schema) {
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name = a.name();
            if (IsXmlAttribute(name))
                continue;
            const cSchemaAttribute* entry = SchemaAttribute(schema, name);
            if (!entry)
                Add(m_xml.LineOf(a), false,
                    Described(node) + u" has an attribute " + FromUtf8(name) +
                        u" that the schema does not define: the policy editor may refuse this "
                        u"file");
            else if (!SchemaValueFits(entry->type, a.value()))
                Refused(m_xml.LineOf(a), FromUtf8(name) + u" \"" + XmlToText(a.value()) +
                                             u"\" of " + Described(node) + u" is not " +
                                             FromUtf8(SchemaValueDescription(entry->type)));
        }
        for (const cSchemaAttribute& entry : schema.attributes)
            if (entry.required && !node.attribute(std::string(entry.name).c_str()))
                Refused(m_xml.LineOf(node),
                        Described(node) + u" has no attribute " + FromUtf8(entry.name));
    }

    const cXmlFile& m_xml;
    const Text& m_path;
    std::vector<cAdmxFault>& m_faults;
};

}  // namespace

void CheckAdmxSchema(const cAdmxSet& set, std::vector<cAdmxFault>& faults) {
    cSchemaCheck(set.admx, set.path, faults).Run();
    for (const auto& adml : set.languages)
        cSchemaCheck(adml->xml, adml->path, faults).Run();
}
