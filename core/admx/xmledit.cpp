#include "core/admx/xmledit.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace {

constexpr size_t npos = std::string_view::npos;

// An edit of the file's text as Load decoded it (UTF-8), before it is put in the file's
// encoding.
struct cTextEdit {
    size_t offset = 0;
    size_t length = 0;
    std::string text;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// An attribute of a start tag where the text has it.
struct cAttributeSpan {
    size_t blanks = 0;  // where the blanks before it begin
    size_t name = 0;
    size_t value = 0;  // past the opening quote
    size_t close = 0;  // the closing quote
    char quote = '"';
};

struct cStartTag {
    std::vector<cAttributeSpan> attributes;
    size_t afterAttributes = 0;  // past the last attribute's quote, else past the name
    size_t end = 0;              // past its ">"
    bool empty = false;          // closed by "/>"
};

bool SameAttributes(pugi::xml_node a, pugi::xml_node b) {
    pugi::xml_attribute x = a.first_attribute(), y = b.first_attribute();
    for (; x && y; x = x.next_attribute(), y = y.next_attribute())
        if (std::strcmp(x.name(), y.name()) != 0 || std::strcmp(x.value(), y.value()) != 0)
            return false;
    return !x && !y;
}

// Whether b stands where a did: an element of the same name (its attributes and content are
// compared on their own), any other node the same in everything.
bool Same(pugi::xml_node a, pugi::xml_node b) {
    return a.type() == b.type() && std::strcmp(a.name(), b.name()) == 0 &&
           std::strcmp(a.value(), b.value()) == 0 &&
           (a.type() == pugi::node_element || SameAttributes(a, b));
}

bool Equal(pugi::xml_node a, pugi::xml_node b) {
    std::vector<std::pair<pugi::xml_node, pugi::xml_node>> todo{{a, b}};
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        if (!Same(x, y) || !SameAttributes(x, y))
            return false;
        pugi::xml_node i = x.first_child(), j = y.first_child();
        for (; i && j; i = i.next_sibling(), j = j.next_sibling())
            todo.push_back({i, j});
        if (i || j)
            return false;
    }
    return true;
}

// Compares the changed copy with the document as read, top down without recursion, and
// turns what differs into edits of the text read. The nodes of a parent tile its content, so
// a node's text runs from where it begins to where the next one does.
class cPlanner {
public:
    cPlanner(const cXmlFile& read, std::string_view text, const cOriginalOf& originalOf)
        : m_read(read), m_text(text), m_originalOf(originalOf) {
        m_style.lineBreak = read.Form().lineBreak;
        const size_t close = text.find("/>");
        if (close != npos && close > 0 && text[close - 1] == ' ')
            m_style.emptyClose = " />";
    }

    bool Run(const pugi::xml_document& changed) {
        m_work.push_back({m_read.Document(), changed, 0, m_text.size()});
        while (!m_work.empty()) {
            const cWork work = m_work.back();
            m_work.pop_back();
            if (!Children(work))
                return false;
        }
        std::stable_sort(
            m_edits.begin(), m_edits.end(),
            [](const cTextEdit& a, const cTextEdit& b) { return a.offset < b.offset; });
        return true;
    }

    const std::vector<cTextEdit>& Edits() const { return m_edits; }

private:
    // A parent of the document as read and of the copy, with where its content stands.
    struct cWork {
        pugi::xml_node read;
        pugi::xml_node changed;
        size_t begin = 0;
        size_t end = 0;
    };

    void Replace(size_t from, size_t to, std::string text) {
        if (m_text.substr(from, to - from) == text)
            return;
        m_edits.push_back({from, to - from, std::move(text)});
    }

