#include "core/admx/admxnamespaces.h"

#include <unordered_set>

#include "core/admx/admxset.h"

std::map<std::string, cPrefixUses> AdmxReferencePrefixes(pugi::xml_node root) {
    std::map<std::string, cPrefixUses> uses;
    ForEachElement(root, [&](pugi::xml_node node) {
        std::string_view ref = node.attribute("ref").value();
        if (size_t colon = ref.find(':'); colon != std::string_view::npos) {
            cPrefixUses& use = uses[std::string(ref.substr(0, colon))];
            ++use.total;
            ++use.elements[std::string(LocalName(node.name()))];
        }
    });
    return uses;
}

cAdmxNamespaces AdmxNamespacesOf(const cXmlFile& admx) {
    cAdmxNamespaces out;
    pugi::xml_node namespaces = Child(admx.Root(), "policyNamespaces");
    auto declared = [&](pugi::xml_node node) {
        return cAdmxNamespaceDecl{node.attribute("prefix").value(),
                                  node.attribute("namespace").value(), admx.LineOf(node)};
    };
    for (pugi::xml_node node = namespaces.first_child(); node; node = node.next_sibling()) {
        if (Is(node, "target") && out.target.name.empty())
            out.target = declared(node);
        else if (Is(node, "using"))
            out.usings.push_back(declared(node));
    }
    return out;
}

std::vector<cAdmxNamespaceDecl> AdmxNamespacesNeeded(const cXmlFile& admx) {
    const cAdmxNamespaces declared = AdmxNamespacesOf(admx);
    const std::map<std::string, cPrefixUses> uses = AdmxReferencePrefixes(admx.Root());
    std::vector<cAdmxNamespaceDecl> needed;
    std::unordered_set<std::string> seen;
    for (const cAdmxNamespaceDecl& use : declared.usings)
        // A reference with the file's own prefix stays in the file, whatever a using says.
        if (use.prefix != declared.target.prefix && uses.count(use.prefix) &&
            use.name != declared.target.name && seen.insert(use.name).second)
            needed.push_back(use);
    return needed;
}
