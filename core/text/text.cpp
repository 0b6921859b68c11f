#include "core/text/text.h"

#include <climits>
#include <cstdint>
#include <cstring>

TextView TrimBlanks(TextView s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

namespace {

void AppendNumber(Text& out, long long n) {
    std::string digits = std::to_string(n);
    out.append(digits.begin(), digits.end());
}

}  // namespace

namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool ShowsNothing(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF ||
           c == 0xFFFE || c == 0xFFFF;
}

}  // namespace

Text PrintableText(TextView text) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    Text out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out += c;
            out += text[++i];
            continue;
        }
        if (!ShowsNothing(c) && !IsHighSurrogate(c) && !IsLowSurrogate(c)) {
            out += c;
            continue;
        }
        out += u"\\x";
        for (int shift = c > 0xFF ? 12 : 4; shift >= 0; shift -= 4)
            out += kDigits[(c >> shift) & 0xF];
    }
    return out;
}

Text Counted(long long count, TextView one, TextView many) {
    return FromUtf8(std::to_string(count)) + u" " + Text(count == 1 ? one : many);
}

Text FormatText(TextView format, std::initializer_list<FormatArg> args) {
    Text out;
    out.reserve(format.size() + 64);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        char16_t c = format[i];
        if (c != u'%') {
            out.push_back(c);
            continue;
        }
        size_t j = i + 1;
        if (j < format.size() && format[j] == u'%') {
            out.push_back(u'%');
            i = j;
            continue;
        }
        long precision = -1;
        if (j < format.size() && format[j] == u'.') {
            ++j;
            precision = 0;
            while (j < format.size() && format[j] >= u'0' && format[j] <= u'9') {
                precision = precision * 10 + (format[j] - u'0');
                ++j;
            }
        }
        while (j < format.size() && (format[j] == u'l' || format[j] == u'h'))
            ++j;
        if (j >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        char16_t conv = format[j];
        if (conv != u's' && conv != u'S' && conv != u'd' && conv != u'i' && conv != u'u') {
            out.append(format.substr(i, j - i + 1));
            i = j;
            continue;
        }
        if (next != args.end()) {
            const FormatArg& arg = *next++;
            if (conv == u's' || conv == u'S') {
                TextView s = arg.isText ? arg.text : TextView();
                if (precision >= 0 && s.size() > size_t(precision))
                    s = s.substr(0, size_t(precision));
                if (arg.isText)
                    out.append(s);
                else
                    AppendNumber(out, arg.number);
            } else if (arg.isText) {
                out.append(arg.text);
            } else {
                AppendNumber(out, arg.number);
            }
        }
        i = j;
    }
    return out;
}

size_t PutUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = char(0xC0 | (c >> 6));
        out[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = char(0xE0 | (c >> 12));
        out[1] = char(0x80 | ((c >> 6) & 0x3F));
        out[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (c >> 18));
    out[1] = char(0x80 | ((c >> 12) & 0x3F));
    out[2] = char(0x80 | ((c >> 6) & 0x3F));
    out[3] = char(0x80 | (c & 0x3F));
    return 4;
}

void AppendUtf8(std::string& out, char32_t c) {
    char bytes[4];
    out.append(bytes, PutUtf8(bytes, c));
}

std::string ToUtf8(TextView text) {
    // The exact length first, then the bytes in place: no growing string.
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80)
            length += 1;
        else if (c < 0x800)
            length += 2;
        else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            length += 4, ++i;
        else
            length += 3;  // a lone surrogate becomes U+FFFD, three bytes as well
    }
    std::string out(length, '\0');
    char* at = out.data();
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            *at++ = char(c);
            continue;
        }
        if (IsHighSurrogate(char16_t(c)) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        at += PutUtf8(at, c);
    }
    return out;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

Text FromUtf8(std::string_view s) {
    // Never more UTF-16 units than UTF-8 bytes: written in place, then cut to length.
    Text out(s.size(), u'\0');
    char16_t* at = out.data();
    size_t i = 0;
    while (i < s.size()) {
        // Eight bytes at a time while they are ASCII.
        if (i + 8 <= s.size()) {
            uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                for (size_t k = 0; k < 8; ++k)
                    at[k] = char16_t(static_cast<unsigned char>(s[i + k]));
                at += 8;
                i += 8;
                continue;
            }
        }
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            *at++ = char16_t(b);
            ++i;
            continue;
        }
        char32_t c = 0xFFFD;
        size_t len = 1;
        if ((b & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > s.size()) {
                len = 1;
            } else {
                c = b & (0x7F >> len);
                for (size_t k = 1; k < len; ++k) {
                    unsigned char cb = static_cast<unsigned char>(s[i + k]);
                    if ((cb & 0xC0) != 0x80) {
                        c = 0xFFFD;
                        len = 1;
                        break;
                    }
                    c = (c << 6) | (cb & 0x3F);
                }
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            *at++ = char16_t(0xD800 + (c >> 10));
            *at++ = char16_t(0xDC00 + (c & 0x3FF));
        } else {
            *at++ = char16_t(c);
        }
        i += len;
    }
    out.resize(size_t(at - out.data()));
    return out;
}

Text FromLatin1(std::string_view bytes) {
    Text out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<unsigned char>(bytes[i]);
    return out;
}

long ParseLeadingInt(TextView text, bool* ok) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    size_t start = i;
    // A number too large for a long saturates at the largest one of its sign; the digits
    // that do not fit are still read, so that none of them is taken for what follows.
    long value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        long digit = text[i] - u'0';
        value = value > (LONG_MAX - digit) / 10 ? LONG_MAX : value * 10 + digit;
        ++i;
    }
    if (ok)
        *ok = i > start;
    return negative ? -value : value;
}

std::string JsonQuoted(std::string_view utf8) {
    std::string out = "\"";
    out.reserve(utf8.size() + 2);
    for (char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    static const char kHex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += kHex[(c >> 4) & 0xF];
                    out += kHex[c & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}
