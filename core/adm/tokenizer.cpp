#include "core/adm/tokenizer.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/adm/textsource.h"

namespace {

constexpr TextView kIfdef = u"#IFDEF";
constexpr TextView kEndif = u"#ENDIF";

// Characters that end an unquoted token, looked up in one step.
constexpr auto kDelimiters = [] {
    std::array<bool, 128> table{};
    for (char c : {' ', '\n', '\r', '\t', '"', ';', '/'})
        table[size_t(c)] = true;
    return table;
}();

bool IsDelimiter(char16_t c) {
    // Every delimiter lies at or below ';': letters and digits leave at the first test.
    return c <= u';' && kDelimiters[c];
}

void SkipBlanks(TextView& line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    line.remove_prefix(i);
}

}  // namespace

cTokenizer::cTokenizer(TextView text) : m_text(text) {}

bool cTokenizer::NextLine() {
    if (m_pos >= m_text.size())
        return false;
    if (m_release && m_pos >= m_nextRelease) {
        m_release(m_pos);
        m_nextRelease = m_pos + m_releaseEvery;
    }
    size_t end = FindUnit(m_text, u'\n', m_pos);
    if (end == TextView::npos) {
        m_line = m_text.substr(m_pos);
        m_pos = m_text.size();
    } else {
        m_line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
    }
    ++m_lineNumber;
    m_lineHasToken = false;
    return true;
}

// Called for a line that begins with "[" (after blanks): the first "[strings]" header starts
// the strings section, whose comments belong to the string table.
void cTokenizer::NoteSection() {
    size_t close = m_line.find(u']');
    if (close != TextView::npos &&
        KeywordEquals(TrimBlanks(m_line.substr(1, close - 1)), u"strings"))
        m_stringsLine = m_lineNumber;
}

cTokenizer::cScan cTokenizer::Scan() {
    SkipBlanks(m_line);
    while (m_line.empty()) {
        if (!NextLine())
            return cScan::End;
        SkipBlanks(m_line);
        if (!m_stringsLine && !m_line.empty() && m_line[0] == u'[')
            NoteSection();
    }
    char16_t first = m_line[0];
    m_scanLine = m_lineNumber;
    if (first == u'"') {
        m_lineHasToken = true;
        m_line.remove_prefix(1);
        size_t close = FindUnit(m_line, u'"');
        if (close == TextView::npos) {
            m_scanned = m_line;
            m_line = TextView();
        } else {
            m_scanned = m_line.substr(0, close);
            m_line.remove_prefix(close + 1);
        }
        return cScan::Token;
    }
    if (first == u';' || (first == u'/' && m_line.size() >= 2 && m_line[1] == u'/')) {
        // A comment after a token on the same line is not kept.
        if (!m_lineHasToken && !m_stringsLine)
            m_comments.emplace_back(TrimBlanks(m_line));
        m_line = TextView();
        return cScan::Comment;
    }
    m_lineHasToken = true;
    if (first == u'/' && m_line.size() == 1) {
        // A slash with nothing after it joins nothing; it would otherwise stay in the line
        // and be cut as an empty token for ever.
        m_scanned = m_line;
        m_line = TextView();
        return cScan::Token;
    }
    size_t length = 0;
    while (length < m_line.size() && !IsDelimiter(m_line[length]))
        ++length;
    m_scanned = m_line.substr(0, length);
    m_line.remove_prefix(length);
    if (m_line.size() >= 2 && m_line[0] == u'/' && m_line[1] != u'/') {
        m_line.remove_prefix(1);
        return cScan::Join;
    }
    return cScan::Token;
}

bool cTokenizer::NextToken(Text& token) {
    if (!NextUnnoted(token))
        return false;
    if (m_references && token.size() >= 2 && token[0] == u'!' && token[1] == u'!')
        m_references->push_back({token.substr(2), m_tokenLine});
    return true;
}

