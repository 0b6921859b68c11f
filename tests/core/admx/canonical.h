#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "core/admx/xmlfile.h"
#include "core/text/text.h"

// The canonical text of an XML file: how it is stored (encoding, byte-order mark, the
// declaration as written), then its nodes in order, each element with its attributes sorted
// by name, character data without the blanks that stand alone between elements, comments
// and processing instructions. Two files of the same canonical text hold the same document.
inline std::string Canonical(const std::string& bytes) {
    cXmlFile file;
    cXmlProblem problem;
    if (!file.Load(bytes, problem))
        return "not read: " + ToUtf8(problem.text);
    std::ostringstream out;
    const cXmlForm& form = file.Form();
    out << "encoding " << int(form.encoding) << " mark " << form.byteOrderMark << " "
        << form.declaration << "\n";
    pugi::xml_node node = file.Document().first_child();
    while (node) {
        switch (node.type()) {
            case pugi::node_element: {
                std::vector<std::pair<std::string, std::string>> attributes;
                for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
                    attributes.emplace_back(a.name(), a.value());
                std::sort(attributes.begin(), attributes.end());
                out << "<" << node.name();
                for (const auto& [name, value] : attributes)
                    out << " " << name << "=[" << value << "]";
                out << ">\n";
                break;
            }
            case pugi::node_pcdata:
            case pugi::node_cdata: {
                std::string text = node.value();
                if (text.find_first_not_of(" \t\r\n") != std::string::npos)
                    out << "text [" << text << "]\n";
                break;
            }
            case pugi::node_comment:
                out << "comment [" << node.value() << "]\n";
                break;
            case pugi::node_pi:
                out << "pi " << node.name() << " [" << node.value() << "]\n";
                break;
            default:
                break;
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            if (node && node.type() == pugi::node_element)
                out << "</" << node.name() << ">\n";
        }
        if (node)
            node = node.next_sibling();
    }
    return out.str();
}
