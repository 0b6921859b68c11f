#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "core/admx/xmlfile.h"

// Which namespaces an ADMX file declares and which of them its references need: what an
// upload or a store must hold beside the file for its references to resolve.

// How many references ("prefix:name") a document makes with one prefix, all together and by
// the element that makes them ("supportedOn", "parentCategory").
struct cPrefixUses {
    size_t total = 0;
    std::map<std::string, size_t> elements;
};

// The references the document under root makes, by their prefix.
std::map<std::string, cPrefixUses> AdmxReferencePrefixes(pugi::xml_node root);

// A namespace an ADMX file targets or uses, with the line of the element that declares it.
struct cAdmxNamespaceDecl {
    std::string prefix;
    std::string name;  // "Microsoft.Policies.Windows"
    int line = 0;
};

struct cAdmxNamespaces {
    cAdmxNamespaceDecl target;               // empty name: the file declares none
    std::vector<cAdmxNamespaceDecl> usings;  // in the file's order
};

cAdmxNamespaces AdmxNamespacesOf(const cXmlFile& admx);

// The namespaces the file's references lead into, each once, in the order of the file's
// using elements: a using that no reference needs is not among them, nor is the file's own
// namespace.
std::vector<cAdmxNamespaceDecl> AdmxNamespacesNeeded(const cXmlFile& admx);