    // The copy's children against the read parent's: those still in their order keep their
    // bytes (an element is compared further), what stands between them is written anew.
    bool Children(const cWork& work) {
        std::vector<size_t> starts;
        std::unordered_map<pugi::xml_node_struct*, size_t> index;
        for (pugi::xml_node child = work.read.first_child(); child; child = child.next_sibling()) {
            const size_t start = m_read.StartOf(child);
            const size_t least = starts.empty() ? work.begin : starts.back() + 1;
            if (start == npos || start < least || start > work.end ||
                (starts.empty() && start != work.begin))
                return false;
            index[child.internal_object()] = starts.size();
            starts.push_back(start);
        }
        auto endOf = [&](size_t i) { return i + 1 < starts.size() ? starts[i + 1] : work.end; };
        size_t from = work.begin;
        bool anchored = false;
        size_t last = 0;
        std::string fresh;
        for (pugi::xml_node child = work.changed.first_child(); child;
             child = child.next_sibling()) {
            const pugi::xml_node original = m_originalOf(child);
            auto found = original ? index.find(original.internal_object()) : index.end();
            if (found == index.end() || (anchored && found->second <= last) ||
                !Same(original, child)) {
                Write(child, fresh);
                continue;
            }
            const size_t i = found->second;
            Replace(from, starts[i], std::move(fresh));
            fresh.clear();
            if (child.type() == pugi::node_element &&
                !Element(original, child, starts[i], endOf(i)))
                return false;
            anchored = true;
            last = i;
            from = endOf(i);
        }
        Replace(from, work.end, std::move(fresh));
        return true;
    }

    bool Element(pugi::xml_node read, pugi::xml_node changed, size_t begin, size_t end) {
        cStartTag tag;
        if (end <= begin || m_text[end - 1] != '>' || !ParseStartTag(read, begin, end, tag))
            return false;
        size_t n = 0;
        for (pugi::xml_attribute a = read.first_attribute(); a; a = a.next_attribute(), ++n) {
            const cAttributeSpan& span = tag.attributes[n];
            const pugi::xml_attribute now = changed.attribute(a.name());
            if (!now)
                Replace(span.blanks, span.close + 1, std::string());
            else if (std::strcmp(now.value(), a.value()) != 0)
                Replace(span.value, span.close, EscapeXmlAttribute(now.value(), span.quote));
        }
        // New attributes follow the last, spaced and quoted as it is.
        const char quote = tag.attributes.empty() ? '"' : tag.attributes.front().quote;
        const std::string blanks =
            tag.attributes.empty() ? std::string(" ")
                                   : std::string(m_text.substr(tag.attributes.back().blanks,
                                                               tag.attributes.back().name -
                                                                   tag.attributes.back().blanks));
        std::string added;
        for (pugi::xml_attribute a = changed.first_attribute(); a; a = a.next_attribute())
            if (!read.attribute(a.name()))
                added +=
                    blanks + a.name() + "=" + quote + EscapeXmlAttribute(a.value(), quote) + quote;
        if (tag.empty && changed.first_child()) {
            // An empty element that gains content opens: "<x a="1"/>" → "<x a="1">…</x>".
            added += '>';
            for (pugi::xml_node child = changed.first_child(); child; child = child.next_sibling())
                Write(child, added);
            added += std::string("</") + changed.name() + ">";
            Replace(tag.afterAttributes, tag.end, std::move(added));
            return true;
        }
        Replace(tag.afterAttributes, tag.afterAttributes, std::move(added));
        if (tag.empty)
            return true;
        const size_t close = m_text.rfind('<', end - 1);
        if (close == npos || close < tag.end || m_text[close + 1] != '/')
            return false;
        m_work.push_back({read, changed, tag.end, close});
        return true;
    }

    bool ParseStartTag(pugi::xml_node element, size_t begin, size_t end, cStartTag& tag) const {
        size_t i = begin + 1;
        auto word = [&](const char* name) {
            const size_t length = std::strlen(name);
            if (i + length > end || m_text.compare(i, length, name) != 0)
                return false;
            i += length;
            return true;
        };
        auto skipBlanks = [&] {
            while (i < end && IsBlank(m_text[i]))
                ++i;
        };
        if (!word(element.name()))
            return false;
        tag.afterAttributes = i;
        pugi::xml_attribute a = element.first_attribute();
        for (;;) {
            const size_t blanks = i;
            skipBlanks();
            if (i >= end)
                return false;
            if (m_text[i] == '>' || m_text[i] == '/')
                break;
            cAttributeSpan span;
            span.blanks = blanks;
            span.name = i;
            if (!a || i == blanks || !word(a.name()))
                return false;
            skipBlanks();
            if (i >= end || m_text[i] != '=')
                return false;
            ++i;
            skipBlanks();
            if (i >= end || (m_text[i] != '"' && m_text[i] != '\''))
                return false;
            span.quote = m_text[i];
            span.value = i + 1;
            span.close = m_text.find(span.quote, span.value);
            if (span.close == npos || span.close >= end)
                return false;
            i = tag.afterAttributes = span.close + 1;
            tag.attributes.push_back(span);
            a = a.next_attribute();
        }
        if (a)
            return false;
        tag.empty = m_text[i] == '/';
        if (tag.empty && (++i >= end || m_text[i] != '>' || element.first_child()))
            return false;
        tag.end = i + 1;
        return true;
    }

