#include "core/translate/languages.h"

#include <algorithm>

#include "core/document/document.h"
#include "core/document/formats.h"
#include "core/translate/admlanguages.h"
#include "core/translate/admxlanguages.h"

cLanguageTable* cDocumentLanguages::Find(TextView language) {
    for (size_t i = 0; i < Count(); ++i)
        if (At(i).language == language)
            return &At(i);
    return nullptr;
}

std::unique_ptr<cDocumentLanguages> LanguagesOf(CPelwinDoc& doc) {
    if (&doc.Format() == &AdmxFormat()) {
        auto* state = dynamic_cast<cAdmxState*>(doc.FormatState());
        if (!state || !state->set)
            return nullptr;
        return std::make_unique<cAdmxLanguages>(doc, *state);
    }
    if (&doc.Format() != &AdmFormat())
        return nullptr;
    if (!doc.FormatState())
        doc.SetFormatState(std::make_unique<cAdmLanguageFiles>());
    auto* files = dynamic_cast<cAdmLanguageFiles*>(doc.FormatState());
    if (!files)
        return nullptr;
    return std::make_unique<cAdmLanguages>(doc, *files);
}

namespace {

bool IsLower(char16_t c) {
    return c >= u'a' && c <= u'z';
}
bool IsUpper(char16_t c) {
    return c >= u'A' && c <= u'Z';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The length of the language tag that ends text, or 0.
size_t TagAtEnd(TextView text) {
    // Tags are short: try every start that leaves at most "lll-Ssss-RRR".
    for (size_t length = std::min<size_t>(text.size(), 12); length >= 5; --length) {
        const size_t start = text.size() - length;
        if (start > 0 && text[start - 1] != u'-' && text[start - 1] != u'_' &&
            text[start - 1] != u'.')
            continue;
        if (IsLanguageTag(text.substr(start)))
            return length;
    }
    return 0;
}

}  // namespace

bool IsLanguageTag(TextView tag) {
    size_t at = 0;
    while (at < tag.size() && IsLower(tag[at]))
        ++at;
    if (at < 2 || at > 3 || at == tag.size() || tag[at] != u'-')
        return false;
    TextView rest = tag.substr(at + 1);
    // A script: one capital and three small letters.
    if (rest.size() > 5 && IsUpper(rest[0]) && IsLower(rest[1]) && IsLower(rest[2]) &&
        IsLower(rest[3]) && rest[4] == u'-')
        rest = rest.substr(5);
    if (rest.size() == 2)
        return IsUpper(rest[0]) && IsUpper(rest[1]);
    return rest.size() == 3 && IsDigit(rest[0]) && IsDigit(rest[1]) && IsDigit(rest[2]);
}

Text LanguageOfFileName(TextView path) {
    size_t slash = path.find_last_of(u'/');
    TextView name = slash == TextView::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of(u'.');
    if (dot != TextView::npos && dot > 0)
        name = name.substr(0, dot);
    const size_t length = TagAtEnd(name);
    return Text(name.substr(name.size() - length));
}

Text LanguageFilePath(TextView path, TextView language) {
    size_t slash = path.find_last_of(u'/');
    const size_t nameStart = slash == TextView::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of(u'.');
    if (dot == TextView::npos || dot <= nameStart)
        dot = path.size();
    TextView stem = path.substr(nameStart, dot - nameStart);
    const size_t length = TagAtEnd(stem);
    Text out(path.substr(0, nameStart));
    if (length > 0)
        out += Text(stem.substr(0, stem.size() - length)) + Text(language);
    else
        out += Text(stem) + u"-" + Text(language);
    out += Text(path.substr(dot));
    return out;
}
