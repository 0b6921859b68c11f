#include "core/admx/xmlfile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "core/text/text.h"

namespace {

// What the parser keeps: everything a file holds, blanks between elements included, so that
// a document written back differs from the file only where it was changed. Line ends become
// LF, as XML reads them (a carriage return left is a character reference's, and is written
// as one); the fragment mode keeps the blanks between the top-level nodes as well and lets
// the checks below decide what may stand there.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                                   pugi::parse_wconv_attribute | pugi::parse_ws_pcdata |
                                   pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration |
                                   pugi::parse_fragment;

Text Hex(unsigned value, int digits) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    Text out(size_t(digits), u'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        out[size_t(i)] = kDigits[value & 15];
    return out;
}

// ---- Decoding --------------------------------------------------------------------------

// The length of the longest valid UTF-8 prefix of bytes.
size_t ValidUtf8Prefix(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        // Plain ASCII eight bytes at a time.
        if (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        char32_t c;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            c = b & 0x07;
        } else {
            return i;
        }
        if (i + length > n)
            return i;
        for (size_t k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are no UTF-8.
        if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
            (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
            return i;
        i += length;
    }
    return n;
}

// Windows-1252 where it differs from Latin-1 (0x80-0x9F); 0 where it has no character.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The encoding a declaration at the start of bytes names, in lower case; empty for none.
std::string DeclaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml")
        return std::string();
    size_t end = bytes.find("?>");
    std::string_view declaration = bytes.substr(0, end == std::string_view::npos ? 0 : end);
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return std::string();
    at = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos)
        return std::string();
    size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string_view::npos)
        return std::string();
    std::string name(declaration.substr(at + 1, close - at - 1));
    for (char& c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// Decides how bytes are stored and decodes them into UTF-8 (without a byte-order mark): a
// byte-order mark decides; else the pattern of "<" in UTF-16; else UTF-8 when the bytes are
// valid UTF-8, whatever the declaration says (files that declare UTF-16 and hold UTF-8 are
// common); else the encoding the declaration names.
// The text is written once, where allocate(length) says: its length is counted first, so
// that a file's text is neither copied nor grown on the way.
template <typename Allocate>
bool Decode(std::string_view bytes, cXmlForm& form, cXmlProblem& problem, Allocate&& allocate) {
    auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    bool utf16 = false;
    bool bigEndian = false;
    if (starts("\xEF\xBB\xBF")) {
        form.byteOrderMark = true;
        bytes.remove_prefix(3);
    } else if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
        form.byteOrderMark = true;
        utf16 = true;
        bigEndian = bytes[0] == '\xFE';
        bytes.remove_prefix(2);
    } else if (bytes.size() >= 4 && bytes[0] != '\0' && bytes[1] == '\0' && bytes[3] == '\0') {
        // ASCII characters in UTF-16 without a mark, "<" or a blank first.
        utf16 = true;
    } else if (bytes.size() >= 4 && bytes[0] == '\0' && bytes[2] == '\0' && bytes[1] != '\0') {
        utf16 = bigEndian = true;
    }
    if (utf16) {
        form.encoding = bigEndian ? cXmlEncoding::Utf16BE : cXmlEncoding::Utf16LE;
        if (bytes.size() % 2) {
            problem.text = u"the file is stored as UTF-16 but ends in half a character";
            return false;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const size_t units = bytes.size() / 2;
        auto unit = [&](size_t i) -> char32_t {
            return bigEndian ? char32_t(p[2 * i] << 8 | p[2 * i + 1])
                             : char32_t(p[2 * i + 1] << 8 | p[2 * i]);
        };
        auto paired = [&](size_t i) {
            return i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF;
        };
        // Four units at a time while they are all ASCII: the high byte of each is zero and
        // the low byte below 0x80.
        const uint64_t highBits = bigEndian ? 0x80FF80FF80FF80FFull : 0xFF80FF80FF80FF80ull;
        auto ascii = [&](size_t i) {
            uint64_t word;
            std::memcpy(&word, p + 2 * i, 8);
            return (word & highBits) == 0;
        };
        size_t length = 0;
        for (size_t i = 0; i < units; ++i) {
            if (i + 4 <= units && ascii(i)) {
                length += 4;
                i += 3;
                continue;
            }
            const char32_t c = unit(i);
            if (c < 0x80) {
                length += 1;
            } else if (c < 0x800) {
                length += 2;
            } else if (c >= 0xD800 && c <= 0xDBFF && paired(i)) {
                length += 4;
                ++i;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                problem.text = u"the file is stored as UTF-16 but holds an unpaired surrogate (U+" +
                               Hex(uint8_t(bytes[2 * i + (bigEndian ? 0 : 1)]), 2) +
                               Hex(uint8_t(bytes[2 * i + (bigEndian ? 1 : 0)]), 2) + u")";
                size_t lines = 1;
                for (size_t k = 0; k < i; ++k)
                    lines += unit(k) == '\n';
                problem.line = int(lines);
                return false;
            } else {
                length += 3;
            }
        }
        char* out = allocate(length);
        for (size_t i = 0; i < units; ++i) {
            if (i + 4 <= units && ascii(i)) {
                for (size_t k = 0; k < 4; ++k)
                    out[k] = char(p[2 * (i + k) + (bigEndian ? 1 : 0)]);
                out += 4;
                i += 3;
                continue;
            }
            char32_t c = unit(i);
            if (c < 0x80) {
                *out++ = char(c);
                continue;
            }
            if (c >= 0xD800 && c <= 0xDBFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
                ++i;
            }
            out += PutUtf8(out, c);
        }
        return true;
    }
    size_t valid = ValidUtf8Prefix(bytes);
    if (valid == bytes.size()) {
        form.encoding = cXmlEncoding::Utf8;
        if (!bytes.empty())
            std::memcpy(allocate(bytes.size()), bytes.data(), bytes.size());
        else
            allocate(0);
        return true;
    }
    std::string declared = DeclaredEncoding(bytes);
    const bool latin = declared == "iso-8859-1" || declared == "latin1" || declared == "latin-1";
    // Bytes that are no UTF-8 under a declaration that names UTF-8, UTF-16 or nothing are
    // text of the system's 8-bit code page as such files were written: windows-1252.
    const bool fallback = declared.empty() || declared == "utf-8" || declared == "utf8" ||
                          declared == "utf-16" || declared == "unicode";
    if (latin || fallback || declared == "windows-1252" || declared == "cp1252") {
        bool windows = !latin;
        form.encoding = windows ? cXmlEncoding::Windows1252 : cXmlEncoding::Latin1;
        auto character = [&](unsigned char b) -> char32_t {
            return windows && b >= 0x80 && b <= 0x9F ? kWindows1252[b - 0x80] : b;
        };
        size_t length = 0;
        size_t lines = 1;
        for (char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            const char32_t c = character(b);
            if (c == 0 && b != 0) {
                problem.text =
                    u"the byte 0x" + Hex(b, 2) + u" has no character in the encoding windows-1252";
                problem.line = int(lines);
                return false;
            }
            lines += b == '\n';
            length += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
        char* out = allocate(length);
        for (char byte : bytes)
            out += PutUtf8(out, character(static_cast<unsigned char>(byte)));
        return true;
    }
    problem.line = int(std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(valid), '\n')) + 1;
    problem.text = u"the byte 0x" + Hex(uint8_t(bytes[valid]), 2) +
                   u" is not valid UTF-8, and the file names no other encoding that could hold it";
    if (!declared.empty())
        problem.text += u" (it declares " + FromUtf8(declared) + u")";
    return false;
}

// ---- Checks the parser leaves to its callers --------------------------------------------

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Whether an XML declaration begins at i: "<?xml" followed by a blank or "?>", "xml" in any
// case, as the parser takes it.
bool IsDeclarationAt(std::string_view text, size_t i) {
    if (text.size() < i + 6 || text.compare(i, 2, "<?") != 0)
        return false;
    auto lower = [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); };
    return lower(text[i + 2]) == 'x' && lower(text[i + 3]) == 'm' && lower(text[i + 4]) == 'l' &&
           (IsXmlSpace(text[i + 5]) || text[i + 5] == '?');
}