bool cTokenizer::NextTokenOf(Text& token, std::span<const TextView> wanted) {
    if (m_references)
        return NextToken(token);
    for (;;) {
        const cScan scan = Scan();
        // A plain token is handed out as it stands, and handing it out changes nothing
        // but the token line, so leaving it out here is the same as passing it over.
        if (scan == cScan::Token && m_stringsLine && m_scanLine >= m_stringsLine &&
            !KeywordEquals(m_scanned, kIfdef) &&
            std::none_of(wanted.begin(), wanted.end(),
                         [this](TextView keyword) { return KeywordEquals(m_scanned, keyword); }))
            continue;
        return HandOut(scan, token);
    }
}

bool cTokenizer::NextUnnoted(Text& token) {
    return HandOut(Scan(), token);
}

bool cTokenizer::HandOut(cScan scan, Text& token) {
    if (scan == cScan::End)
        return false;
    if (scan == cScan::Token && !KeywordEquals(m_scanned, kIfdef)) {
        token.assign(m_scanned);
        m_tokenLine = m_scanLine;
        return true;
    }
    m_requests.clear();
    m_requests.emplace_back();
    return Serve(scan, token);
}

bool cTokenizer::NextRawToken(Text& token) {
    switch (Scan()) {
        case cScan::End:
            return false;
        case cScan::Token:
            token.assign(m_scanned);
            m_tokenLine = m_scanLine;
            return true;
        case cScan::Comment:
            return NextToken(token);
        case cScan::Join:
            break;
    }
    m_requests.clear();
    cRequest& join = m_requests.emplace_back();
    join.joined = true;
    join.prefix.assign(m_scanned);
    join.prefix.push_back(u'/');
    join.prefixLine = m_scanLine;
    return Serve(Scan(), token);
}

bool cTokenizer::Serve(cScan scan, Text& token) {
    for (;; scan = Scan()) {
        cRequest& top = m_requests.back();
        if (scan == cScan::Comment) {
            // Outside a block the token after a comment is simply the next one; inside a
            // block it comes through a fresh #IFDEF layer of its own.
            if (top.inBlock)
                m_requests.emplace_back();
            continue;
        }
        if (scan == cScan::Join) {
            // A token holding a slash never opens or closes a block, so outside a block the
            // joined token is this request's answer as it stands and its parts are collected
            // in place; inside a block it is only a token to pass over.
            if (top.inBlock) {
                cRequest& join = m_requests.emplace_back();
                join.joined = true;
                join.prefix.assign(m_scanned);
                join.prefixLine = m_scanLine;
            } else {
                if (!top.joined)
                    top.prefixLine = m_scanLine;
                top.joined = true;
                top.prefix.append(m_scanned);
            }
            m_requests.back().prefix.push_back(u'/');
            continue;
        }
        bool ok = scan == cScan::Token;
        Text found;
        int foundLine = m_scanLine;
        if (ok)
            found.assign(m_scanned);
        // Hand the token to the innermost request; an answered request hands its answer on
        // to the one below it.
        for (;;) {
            cRequest& request = m_requests.back();
            if (!request.inBlock) {
                if (ok && KeywordEquals(found, kIfdef)) {
                    request.inBlock = true;
                    request.last = std::move(found);
                    request.lastLine = foundLine;
                    break;
                }
            } else if (ok) {
                if (KeywordEquals(found, kEndif))
                    request.inBlock = false;
                request.last = std::move(found);
                request.lastLine = foundLine;
                break;
            } else {
                ok = true;
                found = std::move(request.last);
                foundLine = request.lastLine;
            }
            if (request.joined) {
                if (ok)
                    request.prefix.append(found);
                found = std::move(request.prefix);
                foundLine = request.prefixLine;
                ok = true;
            }
            m_requests.pop_back();
            if (m_requests.empty()) {
                if (ok) {
                    token = std::move(found);
                    m_tokenLine = foundLine;
                }
                return ok;
            }
        }
    }
}
