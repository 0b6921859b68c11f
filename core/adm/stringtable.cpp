#include "core/adm/stringtable.h"

#include <algorithm>

#include "core/adm/textsource.h"

namespace {

// The name of a section header line ("[name]", blanks allowed around the name), or false
// for every other line.
bool SectionName(TextView line, TextView& name) {
    if (line.empty() || line[0] != u'[')
        return false;
    size_t close = line.find(u']');
    if (close == TextView::npos)
        return false;
    name = TrimBlanks(line.substr(1, close - 1));
    return true;
}

// Stores the line's definition; returns the name it was stored under.
TextView StoreLine(TextView line, cStringMap& map) {
    TextView name;
    TextView text = line;
    size_t equals = line.find(u'=');
    if (equals != TextView::npos) {
        name = line.substr(0, equals);
        text = line.substr(equals + 1);
    }
    name = TrimBlanks(name);
    text = TrimBlanks(text);
    // Whatever the last character is, it is taken for the closing quote.
    if (!text.empty() && text[0] == u'"')
        text = text.size() >= 2 ? text.substr(1, text.size() - 2) : TextView();
    map.Set(Text(name), Text(text));
    return name;
}

}  // namespace

bool LoadStrings(TextView text, cStringMap& map, cReadLog* log) {
    bool inSection = false;
    std::vector<Text> comments;  // not yet followed by a string
    size_t pos = 0;
    int lineNumber = 0;
    while (pos < text.size()) {
        if (!inSection) {
            // Outside the section only a header line matters: go straight to the next "["
            // that begins a line (after blanks), without cutting the lines in between.
            size_t bracket = FindUnit(text, u'[', pos);
            if (bracket == TextView::npos)
                break;
            size_t lineStart = bracket;
            while (lineStart > pos && text[lineStart - 1] != u'\n' && IsBlank(text[lineStart - 1]))
                --lineStart;
            if (lineStart > pos && text[lineStart - 1] != u'\n') {
                size_t next = FindUnit(text, u'\n', bracket);
                if (next == TextView::npos)
                    break;
                if (log)
                    lineNumber += int(std::count(text.begin() + std::ptrdiff_t(pos),
                                                 text.begin() + std::ptrdiff_t(next + 1), u'\n'));
                pos = next + 1;
                continue;
            }
            if (log)
                lineNumber += int(std::count(text.begin() + std::ptrdiff_t(pos),
                                             text.begin() + std::ptrdiff_t(lineStart), u'\n'));
            pos = lineStart;
        }
        ++lineNumber;
        size_t end = FindUnit(text, u'\n', pos);
        if (end == TextView::npos)
            end = text.size();
        TextView line = TrimBlanks(text.substr(pos, end - pos));
        pos = end + 1;

        TextView name;
        if (SectionName(line, name)) {
            // Only the first strings section counts, as with the section reader of an
            // initialization file.
            if (inSection)
                break;
            inSection = KeywordEquals(name, u"strings");
            if (inSection && log)
                log->stringsFirstLine = log->stringsLastLine = lineNumber;
            continue;
        }
        if (!inSection)
            continue;
        if (log)
            log->stringsLastLine = lineNumber;
        if (line.empty())
            continue;
        if (IsCommentLine(line)) {
            comments.emplace_back(line);
            continue;
        }
        TextView stored = StoreLine(line, map);
        map.AddCommentsBefore(stored, std::move(comments));
        comments.clear();
        if (log)
            log->strings.push_back({Text(stored), lineNumber});
    }
    for (Text& comment : comments)
        map.CommentsAfter().push_back(std::move(comment));
    return true;
}