bool IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Walks the text once, as far as the parser does not look: what stands outside the root
// element, references, characters, the depth of nesting. Errors carry their offset.
class cMarkupCheck {
public:
    explicit cMarkupCheck(std::string_view text) : m_text(text) {}

    bool Run() {
        const size_t n = m_text.size();
        size_t i = 0;
        while (i < n) {
            char c = m_text[i];
            if (c == '<') {
                if (!Markup(i))
                    return false;
                continue;
            }
            if (c == '&') {
                if (!Reference(i))
                    return false;
                continue;
            }
            if (m_depth == 0 && !IsXmlSpace(c))
                return Fail(i, u"text stands outside the root element");
            ++i;
        }
        if (m_roots == 0)
            return Fail(n, u"the file holds no element");
        return true;
    }

    size_t offset = 0;
    Text text;

private:
    bool Fail(size_t at, Text why) {
        offset = at;
        text = std::move(why);
        return false;
    }

    bool Starts(size_t at, std::string_view prefix) const {
        return m_text.substr(at, prefix.size()) == prefix;
    }

    // Moves i past the markup that begins there.
    bool Markup(size_t& i) {
        const size_t start = i;
        auto skipTo = [&](std::string_view end, const char16_t* what) {
            size_t found = m_text.find(end, i);
            if (found == std::string_view::npos)
                return Fail(start, what);
            i = found + end.size();
            return true;
        };
        if (Starts(i, "<!--")) {
            i += 4;
            return skipTo("-->", u"a comment is not closed");
        }
        if (Starts(i, "<![CDATA[")) {
            if (m_depth == 0)
                return Fail(i, u"a CDATA section stands outside the root element");
            i += 9;
            return skipTo("]]>", u"a CDATA section is not closed");
        }
        if (Starts(i, "<!DOCTYPE"))
            return Fail(i,
                        u"a document type declaration (<!DOCTYPE>) is not allowed here: "
                        u"policy definitions have none, and the entities it may declare "
                        u"are not expanded");
        if (Starts(i, "<!"))
            return Fail(i, u"\"<!\" begins neither a comment nor a CDATA section");
        if (Starts(i, "<?")) {
            if (IsDeclarationAt(m_text, i) && i != 0)
                return Fail(i, u"the XML declaration must stand at the very start of the file");
            if (IsDeclarationAt(m_text, i) && !WellFormedDeclaration(i))
                return Fail(i,
                            u"the XML declaration is malformed: it holds pseudo-attributes "
                            u"(version, encoding, standalone) alone");
            i += 2;
            return skipTo("?>", u"a processing instruction is not closed");
        }
        if (Starts(i, "</")) {
            if (--m_depth < 0)
                return Fail(i, u"an end tag closes no element");
            i += 2;
            return skipTo(">", u"an end tag is not closed");
        }
        // A start tag: attribute values may hold ">" and must not hold "<".
        char quote = 0;
        for (++i; i < m_text.size(); ++i) {
            char c = m_text[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
                else if (c == '<')
                    return Fail(i, u"an attribute value holds \"<\", which must be written &lt;");
                else if (c == '&') {
                    if (!Reference(i))
                        return false;
                    --i;  // the loop steps past the reference's last character
                }
                continue;
            }
            if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '<') {
                return Fail(start, u"a start tag is not closed");
            } else if (c == '>') {
                bool empty = m_text[i - 1] == '/';
                ++i;
                if (m_depth == 0 && ++m_roots > 1)
                    return Fail(start, u"a second root element follows the first");
                if (!empty && ++m_depth > kMaxXmlDepth)
                    return Fail(start, FormatText(u"the elements are nested more than %d levels "
                                                  u"deep",
                                                  {kMaxXmlDepth}));
                return true;
            }
        }
        return Fail(start, u"a start tag is not closed");
    }

    // "<?xml" and its pseudo-attributes, each name="value" or name='value', up to "?>"; the
    // parser reads anything else there its own way.
    bool WellFormedDeclaration(size_t i) const {
        i += 5;
        for (;;) {
            size_t blanks = i;
            while (i < m_text.size() && IsXmlSpace(m_text[i]))
                ++i;
            if (Starts(i, "?>"))
                return true;
            size_t name = i;
            while (i < m_text.size() && std::isalpha(static_cast<unsigned char>(m_text[i])))
                ++i;
            std::string_view word = m_text.substr(name, i - name);
            if (i == blanks || (word != "version" && word != "encoding" && word != "standalone"))
                return false;
            while (i < m_text.size() && IsXmlSpace(m_text[i]))
                ++i;
            if (i >= m_text.size() || m_text[i] != '=')
                return false;
            ++i;
            while (i < m_text.size() && IsXmlSpace(m_text[i]))
                ++i;
            if (i >= m_text.size() || (m_text[i] != '"' && m_text[i] != '\''))
                return false;
            size_t close = m_text.find(m_text[i], i + 1);
            if (close == std::string_view::npos ||
                m_text.substr(i + 1, close - i - 1).find_first_of("<>&?") != std::string_view::npos)
                return false;
            i = close + 1;
        }
    }

    // Checks the reference at i and moves i past it.
    bool Reference(size_t& i) {
        const size_t start = i;
        size_t end = m_text.find(';', i);
        size_t limit = std::min(m_text.size(), i + 40);
        if (end == std::string_view::npos || end > limit)
            return Fail(start, u"\"&\" begins no reference; write it as &amp;");
        std::string_view name = m_text.substr(i + 1, end - i - 1);
        i = end + 1;
        if (name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot")
            return true;
        if (name.empty() || name[0] != '#')
            return Fail(start, u"the entity &" + FromUtf8(name) +
                                   u"; is not defined (only &lt; &gt; &amp; &apos; &quot; are)");
        bool hex = name.size() > 1 && name[1] == 'x';
        std::string_view digits = name.substr(hex ? 2 : 1);
        uint32_t value = 0;
        bool ok = !digits.empty() && digits.size() <= 8;
        for (char d : digits) {
            int v = d >= '0' && d <= '9'          ? d - '0'
                    : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                    : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                  : -1;
            if (v < 0) {
                ok = false;
                break;
            }
            value = value * (hex ? 16 : 10) + uint32_t(v);
        }
        if (!ok || !IsXmlChar(value))
            return Fail(start, u"the character reference &" + FromUtf8(name) +
                                   u"; names no character XML allows");
        return true;
    }

    std::string_view m_text;
    int m_depth = 0;
    int m_roots = 0;
};

