#include "core/convert/admxmapping.h"

namespace {

// The characters of a text that XML 1.0 can carry, each handed to put as a code point: those
// it cannot carry are left out (`dropped` tells), a lone surrogate becomes U+FFFD, and with
// lineBreaks a template's "\n" escape becomes a line break. One pass: the texts of a large
// template run to megabytes.
template <typename Put>
void ForEachXmlChar(TextView text, bool lineBreaks, bool* dropped, Put&& put) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0x20 && c != u'\\' && c < 0xD800) {
            put(c);
        } else if (c == u'\\') {
            bool lineBreak = lineBreaks && i + 1 < text.size() && text[i + 1] == u'n';
            put(lineBreak ? U'\n' : U'\\');
            i += lineBreak;
        } else if (c == 9 || c == 10 || c == 13) {
            put(c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            put(0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            put(U'\uFFFD');
        } else if (c >= 0x20 && c != 0xFFFE && c != 0xFFFF) {
            put(c);
        } else if (dropped) {
            *dropped = true;
        }
    }
}

// As UTF-8 bytes written straight into a buffer sized for the worst case.
void AppendXmlUtf8(std::string& out, TextView text, bool lineBreaks, bool* dropped) {
    size_t start = out.size();
    out.resize(start + text.size() * 3);
    char* p = out.data() + start;
    ForEachXmlChar(text, lineBreaks, dropped, [&p](char32_t c) { p += PutUtf8(p, c); });
    out.resize(size_t(p - out.data()));
}

// As UTF-16, what the model of a set holds.
Text KeptXmlText(TextView text, bool lineBreaks, bool* dropped) {
    Text out(text.size(), u'\0');
    char16_t* p = out.data();
    ForEachXmlChar(text, lineBreaks, dropped, [&p](char32_t c) {
        if (c >= 0x10000) {
            *p++ = char16_t(0xD800 + ((c - 0x10000) >> 10));
            *p++ = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            *p++ = char16_t(c);
        }
    });
    out.resize(size_t(p - out.data()));
    return out;
}

}  // namespace

Text XmlTextOf(TextView text, bool* dropped) {
    return KeptXmlText(text, false, dropped);
}

Text ShownXmlTextOf(TextView resolved, bool* dropped) {
    return KeptXmlText(resolved, true, dropped);
}

std::string XmlText(TextView text, bool* dropped) {
    std::string out;
    AppendXmlUtf8(out, text, false, dropped);
    return out;
}

std::string ShownXmlText(TextView resolved, bool* dropped) {
    std::string out;
    AppendXmlUtf8(out, resolved, true, dropped);
    return out;
}

void AppendXmlText(std::string& out, TextView text) {
    AppendXmlUtf8(out, text, false, nullptr);
}

bool ParseUnsigned(TextView text, uint32_t& out) {
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    if (value > 0xFFFFFFFFull)
        return false;
    out = uint32_t(value);
    return true;
}

bool ParseDword(TextView text, uint32_t& out) {
    bool negative = !text.empty() && text[0] == u'-';
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+'))
        text.remove_prefix(1);
    uint32_t magnitude = 0;
    if (!ParseUnsigned(text, magnitude))
        return false;
    if (negative) {
        if (magnitude > 0x80000000u)
            return false;
        out = uint32_t(0x100000000ull - magnitude);
        return true;
    }
    out = magnitude;
    return true;
}

std::string MakeId(TextView text, const char* fallback) {
    std::string id;
    id.reserve(text.size());
    for (char16_t c : text) {
        bool keep = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                    (c >= u'0' && c <= u'9') || c == u'_';
        id += keep ? char(c) : '_';
    }
    if (id.empty())
        return fallback;
    if (id[0] >= '0' && id[0] <= '9')
        id.insert(id.begin(), '_');
    return id;
}

std::string cIdSet::Unique(const std::string& base) {
    if (m_used.insert(base).second)
        return base;
    for (int n = 2;; ++n) {
        std::string candidate = base + "_" + std::to_string(n);
        if (m_used.insert(candidate).second)
            return candidate;
    }
}
