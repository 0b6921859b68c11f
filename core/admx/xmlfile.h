#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text.h"

// One XML file as the ADMX format reads and writes it: decoded the way the operating
// system's policy editor decodes it, checked for what the parser lets pass, parsed with every
// comment, processing instruction, CDATA section and blank kept, and written back in the form
// it was read in.

// How the characters of a file are stored.
enum class cXmlEncoding { Utf8, Utf16LE, Utf16BE, Latin1, Windows1252 };

// What a file keeps of its bytes beyond the document: written back unchanged.
struct cXmlForm {
    cXmlEncoding encoding = cXmlEncoding::Utf8;
    bool byteOrderMark = false;
    // The XML declaration exactly as it stood ("<?xml ... ?>", UTF-8); empty for none.
    std::string declaration;
    // The line break the file uses (the one its first line ends with), for new nodes.
    std::string lineBreak = "\n";
};

// Why a file could not be read: the line it stands on (0: the file as a whole).
struct cXmlProblem {
    int line = 0;
    Text text;
};

// Elements nested deeper than this are refused: no policy definition comes near it, and
// walks over a document must not have to bear any depth at all.
inline constexpr int kMaxXmlDepth = 1000;

class cXmlFile {
public:
    cXmlFile() = default;
    cXmlFile(const cXmlFile&) = delete;
    cXmlFile& operator=(const cXmlFile&) = delete;

    // Decodes and parses the bytes of a file. False, with the problem and its line, when the
    // bytes are no well-formed XML document this reader takes: one root element, no document
    // type declaration (its entities are refused, not expanded), no reference to an entity
    // other than the five predefined ones, no character XML does not allow, nesting at most
    // kMaxXmlDepth deep.
    bool Load(std::string_view bytes, cXmlProblem& problem);

    pugi::xml_document& Document() { return m_document; }
    const pugi::xml_document& Document() const { return m_document; }
    pugi::xml_node Root() const;
    const cXmlForm& Form() const { return m_form; }

    // Whether bytes are those Load was given (by length and a 64-bit digest).
    bool WasReadFrom(std::string_view bytes) const;

    // The line a node or attribute of the document as read stands on; 0 for one made later.
    int LineOf(pugi::xml_node node) const;
    int LineOf(pugi::xml_attribute attribute) const;
    int LineAt(size_t offset) const;
    // The bytes Load was given, once a save has asked for them: the document keeps no copy
    // of them while it is only read, and a save finds them in the file, which holds other
    // bytes after it. Keep returns whether bytes are those (and keeps them then); Kept gives
    // them, or null.
    bool Keep(std::string_view bytes) const;
    const std::string* Kept() const { return m_kept.get(); }
    // The text of the kept bytes, as Load decoded it; false without them.
    bool KeptText(std::string& text) const;
    // Where the markup of a node of the document as read begins in that text (its "<", or
    // a text's first character); npos for the document and for a node made later.
    size_t StartOf(pugi::xml_node node) const;

private:
    pugi::xml_document m_document;
    cXmlForm m_form;
    const char* m_buffer = nullptr;  // the parsed text, owned by the document
    size_t m_size = 0;
    std::vector<uint32_t> m_lineStarts;
    mutable std::shared_ptr<const std::string> m_kept;  // a cache: the document as read
    size_t m_readSize = 0;
    uint64_t m_readDigest = 0;
};

// How markup the file did not hold is written: with the file's line break, and an empty
// element closed the way the file closes its own ("/>" or " />").
struct cXmlStyle {
    std::string lineBreak = "\n";
    std::string emptyClose = "/>";
};

// The bytes of a whole document in the given form: the declaration as it stood, then the
// nodes, encoded as the file was. False, with problem saying why, when a character cannot be
// stored in that encoding. For files that have no bytes to keep (a new language's ADML).
bool SaveXml(const pugi::xml_document& document, const cXmlForm& form, std::string& bytes,
             Text& problem);
// The markup of one node and what it holds, appended to out (UTF-8).
void WriteXmlNode(pugi::xml_node node, const cXmlStyle& style, std::string& out);
// An attribute's value as it stands between quotes of the given kind.
std::string EscapeXmlAttribute(std::string_view value, char quote);
void AppendEscapedAttribute(std::string& out, std::string_view value, char quote);
// UTF-8 text in an encoding, appended to out (no byte-order mark); false, with problem,
// at a character the encoding cannot store.
bool EncodeXmlText(std::string_view utf8, cXmlEncoding encoding, std::string& out, Text& problem);
// The length of the byte-order mark a file of that form begins with.
size_t ByteOrderMarkSize(const cXmlForm& form);

// Pre-order over the elements below and including root, without recursion.
template <typename F>
void ForEachElement(pugi::xml_node root, F&& visit) {
    for (pugi::xml_node node = root; node;) {
        if (node.type() == pugi::node_element)
            visit(node);
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling())
            node = node.parent();
        if (!node || node == root)
            break;
        node = node.next_sibling();
    }
}

// The local name of an element or attribute, without its namespace prefix.
std::string_view LocalName(const char* name);

// Text from and to the UTF-8 of the documents.
Text XmlToText(const char* utf8);
std::string TextToXml(TextView text);