// The offsets at which lines begin; false, with the offset, at a character that XML does not
// allow anywhere (the control characters but tab, line feed and carriage return).
bool LineStarts(std::string_view text, std::vector<uint32_t>& starts, size_t& bad) {
    starts.clear();
    starts.push_back(0);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size(); ++i) {
        // Eight bytes at a time while none of them is below 0x20.
        while (i + 8 <= text.size()) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (((word - 0x2020202020202020ull) & ~word & 0x8080808080808080ull) != 0)
                break;
            i += 8;
        }
        if (i >= text.size())
            break;
        unsigned char c = p[i];
        if (c >= 0x20)
            continue;
        if (c == '\n') {
            starts.push_back(uint32_t(i + 1));
        } else if (c != '\t' && c != '\r') {
            bad = i;
            return false;
        }
    }
    return true;
}

std::string LineBreakOf(std::string_view text) {
    size_t lf = text.find('\n');
    return lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

// ---- Writing ---------------------------------------------------------------------------

// Writes the nodes of a document as XML text, without recursion. Line ends are the file's
// (the parser gave them as LF); a carriage return that is left came from a character
// reference and is written as one again, as are the tab and line breaks of attribute values,
// which a reader would otherwise turn into spaces.
class cXmlWriter {
public:
    cXmlWriter(std::string& out, const cXmlStyle& style)
        : m_out(out), m_lineBreak(style.lineBreak), m_emptyClose(style.emptyClose) {}

    void Node(pugi::xml_node top) {
        pugi::xml_node node = top;
        while (node) {
            Open(node);
            if (node.type() == pugi::node_element && node.first_child()) {
                node = node.first_child();
                continue;
            }
            // Close what ends here, up to the next sibling.
            while (node != top && !node.next_sibling()) {
                node = node.parent();
                Close(node);
            }
            node = node == top ? pugi::xml_node() : node.next_sibling();
        }
    }

private:
    void Attributes(pugi::xml_node node) {
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            m_out += ' ';
            m_out += a.name();
            m_out += "=\"";
            AppendEscapedAttribute(m_out, a.value(), '"');
            m_out += '"';
        }
    }

    void Open(pugi::xml_node node) {
        switch (node.type()) {
            case pugi::node_element:
                m_out += '<';
                m_out += node.name();
                Attributes(node);
                if (node.first_child())
                    m_out += '>';
                else
                    m_out += m_emptyClose;
                break;
            case pugi::node_pcdata:
                Escaped(node.value());
                break;
            case pugi::node_cdata:
                m_out += "<![CDATA[";
                Lines(node.value());
                m_out += "]]>";
                break;
            case pugi::node_comment:
                m_out += "<!--";
                Lines(node.value());
                m_out += "-->";
                break;
            case pugi::node_pi:
            case pugi::node_declaration:
                m_out += "<?";
                m_out += node.name();
                Attributes(node);
                if (*node.value()) {
                    m_out += ' ';
                    Lines(node.value());
                }
                m_out += "?>";
                break;
            default:
                break;
        }
    }

    void Close(pugi::xml_node node) {
        if (node.type() == pugi::node_element && node.first_child()) {
            m_out += "</";
            m_out += node.name();
            m_out += '>';
        }
    }

    // Comments, CDATA and processing instructions hold no references: every carriage return
    // there is a line end (the parser leaves those of processing instructions as they stood).
    void Lines(const char* text) {
        for (const char* c = text; *c; ++c) {
            if (*c == '\r' && c[1] == '\n')
                continue;
            if (*c == '\n' || *c == '\r')
                m_out += m_lineBreak;
            else
                m_out += *c;
        }
    }

    // Character data: a line break as the file's.
    void Escaped(const char* text) {
        for (const char* c = text; *c; ++c) {
            // The characters that stand for themselves, in one run.
            const size_t run = std::strcspn(c, "&<>\r\n");
            m_out.append(c, run);
            c += run;
            if (!*c)
                break;
            switch (*c) {
                case '&':
                    m_out += "&amp;";
                    break;
                case '<':
                    m_out += "&lt;";
                    break;
                case '>':
                    m_out += "&gt;";
                    break;
                case '\r':
                    m_out += "&#13;";
                    break;
                case '\n':
                    m_out += m_lineBreak;
                    break;
                default:
                    m_out += *c;
            }
        }
    }

    std::string& m_out;
    const std::string& m_lineBreak;
    const std::string& m_emptyClose;
};

