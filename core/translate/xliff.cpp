#include "core/translate/xliff.h"

#include <cstddef>
#include <pugixml.hpp>
#include <sstream>
#include <unordered_set>

namespace {

constexpr char kNamespace[] = "urn:oasis:names:tc:xliff:document:1.2";

// The first character of text that XML 1.0 cannot hold, as a code point; 0 when none.
char32_t Unwritable(TextView text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                ++i;
                continue;
            }
            return c;
        }
        // A carriage return would come back as a line feed from any XML reader.
        if ((c < 0x20 && c != u'\t' && c != u'\n') || (c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE ||
            c == 0xFFFF)
            return c;
    }
    return 0;
}

// The element name without a namespace prefix.
std::string_view LocalName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view name) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child) == name)
            return child;
    return {};
}

// The text of an element; false when it holds elements (inline markup).
bool PlainText(const pugi::xml_node& element, Text& text) {
    std::string utf8;
    for (pugi::xml_node child : element.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            utf8 += child.value();
        else if (child.type() == pugi::node_element)
            return false;
    }
    text = FromUtf8(utf8);
    return true;
}

// The line of a byte offset, for messages.
int LineAt(std::string_view bytes, ptrdiff_t offset) {
    int line = 1;
    for (ptrdiff_t i = 0; i < offset && i < ptrdiff_t(bytes.size()); ++i)
        line += bytes[size_t(i)] == '\n';
    return line;
}

void Collect(const pugi::xml_node& parent, std::vector<pugi::xml_node>& units) {
    for (pugi::xml_node child : parent.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (LocalName(child) == "trans-unit")
            units.push_back(child);
        else if (LocalName(child) == "group")
            Collect(child, units);
    }
}

}  // namespace

bool WriteXliff(const cXliffFile& file, std::string& out, Text& problem) {
    for (const cXliffUnit& unit : file.units) {
        for (const Text* text : {&unit.id, &unit.source, unit.target ? &*unit.target : nullptr}) {
            if (!text)
                continue;
            if (char32_t c = Unwritable(*text)) {
                problem = FormatText(u"%s: the text holds a character XLIFF cannot carry (code %d)",
                                     {unit.id, int(c)});
                return false;
            }
        }
    }
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("xliff");
    root.append_attribute("version") = "1.2";
    root.append_attribute("xmlns") = kNamespace;
    pugi::xml_node fileNode = root.append_child("file");
    fileNode.append_attribute("original") = ToUtf8(file.original).c_str();
    fileNode.append_attribute("source-language") = ToUtf8(file.sourceLanguage).c_str();
    fileNode.append_attribute("target-language") = ToUtf8(file.targetLanguage).c_str();
    fileNode.append_attribute("datatype") = "plaintext";
    pugi::xml_node body = fileNode.append_child("body");
    for (const cXliffUnit& unit : file.units) {
        pugi::xml_node node = body.append_child("trans-unit");
        node.append_attribute("id") = ToUtf8(unit.id).c_str();
        node.append_attribute("xml:space") = "preserve";
        node.append_child("source").text() = ToUtf8(unit.source).c_str();
        if (unit.target) {
            pugi::xml_node target = node.append_child("target");
            if (!unit.state.empty())
                target.append_attribute("state") = ToUtf8(unit.state).c_str();
            target.text() = ToUtf8(*unit.target).c_str();
        }
    }
    std::ostringstream stream;
    doc.save(stream, "  ", pugi::format_indent, pugi::encoding_utf8);
    out = stream.str();
    return true;
}

bool ReadXliff(std::string_view bytes, cXliffFile& file, Text& problem) {
    file = {};
    pugi::xml_document doc;
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
    pugi::xml_parse_result result =
        doc.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_auto);
    if (!result) {
        problem = FormatText(u"line %d: not well-formed XML: %s",
                             {LineAt(bytes, result.offset), FromUtf8(result.description())});
        return false;
    }
    pugi::xml_node root = doc.document_element();
    if (LocalName(root) != "xliff") {
        problem = u"not an XLIFF file: the document element is not <xliff>";
        return false;
    }
    std::vector<pugi::xml_node> files;
    for (pugi::xml_node child : root.children())
        if (child.type() == pugi::node_element && LocalName(child) == "file")
            files.push_back(child);
    if (files.size() != 1) {
        problem = FormatText(u"expected one <file> element, found %d", {int(files.size())});
        return false;
    }
    file.original = FromUtf8(files[0].attribute("original").value());
    file.sourceLanguage = FromUtf8(files[0].attribute("source-language").value());
    file.targetLanguage = FromUtf8(files[0].attribute("target-language").value());
    std::vector<pugi::xml_node> units;
    Collect(Child(files[0], "body"), units);
    std::unordered_set<std::string> seen;
    for (const pugi::xml_node& node : units) {
        const int line = LineAt(bytes, node.offset_debug());
        pugi::xml_attribute id = node.attribute("id");
        if (!id || !*id.value()) {
            problem = FormatText(u"line %d: a <trans-unit> without an id", {line});
            return false;
        }
        if (!seen.insert(id.value()).second) {
            problem = FormatText(u"line %d: the id %s stands twice", {line, FromUtf8(id.value())});
            return false;
        }
        cXliffUnit unit;
        unit.id = FromUtf8(id.value());
        if (pugi::xml_node source = Child(node, "source");
            source && !PlainText(source, unit.source)) {
            problem = FormatText(u"line %d: %s: <source> holds markup", {line, unit.id});
            return false;
        }
        if (pugi::xml_node target = Child(node, "target")) {
            Text text;
            if (!PlainText(target, text)) {
                problem = FormatText(
                    u"line %d: %s: <target> holds markup, which a template's texts cannot take",
                    {line, unit.id});
                return false;
            }
            unit.target = std::move(text);
            unit.state = FromUtf8(target.attribute("state").value());
        }
        file.units.push_back(std::move(unit));
    }
    return true;
}