    // Where a node of the document as read ends: where the next node begins; the last node
    // of an element ends where the element's end tag begins.
    bool SpanOf(pugi::xml_node node, size_t& begin, size_t& end) const {
        begin = m_read.StartOf(node);
        if (begin == npos)
            return false;
        size_t closes = 0;
        pugi::xml_node at = node;
        while (!at.next_sibling() && at.parent().type() == pugi::node_element) {
            at = at.parent();
            ++closes;
        }
        end = at.next_sibling() ? m_read.StartOf(at.next_sibling()) : m_text.size();
        for (; closes > 0 && end != npos && end > 0; --closes)
            end = m_text.rfind('<', end - 1);
        return closes == 0 && end != npos && end > begin;
    }

    // A node the copy holds where the document did not: its bytes as read when it was moved
    // there unchanged, else written in the file's style.
    void Write(pugi::xml_node node, std::string& out) const {
        size_t begin = 0, end = 0;
        const pugi::xml_node original = m_originalOf(node);
        if (original && SpanOf(original, begin, end) && Equal(original, node)) {
            out.append(m_text.substr(begin, end - begin));
            return;
        }
        WriteXmlNode(node, m_style, out);
    }

    const cXmlFile& m_read;
    std::string_view m_text;
    const cOriginalOf& m_originalOf;
    cXmlStyle m_style;
    std::vector<cWork> m_work;
    std::vector<cTextEdit> m_edits;
};

// How many bytes UTF-8 text takes in an encoding.
size_t EncodedLength(std::string_view utf8, cXmlEncoding encoding) {
    if (encoding == cXmlEncoding::Utf8)
        return utf8.size();
    size_t length = 0;
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) == 0x80)
            continue;
        const bool utf16 = encoding == cXmlEncoding::Utf16LE || encoding == cXmlEncoding::Utf16BE;
        length += utf16 ? (b >= 0xF0 ? 4 : 2) : 1;
    }
    return length;
}

}  // namespace

cEditPlan PlanXmlEdits(const cXmlFile& read, const pugi::xml_document& changed,
                       const cOriginalOf& originalOf, std::vector<cByteEdit>& edits,
                       Text& problem) {
    edits.clear();
    std::string text;
    if (!read.KeptText(text))
        return cEditPlan::NotInPlace;
    cPlanner planner(read, text, originalOf);
    if (!planner.Run(changed))
        return cEditPlan::NotInPlace;
    // The text's offsets in the file's bytes, counted once from the start.
    const cXmlEncoding encoding = read.Form().encoding;
    size_t at = 0;
    size_t bytes = ByteOrderMarkSize(read.Form());
    auto advance = [&](size_t to) {
        bytes += EncodedLength(std::string_view(text).substr(at, to - at), encoding);
        at = to;
    };
    for (const cTextEdit& edit : planner.Edits()) {
        cByteEdit byteEdit;
        advance(edit.offset);
        byteEdit.offset = bytes;
        advance(edit.offset + edit.length);
        byteEdit.length = bytes - byteEdit.offset;
        if (!EncodeXmlText(edit.text, encoding, byteEdit.bytes, problem)) {
            edits.clear();
            return cEditPlan::Refused;
        }
        edits.push_back(std::move(byteEdit));
    }
    return cEditPlan::Planned;
}

std::string ApplyByteEdits(std::string bytes, const std::vector<cByteEdit>& edits) {
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
        bytes.replace(edit->offset, edit->length, edit->bytes);
    return bytes;
}