// Decodes one character of valid UTF-8 at i and moves i past it.
char32_t NextChar(std::string_view text, size_t& i) {
    auto b = static_cast<unsigned char>(text[i++]);
    if (b < 0x80)
        return b;
    int length = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
    char32_t c = b & (0x3F >> length);
    for (int k = 0; k < length && i < text.size(); ++k)
        c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    return c;
}

}  // namespace

bool EncodeXmlText(std::string_view utf8, cXmlEncoding encoding, std::string& out, Text& problem) {
    switch (encoding) {
        case cXmlEncoding::Utf8:
            out.append(utf8);
            return true;
        case cXmlEncoding::Utf16LE:
        case cXmlEncoding::Utf16BE: {
            const bool big = encoding == cXmlEncoding::Utf16BE;
            out.reserve(utf8.size() * 2 + 2);
            auto put = [&](char32_t unit) {
                char hi = char(unit >> 8), lo = char(unit & 0xFF);
                out.push_back(big ? hi : lo);
                out.push_back(big ? lo : hi);
            };
            for (size_t i = 0; i < utf8.size();) {
                char32_t c = NextChar(utf8, i);
                if (c >= 0x10000) {
                    put(0xD800 + ((c - 0x10000) >> 10));
                    put(0xDC00 + ((c - 0x10000) & 0x3FF));
                } else {
                    put(c);
                }
            }
            return true;
        }
        case cXmlEncoding::Latin1:
        case cXmlEncoding::Windows1252: {
            const bool windows = encoding == cXmlEncoding::Windows1252;
            out.reserve(utf8.size());
            for (size_t i = 0; i < utf8.size();) {
                char32_t c = NextChar(utf8, i);
                if (windows && c >= 0x80 && c <= 0x9F)
                    c = 0x110000;  // these bytes stand for other characters there
                if (windows && c > 0xFF) {
                    const char16_t* at =
                        std::find(std::begin(kWindows1252), std::end(kWindows1252), char16_t(c));
                    if (c <= 0xFFFF && at != std::end(kWindows1252)) {
                        out.push_back(char(0x80 + (at - kWindows1252)));
                        continue;
                    }
                }
                if (c > 0xFF) {
                    problem = u"the character U+" + Hex(unsigned(c), c > 0xFFFF ? 6 : 4) +
                              u" cannot be stored in a file of the encoding " +
                              (windows ? u"windows-1252" : u"ISO-8859-1");
                    return false;
                }
                out.push_back(char(c));
            }
            return true;
        }
    }
    return false;
}

namespace {

// Eight bytes a step in four lanes that do not wait for each other: a hash of one byte a
// step is a chain of multiplications as long as the file, slower than its parse.
uint64_t Digest(std::string_view bytes) {
    constexpr uint64_t kPrime = 1099511628211ull;
    constexpr uint64_t kMix = 0x9E3779B97F4A7C15ull;
    uint64_t lanes[4] = {14695981039346656037ull, 0x243F6A8885A308D3ull, 0x13198A2E03707344ull,
                         0xA4093822299F31D0ull};
    const char* p = bytes.data();
    size_t i = 0;
    for (; i + 32 <= bytes.size(); i += 32)
        for (int k = 0; k < 4; ++k) {
            uint64_t word;
            std::memcpy(&word, p + i + 8 * k, 8);
            uint64_t& lane = lanes[k];
            lane = (lane ^ word) * kMix;
            lane ^= lane >> 29;
        }
    uint64_t hash = 14695981039346656037ull;  // FNV-1a over the lanes and the rest
    for (uint64_t lane : lanes)
        hash = (hash ^ lane) * kPrime;
    for (; i < bytes.size(); ++i)
        hash = (hash ^ static_cast<unsigned char>(p[i])) * kPrime;
    return hash;
}

}  // namespace

bool cXmlFile::WasReadFrom(std::string_view bytes) const {
    return bytes.size() == m_readSize && Digest(bytes) == m_readDigest;
}

bool cXmlFile::Load(std::string_view bytes, cXmlProblem& problem) {
    problem = cXmlProblem();
    m_kept.reset();
    m_readSize = bytes.size();
    m_readDigest = Digest(bytes);
    m_form = cXmlForm();
    m_document.reset();
    m_buffer = nullptr;
    m_size = 0;
    // The parser works in place on a buffer of its own allocator, which the document then
    // owns: the text is decoded straight into it, no second copy of the text is made, and
    // the nodes' names point into it, which gives every node its line.
    // A terminating zero, which ends the parse: the parser would otherwise write its own over
    // the last character, which blanks after the root element may be.
    struct cParserFree {
        void operator()(char* buffer) const { pugi::get_memory_deallocation_function()(buffer); }
    };
    std::unique_ptr<char, cParserFree> buffer;
    size_t size = 0;
    auto allocate = [&](size_t length) {
        buffer.reset(static_cast<char*>(pugi::get_memory_allocation_function()(length + 1)));
        if (!buffer)
            throw std::bad_alloc();
        buffer.get()[length] = '\0';
        size = length;
        return buffer.get();
    };
    if (!Decode(bytes, m_form, problem, allocate))
        return false;
    const std::string_view text(buffer.get(), size);
    size_t bad = 0;
    if (!LineStarts(text, m_lineStarts, bad)) {
        problem.line = LineAt(bad);
        problem.text =
            u"the character U+" + Hex(uint8_t(text[bad]), 4) + u" is not allowed in an XML file";
        return false;
    }
    cMarkupCheck check(text);
    if (!check.Run()) {
        problem.line = LineAt(check.offset);
        problem.text = std::move(check.text);
        return false;
    }
    m_form.lineBreak = LineBreakOf(text);
    if (IsDeclarationAt(text, 0))
        m_form.declaration = text.substr(0, text.find("?>") + 2);

    m_size = size;
    char* owned = buffer.release();
    pugi::xml_parse_result result =
        m_document.load_buffer_inplace_own(owned, m_size + 1, kParseOptions, pugi::encoding_utf8);
    m_buffer = owned;
    if (!result) {
        problem.line = LineAt(size_t(std::max<ptrdiff_t>(result.offset, 0)));
        problem.text = u"the XML is not well-formed: " + FromUtf8(result.description());
        return false;
    }
    // What the parser does not tell: an attribute given twice.
    std::vector<pugi::xml_attribute> attributes;
    auto byName = [](pugi::xml_attribute a, pugi::xml_attribute b) {
        return std::strcmp(a.name(), b.name()) < 0;
    };
    for (pugi::xml_node node = Root(); node;) {
        attributes.clear();
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
            attributes.push_back(a);
        std::stable_sort(attributes.begin(), attributes.end(), byName);
        for (size_t i = 1; i < attributes.size(); ++i)
            if (!byName(attributes[i - 1], attributes[i])) {
                problem.line = LineOf(attributes[i]);
                problem.text = u"the attribute " + FromUtf8(attributes[i].name()) +
                               u" is given twice in one element";
                return false;
            }
        // Pre-order, without recursion.
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling())
            node = node.parent();
        if (node)
            node = node.next_sibling();
    }
    return true;
}

pugi::xml_node cXmlFile::Root() const {
    return m_document.document_element();
}

int cXmlFile::LineAt(size_t offset) const {
    auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), uint32_t(offset));
    return int(after - m_lineStarts.begin());
}

int cXmlFile::LineOf(pugi::xml_node node) const {
    ptrdiff_t offset = node.offset_debug();
    return offset < 0 || !m_buffer ? 0 : LineAt(size_t(offset));
}

int cXmlFile::LineOf(pugi::xml_attribute attribute) const {
    const char* name = attribute.name();
    if (!m_buffer || name < m_buffer || name >= m_buffer + m_size)
        return 0;
    return LineAt(size_t(name - m_buffer));
}

bool cXmlFile::Keep(std::string_view bytes) const {
    if (m_kept)
        return *m_kept == bytes;
    if (!m_buffer || !WasReadFrom(bytes))
        return false;
    m_kept = std::make_shared<const std::string>(bytes);
    return true;
}

bool cXmlFile::KeptText(std::string& text) const {
    if (!m_kept)
        return false;
    cXmlForm form;
    cXmlProblem problem;
    auto allocate = [&](size_t length) {
        text.assign(length, '\0');
        return text.data();
    };
    return Decode(*m_kept, form, problem, allocate) && text.size() == m_size;
}

size_t cXmlFile::StartOf(pugi::xml_node node) const {
    const ptrdiff_t offset = node.offset_debug();
    if (offset < 0 || !m_buffer || size_t(offset) > m_size)
        return std::string_view::npos;
    // The parser gives where a name or a value begins; the markup opens before it.
    switch (node.type()) {
        case pugi::node_element:
            return offset >= 1 ? size_t(offset) - 1 : std::string_view::npos;
        case pugi::node_pi:
        case pugi::node_declaration:
            return offset >= 2 ? size_t(offset) - 2 : std::string_view::npos;
        case pugi::node_comment:
            return offset >= 4 ? size_t(offset) - 4 : std::string_view::npos;
        case pugi::node_cdata:
            return offset >= 9 ? size_t(offset) - 9 : std::string_view::npos;
        case pugi::node_pcdata:
            return size_t(offset);
        default:
            return std::string_view::npos;
    }
}

size_t ByteOrderMarkSize(const cXmlForm& form) {
    if (!form.byteOrderMark)
        return 0;
    // Only UTF-16 has a two-byte mark; an 8-bit file's mark is the UTF-8 one it began with
    // (a file marked UTF-8 whose bytes are none is read in its code page).
    const bool utf16 =
        form.encoding == cXmlEncoding::Utf16LE || form.encoding == cXmlEncoding::Utf16BE;
    return utf16 ? 2 : 3;
}

bool SaveXml(const pugi::xml_document& document, const cXmlForm& form, std::string& bytes,
             Text& problem) {
    std::string utf8 = form.declaration;
    const cXmlStyle style{form.lineBreak, "/>"};
    cXmlWriter writer(utf8, style);
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        // The declaration was written as it stood.
        if (node.type() == pugi::node_declaration && !form.declaration.empty())
            continue;
        writer.Node(node);
    }
    bytes.clear();
    if (form.byteOrderMark) {
        const std::string mark = "\xEF\xBB\xBF";
        if (ByteOrderMarkSize(form) == 3)
            bytes = mark;  // as it stood, also before text of an 8-bit code page
        else if (!EncodeXmlText(mark, form.encoding, bytes, problem))
            return false;
    }
    return EncodeXmlText(utf8, form.encoding, bytes, problem);
}

void WriteXmlNode(pugi::xml_node node, const cXmlStyle& style, std::string& out) {
    cXmlWriter(out, style).Node(node);
}

std::string EscapeXmlAttribute(std::string_view value, char quote) {
    std::string out;
    AppendEscapedAttribute(out, value, quote);
    return out;
}

void AppendEscapedAttribute(std::string& out, std::string_view value, char quote) {
    for (size_t i = 0; i < value.size(); ++i) {
        // The characters that stand for themselves, in one run.
        const size_t run = value.find_first_of(std::string_view("&<\"'\r\n\t", 7), i);
        if (run == std::string_view::npos) {
            out.append(value.substr(i));
            return;
        }
        out.append(value.substr(i, run - i));
        i = run;
        const char c = value[i];
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '"':
                out += quote == '"' ? "&quot;" : "\"";
                break;
            case '\'':
                out += quote == '\'' ? "&apos;" : "'";
                break;
            // A reader turns these into spaces in a value.
            case '\r':
                out += "&#13;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\t':
                out += "&#9;";
                break;
            default:
                out += c;
        }
    }
}

std::string_view LocalName(const char* name) {
    // One pass over a short name: its end and its first colon.
    const char* local = name;
    const char* end = name;
    for (; *end; ++end)
        if (*end == ':' && local == name)
            local = end + 1;
    return std::string_view(local, size_t(end - local));
}

Text XmlToText(const char* utf8) {
    return FromUtf8(utf8);
}

std::string TextToXml(TextView text) {
    return ToUtf8(text);
}
