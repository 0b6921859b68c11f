#include "core/adm/templatewriter.h"

#include <algorithm>
#include <vector>

#include "core/adm/stringtable.h"
#include "core/adm/tokenizer.h"
#include "core/model/partkinds.h"
#include "core/model/templatetree.h"
#include "core/text/messages.h"

namespace {

constexpr int kIndentCap = 20;
constexpr size_t kIndentWidth = 3;
// The capped indentation plus the extra step of action values and suggestions.
const Text kBlanks((kIndentCap + 1) * kIndentWidth, u' ');

enum class cContext { Top, Class, Category, Version };

// Which nodes the layout writes below which: anything else is passed over with its subtree,
// as the reader would pass it over.
bool Accepts(cContext parent, int kind) {
    switch (parent) {
        case cContext::Top:
            return kind == kKindClass || kind == kKindVersion;
        case cContext::Class:
            return kind == kKindCategory || kind == kKindVersion;
        case cContext::Category:
            return kind == kKindCategory || kind == kKindPolicy || kind == kKindVersion;
        case cContext::Version:
            return kind == kKindVersion || kind == kKindClass || kind == kKindCategory ||
                   kind == kKindPolicy;
    }
    return false;
}

Text HexCode(char16_t c) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    Text hex;
    for (int shift = 12; shift >= 0; shift -= 4)
        hex.push_back(kDigits[(c >> shift) & 0xF]);
    return hex;
}

// Walks the tree in the template's order and either writes the layout or, in checking
// mode, looks at every text the layout would write and records the first one that would
// not read back the same. Both modes share one walk, so that the check covers exactly
// what is written.
class cWriter {
public:
    // out null: check for the given format instead of writing.
    cWriter(const cTemplateTree& tree, Text* out, int utf16)
        : m_tree(tree), m_out(out), m_utf16(utf16) {}

    bool Template(const cStringMap& strings, const std::vector<Text>& trailing);
    // The node with its subtree; false (with an internal error) for a node of another kind.
    bool Node(const cTreeItem* item, int kind, int level);

    const Text& Problem() const { return m_problem; }

private:
    bool Checking() const { return m_out == nullptr; }
    void Put(TextView text) {
        if (m_out)
            m_out->append(text);
    }
    void Indent(int level, size_t extra = 0) {
        size_t capped = size_t(std::clamp(level, 0, kIndentCap));
        Put(TextView(kBlanks).substr(0, capped * kIndentWidth + extra));
    }
    void EndLine() { Put(u"\r\n"); }
    void Line(int level, TextView text) {
        Indent(level);
        Put(text);
        EndLine();
    }

    void Quoted(const Text& text, const char16_t* field);
    void Bare(const Text& text, const char16_t* field);
    void Value(const cDescVal& value, bool valueOn, const char16_t* field);
    // The VALUEON and VALUEOFF lines of a policy or check box, where they exist.
    void OnOffValues(const cOptionalValue& on, const cOptionalValue& off, int level);
    // Keyword, blank and quoted text on one line.
    void QuotedLine(int level, TextView keyword, const Text& text, const char16_t* field) {
        Indent(level);
        Put(keyword);
        Quoted(text, field);
        EndLine();
    }
    void BareLine(int level, TextView keyword, const Text& text, const char16_t* field) {
        Indent(level);
        Put(keyword);
        Bare(text, field);
        EndLine();
    }
    // Older versions of the policy editor do not know this keyword.
    void Expandable(int level) {
        Line(level, u"#if VERSION >= 2");
        Line(level, u"EXPANDABLETEXT");
        Line(level, u"#endif");
    }

    bool Head(const cData* node, int level);
    void Tail(const cData* node, int level);
    bool Policy(const cData* node, int level);
    void Part(const cObjPolPart& part, int level);
    void PartBody(const cObjPolPartCheckBox& box, int m);
    void PartBody(const cObjPolPartCombo& combo, int m);
    void PartBody(const cObjPolPartDropDown& drop, int m);
    void PartBody(const cObjPolPartEditText& edit, int m);
    void PartBody(const cObjPolPartListBox& list, int m);
    void PartBody(const cObjPolPartNum& num, int m);
    void PartBody(const cObjPolPartText& text, int m);
    void PartBody(const cObjPolPartMultiText& text, int m);
    void PartBody(const cObjPolPartLongNum& num, int m);
    void ActionList(const cActionList& list, int kind, int level);
    void Item(const cItemList& item, int level);
    void Suggestions(const cSuggestionList& list, int level);
    // Comment lines, each at the level given.
    void Comments(const std::vector<Text>& comments, int level);
    void Strings(const cStringMap& strings);

    void InternalError(int kind);

    // Checking.
    void CheckToken(const Text& text, const char16_t* field);
    void CheckCharacters(const Text& text, const char16_t* field, bool lineBreaksOnly);
    void CheckStringName(const Text& name);
    void CheckStringTokens(const Text& name, const Text& text);
    void Fail(TextView field, const Text& problem);
    Text Owner() const;

    const cTemplateTree& m_tree;
    Text* m_out;  // Not owned.
    int m_utf16;
    Text m_problem;

    // Where the walk is, for the check's message. Not owned.
    const cData* m_node = nullptr;
    const cPolicyPart* m_part = nullptr;
    const char16_t* m_list = nullptr;
    const cItemList* m_item = nullptr;
    const Text* m_stringName = nullptr;
};

enum : int { kListOn, kListOff, kListPlain };

bool cWriter::Template(const cStringMap& strings, const std::vector<Text>& trailing) {
    bool ok = true;
    for (const cTreeItem* item = m_tree.FirstRootItem(); item; item = m_tree.NextSiblingOf(item)) {
        const cData* node = m_tree.NodeOf(item);
        if (node && Accepts(cContext::Top, node->kind))
            ok = Node(item, node->kind, 0) && ok;
    }
    m_node = nullptr;
    m_part = nullptr;
    Comments(trailing, 0);
    // A template of comments alone is written as its comments.
    if (!m_tree.IsEmpty() || !strings.Empty() || strings.HasComments())
        Strings(strings);
    return ok;
}

void cWriter::Comments(const std::vector<Text>& comments, int level) {
    for (const Text& comment : comments) {
        if (Checking()) {
            // A comment is the rest of its line, so only the format can refuse it.
            Text line = comment;
            std::replace(line.begin(), line.end(), u'\r', u' ');
            CheckCharacters(line, u"comment", true);
            continue;
        }
        Line(level, comment);
    }
}

// An explicit stack instead of recursion: the reader accepts nesting far deeper than a
// thread's stack would bear one frame per level of.
bool cWriter::Node(const cTreeItem* top, int kind, int level) {
    const cData* node = m_tree.NodeOf(top);
    if (!node || node->kind != kind) {
        InternalError(kind);
        return false;
    }
    if (kind == kKindPolicy)
        return Policy(node, level);
    if (!Head(node, level))
        return false;

    struct cOpen {
        const cTreeItem* item;
        cContext context;
        int level;
    };
    auto contextOf = [](int k) {
        return k == kKindClass      ? cContext::Class
               : k == kKindCategory ? cContext::Category
                                    : cContext::Version;
    };
    bool ok = true;
    std::vector<cOpen> open{{top, contextOf(kind), level}};
    const cTreeItem* item = m_tree.FirstChildOf(top);
    while (!open.empty()) {
        if (!item) {
            cOpen done = open.back();
            open.pop_back();
            Tail(m_tree.NodeOf(done.item), done.level);
            item = open.empty() ? nullptr : m_tree.NextSiblingOf(done.item);
            continue;
        }
        const cOpen& parent = open.back();
        int childLevel = parent.level + 1;
        const cData* child = m_tree.NodeOf(item);
        if (child && Accepts(parent.context, child->kind)) {
            if (child->kind == kKindPolicy) {
                ok = Policy(child, childLevel) && ok;
            } else if (Head(child, childLevel)) {
                open.push_back({item, contextOf(child->kind), childLevel});
                item = m_tree.FirstChildOf(item);
                continue;
            } else {
                ok = false;
            }
        }
        item = m_tree.NextSiblingOf(item);
    }
    return ok;
}

void cWriter::InternalError(int kind) {
    if (Checking())
        return;
    switch (kind) {
        case kKindVersion:
            ShowMessage(kSeverityInternal,
                        u"Internal error:SaveVersion() function called with object of wrong type.");
            break;
        case kKindClass:
            ShowMessage(kSeverityInternal,
                        u"Internal error:SavePolClass() function called with object of wrong "
                        u"type.");
            break;
        case kKindCategory:
            ShowMessage(kSeverityInternal,
                        u"Internal error:SaveCategory() function called with object of wrong "
                        u"type.");
            break;
        default:
            ShowMessage(kSeverityInternal,
                        u"Internal error:SavePolicy() function called with object of wrong type.");
            break;
    }
}

bool cWriter::Head(const cData* node, int level) {
    m_node = node;
    m_part = nullptr;
    m_list = nullptr;
    m_item = nullptr;
    Comments(node->comments, level);
    switch (node->kind) {
        case kKindClass: {
            auto* cls = static_cast<const cPolClass*>(node);
            BareLine(level, u"CLASS ", cls->className, u"class name");
            return true;
        }
        case kKindCategory: {
            auto* category = static_cast<const cCategory*>(node);
            QuotedLine(level, u"CATEGORY ", category->name, u"name");
            if (category->useDefaultKey == 0)
                QuotedLine(level + 1, u"KEYNAME ", category->keyName, u"key name");
            // Without the version lines a policy's explanation has: inside a category they
            // would open a version condition.
            if (category->explainFlag == 1)
                QuotedLine(level + 1, u"EXPLAIN ", category->explainText, u"explain text");
            return true;
        }
        case kKindVersion: {
            auto* version = static_cast<const cPolVersion*>(node);
            Indent(level);
            Put(u"#if version ");
            Bare(version->op, u"operator");
            Put(u" ");
            Bare(version->number, u"version number");
            EndLine();
            return true;
        }
    }
    InternalError(node->kind);
    return false;
}

void cWriter::Tail(const cData* node, int level) {
    if (node->kind == kKindVersion) {
        Line(level, u"#endif ");
    } else if (node->kind == kKindCategory) {
        // The name after the semicolon is a comment to the reader.
        Indent(level);
        Put(u"END CATEGORY ; ");
        Put(static_cast<const cCategory*>(node)->name);
        EndLine();
    }
}

bool cWriter::Policy(const cData* node, int level) {
    if (node->kind != kKindPolicy) {
        InternalError(kKindPolicy);
        return false;
    }
    auto* policy = static_cast<const cObjPolicy*>(node);
    m_node = policy;
    m_part = nullptr;
    m_list = nullptr;
    m_item = nullptr;
    const int body = level + 1;
    Comments(policy->comments, level);
    QuotedLine(level, u"POLICY ", policy->name, u"name");
    if (policy->useDefaultKey == 0)
        QuotedLine(body, u"KEYNAME ", policy->keyName, u"key name");
    // Where vendors put it, guarded for policy editors that do not know it.
    if (policy->supportedFlag == 1) {
        Line(body, u"#if VERSION >= 4");
        BareLine(body, u"SUPPORTED ", policy->supportedText, u"supported-on text");
        Line(body, u"#endif");
    }
    if (policy->explainFlag == 1) {
        Line(body, u"#if VERSION >= 3");
        QuotedLine(body, u"EXPLAIN ", policy->explainText, u"explain text");
        Line(body, u"#endif");
    }
    if (policy->valueNameFlag == 1)
        QuotedLine(body, u"VALUENAME ", policy->valueName, u"value name");
    OnOffValues(policy->valueOn, policy->valueOff, body);
    if (policy->clientExtFlag == 1) {
        Line(body, u"#if VERSION >= 3");
        BareLine(body, u"CLIENTEXT ", policy->clientExt, u"client extension");
        Line(body, u"#endif");
    }
    if (!policy->actionListOn.empty())
        ActionList(policy->actionListOn, kListOn, body);
    if (!policy->actionListOff.empty())
        ActionList(policy->actionListOff, kListOff, body);
    for (const auto& part : policy->Parts())
        Part(*part, body);
    m_part = nullptr;
    Indent(level);
    Put(u"END POLICY ; ");
    Put(policy->name);
    EndLine();
    return true;
}

void cWriter::OnOffValues(const cOptionalValue& on, const cOptionalValue& off, int level) {
    if (on) {
        Indent(level);
        Put(u"VALUEON ");
        Value(*on, true, u"VALUEON value");
        EndLine();
    }
    if (off) {
        Indent(level);
        Put(u"VALUEOFF ");
        Value(*off, false, u"VALUEOFF value");
        EndLine();
    }
}

void cWriter::Part(const cObjPolPart& part, int level) {
    m_part = &part;
    m_list = nullptr;
    m_item = nullptr;
    const int m = level + 1;
    Comments(part.comments, level);
    Indent(level);
    Put(u"PART ");
    Quoted(part.name, u"name");
    Put(u" ");
    Put(part.typeKeyword);
    EndLine();
    if (part.typeKeyword != u"TEXT") {
        if (part.useDefaultKey == 0)
            QuotedLine(m, u"KEYNAME ", part.keyName, u"key name");
        if (part.typeKeyword != u"LISTBOX")
            QuotedLine(m, u"VALUENAME ", part.valueName, u"value name");
    }

    VisitPart(part, [&](const auto& kind) { PartBody(kind, m); });
    Line(level, u"END PART ");
}

// The lines of each kind between its VALUENAME and END PART.
void cWriter::PartBody(const cObjPolPartCheckBox& box, int m) {
    if (box.defChecked == 1)
        Line(m, u"DEFCHECKED");
    OnOffValues(box.valueOn, box.valueOff, m);
    if (!box.actionListOn.empty())
        ActionList(box.actionListOn, kListOn, m + 1);
    if (!box.actionListOff.empty())
        ActionList(box.actionListOff, kListOff, m + 1);
}

void cWriter::PartBody(const cObjPolPartCombo& combo, int m) {
    if (combo.required == 1)
        Line(m, u"REQUIRED");
    if (combo.defaultFlag == 1)
        QuotedLine(m, u"DEFAULT ", combo.defaultText, u"default");
    if (combo.maxLenFlag == 1)
        BareLine(m, u"MAXLEN ", combo.maxLen, u"MAXLEN text");
    if (combo.oemConvert == 1)
        Line(m, u"OEMCONVERT ");
    if (combo.noSort == 1)
        Line(m, u"NOSORT ");
    if (combo.expandableText == 1)
        Expandable(m);
    if (!combo.suggestions.empty())
        Suggestions(combo.suggestions, m);
}

void cWriter::PartBody(const cObjPolPartDropDown& drop, int m) {
    if (drop.required == 1)
        Line(m, u"REQUIRED");
    if (drop.noSort == 1)
        Line(m, u"NOSORT ");
    if (!drop.itemList.empty()) {
        Line(m, u"ITEMLIST");
        for (const cItemList& item : drop.itemList)
            Item(item, m + 1);
        m_item = nullptr;
        Line(m, u"END ITEMLIST");
    }
}

void cWriter::PartBody(const cObjPolPartEditText& edit, int m) {
    if (edit.defaultFlag == 1)
        QuotedLine(m, u"DEFAULT ", edit.defaultText, u"default");
    if (edit.maxLenFlag == 1)
        BareLine(m, u"MAXLEN ", edit.maxLen, u"MAXLEN text");
    if (edit.required == 1)
        Line(m, u"REQUIRED");
    if (edit.oemConvert == 1)
        Line(m, u"OEMCONVERT ");
    if (edit.expandableText == 1)
        Expandable(m);
}

void cWriter::PartBody(const cObjPolPartListBox& list, int m) {
    if (list.additive == 1)
        Line(m, u"ADDITIVE");
    if (list.explicitValue == 1)
        Line(m, u"EXPLICITVALUE");
    if (list.valuePrefixFlag == 1)
        QuotedLine(m, u"VALUEPREFIX ", list.valuePrefix, u"value prefix");
}

void cWriter::PartBody(const cObjPolPartNum& num, int m) {
    if (num.required == 1)
        Line(m, u"REQUIRED");
    if (num.defaultFlag == 1)
        QuotedLine(m, u"DEFAULT ", num.defaultValue, u"default");
    if (num.maxFlag == 1)
        BareLine(m, u"MAX ", num.max, u"MAX text");
    if (num.minFlag == 1)
        BareLine(m, u"MIN ", num.min, u"MIN text");
    if (num.spinFlag == 1)
        BareLine(m, u"SPIN ", num.spin, u"SPIN text");
    if (num.txtConvert == 1)
        Line(m, u"TXTCONVERT ");
}

void cWriter::PartBody(const cObjPolPartText&, int) {}

// The kinds that only ADMX has: the check refuses them, so they are never written.
void cWriter::PartBody(const cObjPolPartMultiText&, int) {
    if (Checking())
        Fail(u"type",
             u"is a list of texts (ADMX multiText), which a template file cannot "
             u"hold. Replace the part by an edit text.");
}

void cWriter::PartBody(const cObjPolPartLongNum&, int) {
    if (Checking())
        Fail(u"type",
             u"is a 64-bit number (ADMX longDecimal), which a template file cannot "
             u"hold. Replace the part by a numeric part.");
}

void cWriter::ActionList(const cActionList& list, int kind, int level) {
    static constexpr const char16_t* kOpen[] = {u"ACTIONLISTON ", u"ACTIONLISTOFF ",
                                                u"ACTIONLIST "};
    static constexpr const char16_t* kClose[] = {u"END ACTIONLISTON ", u"END ACTIONLISTOFF ",
                                                 u"END ACTIONLIST "};
    static constexpr const char16_t* kName[] = {u"ACTIONLISTON", u"ACTIONLISTOFF", u"ACTIONLIST"};
    m_list = kName[kind];
    Line(level, kOpen[kind]);
    for (size_t g = 0; g < list.size(); ++g) {
        const cActionKey& group = list[g];
        // Reading starts a new group at a KEYNAME only once the current one holds a value,
        // so an empty group followed by another would be lost.
        if (Checking() && group.entries.empty() && g + 1 < list.size())
            Fail(FormatText(u"key group \"%.50s\"", {group.keyName}),
                 u"has no values and is followed by another key group, so reading drops it. "
                 u"Give it a value or remove it.");
        QuotedLine(level + 1, u"KEYNAME ", group.keyName, u"key name of a key group");
        for (const cActionValue& entry : group.entries) {
            Indent(level + 1, kIndentWidth);
            Put(u"VALUENAME ");
            Quoted(entry.valueName, u"value name of an entry");
            EndLine();
            Indent(level + 1, kIndentWidth);
            Put(u"VALUE ");
            Value(entry, false, u"value of an entry");
            EndLine();
        }
    }
    Line(level, kClose[kind]);
    m_list = nullptr;
}

void cWriter::Item(const cItemList& item, int level) {
    m_item = &item;
    m_list = nullptr;
    QuotedLine(level, u"NAME ", item.name, u"name");
    Indent(level);
    Put(u"VALUE ");
    Value(item.value, false, u"value");
    EndLine();
    if (item.defaultFlag == 1)
        Line(level, u"DEFAULT");
    if (!item.actionList.empty())
        ActionList(item.actionList, kListPlain, level);
}

void cWriter::Suggestions(const cSuggestionList& list, int level) {
    for (size_t i = 0; Checking() && i + 1 < list.size(); ++i)
        if (KeywordEquals(list[i].text, u"END") && KeywordEquals(list[i + 1].text, u"SUGGESTIONS"))
            Fail(u"suggestions",
                 u"hold \"END\" directly followed by \"SUGGESTIONS\", which reads back as the end "
                 u"of the list. Change or reorder these suggestions.");
    m_list = u"SUGGESTIONS";
    // Reading keeps the word END among suggestions, but in capitals.
    for (size_t i = 0; Checking() && i < list.size(); ++i)
        if (KeywordEquals(list[i].text, u"END") && list[i].text != u"END")
            Fail(u"text of a suggestion",
                 FormatText(u"is \"%s\", which reads back as \"END\". Write it in capitals or "
                            u"change it.",
                            {list[i].text}));
    Line(level, u"SUGGESTIONS");
    for (size_t i = 0; i < list.size(); ++i) {
        Indent(level, kIndentWidth);
        Quoted(list[i].text, u"text of a suggestion");
        EndLine();
    }
    Line(level, u"END SUGGESTIONS");
    m_list = nullptr;
}

void cWriter::Strings(const cStringMap& strings) {
    m_part = nullptr;
    m_list = nullptr;
    m_item = nullptr;
    Put(u"\r\n[STRINGS]\r\n");
    for (const auto& [name, text] : strings.Entries()) {
        m_stringName = &name;
        if (const std::vector<Text>* comments = strings.CommentsBefore(name))
            Comments(*comments, 0);
        if (Checking()) {
            CheckStringName(name);
            CheckCharacters(text, u"display text", true);
            CheckStringTokens(name, text);
        }
        Put(name);
        Put(u" =\"");
        Put(text);
        Put(u"\"\r\n");
    }
    m_stringName = nullptr;
    Comments(strings.CommentsAfter(), 0);
}

void cWriter::Quoted(const Text& text, const char16_t* field) {
    if (Checking()) {
        CheckToken(text, field);
        return;
    }
    m_out->push_back(u'"');
    m_out->append(text);
    m_out->push_back(u'"');
}

// Texts that the layout writes without quotes are quoted when the tokenizer would cut them
// or drop them, so that each still reads back as one token.
void cWriter::Bare(const Text& text, const char16_t* field) {
    bool needsQuotes = text.empty() || std::any_of(text.begin(), text.end(), [](char16_t c) {
                           return IsBlank(c) || c == u';' || c == u'/';
                       });
    if (needsQuotes) {
        Quoted(text, field);
        return;
    }
    if (Checking())
        CheckToken(text, field);
    else
        m_out->append(text);
}

void cWriter::Value(const cDescVal& value, bool valueOn, const char16_t* field) {
    if (value.IsDelete()) {
        Put(valueOn ? u" DELETE" : u"DELETE ");
    } else if (value.IsNumeric()) {
        Put(u"NUMERIC ");
        Bare(value.valueText, field);
    } else {
        // Quotes do not keep a value token from being taken as its keyword.
        if (Checking()) {
            for (const char16_t* keyword : {u"DELETE", u"NUMERIC"})
                if (KeywordEquals(value.valueText, keyword))
                    Fail(field, FormatText(u"is the text \"%s\", which reads back as the keyword "
                                           u"%s. Change the value.",
                                           {value.valueText, keyword}));
        }
        Quoted(value.valueText, field);
    }
}

// ---- Checking -------------------------------------------------------------------------

void cWriter::CheckToken(const Text& text, const char16_t* field) {
    CheckCharacters(text, field, false);
    // Quoted or not, this token opens a block that the reader skips.
    if (KeywordEquals(text, u"#IFDEF"))
        Fail(field,
             FormatText(u"is \"%s\", which makes reading skip what follows. Change it.", {text}));
}

void cWriter::CheckCharacters(const Text& text, const char16_t* field, bool lineBreaksOnly) {
    for (char16_t c : text) {
        if (c == u'"' && !lineBreaksOnly) {
            Fail(field,
                 u"contains a double quote, which the template file cannot hold. Remove "
                 u"the double quote.");
            return;
        }
        if (c == u'\r' || c == u'\n') {
            Fail(field,
                 u"contains a line break, which the template file cannot hold. Remove "
                 u"the line break.");
            return;
        }
        if (m_utf16 == 0 && c == 0x1A) {
            Fail(field,
                 u"contains the character U+001A, which ends the text of a file in ASCII "
                 u"format. Save in UNICODE format, or remove the character.");
            return;
        }
        if (m_utf16 == 0 && c > 0xFF) {
            Fail(field, FormatText(u"contains the character U+%s, which ASCII format cannot "
                                   u"hold. Save in UNICODE format, or remove the character.",
                                   {HexCode(c)}));
            return;
        }
    }
}

// A string's line reads name=text; the name is cut at the first equals sign and trimmed,
// and a line that begins with "[" or ";" is a section header or a comment.
void cWriter::CheckStringName(const Text& name) {
    // An empty name reads back as one: the line then begins with its equals sign.
    if (name.empty())
        return;
    CheckCharacters(name, u"name", true);
    if (name.find(u'=') != Text::npos)
        Fail(u"name",
             u"contains an equals sign, which the strings section cannot hold. Rename "
             u"the string.");
    if (IsBlank(name.front()) || IsBlank(name.back()))
        Fail(u"name",
             u"begins or ends with white space, which the strings section drops. "
             u"Remove the white space.");
    if (name.front() == u'[' || IsCommentLine(name))
        Fail(u"name", FormatText(u"begins with \"%s\", which the strings section reads as a "
                                 u"section header or a comment. Rename the string.",
                                 {Text(name.substr(0, name.front() == u'/' ? 2 : 1))}));
}

// The reader of the last class also reads the strings section as tokens, and takes a token
// that is one of these keywords for the start of a node (or, for #IFDEF, of a skipped
// block), whether it stood in quotes or not.
void cWriter::CheckStringTokens(const Text& name, const Text& text) {
    static constexpr TextView kKeywords[] = {u"CLASS", u"CATEGORY", u"#if", u"#IFDEF"};
    auto keywordIn = [](const Text& line) -> TextView {
        cTokenizer tokens(line);
        Text token;
        while (tokens.NextRawToken(token))
            for (TextView keyword : kKeywords)
                if (KeywordEquals(token, keyword))
                    return keyword;
        return TextView();
    };
    TextView keyword = keywordIn(name + u" =");
    const char16_t* field = u"name";
    if (keyword.empty()) {
        keyword = keywordIn(name + u" =\"" + text + u"\"");
        field = u"display text";
    }
    if (!keyword.empty())
        Fail(field, FormatText(u"reads back as the keyword %s, which would change the template's "
                               u"nodes when it is opened again. Change the %s.",
                               {keyword, field}));
}

// Keeps the first problem only: it is the one the user meets first in the tree.
void cWriter::Fail(TextView field, const Text& problem) {
    if (!m_problem.empty())
        return;
    Text where(field);
    if (m_list)
        where += FormatText(u" in %s", {m_list});
    if (m_item)
        where += FormatText(u" of item \"%.50s\" in ITEMLIST", {m_item->name});
    m_problem = FormatText(u"The %s of %s %s", {where, Owner(), problem});
}

Text cWriter::Owner() const {
    if (m_stringName)
        return FormatText(u"string \"%.50s\" of the string table", {*m_stringName});
    Text policyName;
    if (m_node && m_node->kind == kKindPolicy)
        policyName = static_cast<const cPolicy*>(m_node)->name;
    if (m_part)
        return FormatText(u"part \"%.50s\" of policy \"%.50s\"", {m_part->name, policyName});
    if (!m_node)
        return u"the template";
    switch (m_node->kind) {
        case kKindClass:
            return FormatText(u"class \"%.50s\"",
                              {static_cast<const cPolClass*>(m_node)->className});
        case kKindCategory:
            return FormatText(u"category \"%.50s\"", {static_cast<const cCategory*>(m_node)->name});
        case kKindVersion:
            return FormatText(u"version condition \"%.50s\"",
                              {static_cast<const cPolVersion*>(m_node)->label});
        default:
            return FormatText(u"policy \"%.50s\"", {policyName});
    }
}

bool SaveNode(const cTemplateTree& tree, const cTreeItem* item, int kind, int level, Text& out) {
    return cWriter(tree, &out, 1).Node(item, kind, level);
}

Text Describe(const cData* node) {
    switch (node->kind) {
        case kKindClass:
            return FormatText(u"class \"%.50s\"", {static_cast<const cPolClass*>(node)->className});
        case kKindCategory:
            return FormatText(u"category \"%.50s\"", {static_cast<const cCategory*>(node)->name});
        case kKindVersion:
            return FormatText(u"version condition \"%.50s\"",
                              {static_cast<const cPolVersion*>(node)->label});
        case kKindPolicy:
            return FormatText(u"policy \"%.50s\"", {static_cast<const cPolicy*>(node)->name});
        default:
            return Text();
    }
}

// A class has no closing line: whatever is written after it among its parent's children
// reads back inside it, and the tree would change on every save. Only another class may
// follow a class.
Text ClassOrderProblem(const cTemplateTree& tree) {
    Text problem;
    auto check = [&](const cTreeItem* first) {
        const cData* lastClass = nullptr;
        for (const cTreeItem* item = first; item && problem.empty();
             item = tree.NextSiblingOf(item)) {
            const cData* node = tree.NodeOf(item);
            if (!node)
                continue;
            if (node->kind == kKindClass) {
                lastClass = node;
            } else if (lastClass && (node->kind == kKindVersion || node->kind == kKindCategory ||
                                     node->kind == kKindPolicy)) {
                problem = FormatText(
                    u"Save refused: the %s follows the %s among the nodes of "
                    u"one parent and would be read back inside that class. "
                    u"Move it before the class or into it.",
                    {Describe(node), Describe(lastClass)});
            }
        }
    };
    check(tree.FirstRootItem());
    tree.ForEachPreOrder([&](cTreeItem* item) {
        if (problem.empty() && !item->children.empty())
            check(tree.FirstChildOf(item));
    });
    return problem;
}

const std::vector<Text> kNone;

}  // namespace

bool SaveTemplate(const cTemplateTree& tree, const cStringMap& strings, Text& out,
                  const std::vector<Text>* trailingComments) {
    out.clear();
    // A template of strings or comments alone keeps them.
    if (tree.IsEmpty() && strings.Empty() && !strings.HasComments() &&
        (!trailingComments || trailingComments->empty()))
        return true;
    // Most items with their parts take a few hundred characters; growing past this is cheap.
    size_t estimate = tree.ItemCount() * 512;
    for (const auto& [name, text] : strings.Entries())
        estimate += name.size() + text.size() + 6;
    out.reserve(estimate);
    // The text itself is the same in both formats; only checking depends on the format.
    return cWriter(tree, &out, 1).Template(strings, trailingComments ? *trailingComments : kNone);
}

bool SaveVersion(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out) {
    return SaveNode(tree, item, kKindVersion, level, out);
}

bool SavePolClass(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out) {
    return SaveNode(tree, item, kKindClass, level, out);
}

bool SaveCategory(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out) {
    return SaveNode(tree, item, kKindCategory, level, out);
}

bool SavePolicy(const cTemplateTree& tree, const cTreeItem* item, int level, Text& out) {
    return SaveNode(tree, item, kKindPolicy, level, out);
}

bool CheckWritable(const cTemplateTree& tree, const cStringMap& strings, int utf16, Text& message,
                   const std::vector<Text>* trailingComments) {
    message.clear();
    // With neither nodes, strings nor comments nothing is written, so nothing can fail to
    // read back.
    if (tree.IsEmpty() && strings.Empty() && !strings.HasComments() &&
        (!trailingComments || trailingComments->empty()))
        return true;
    message = ClassOrderProblem(tree);
    if (!message.empty())
        return false;
    cWriter checker(tree, nullptr, utf16);
    checker.Template(strings, trailingComments ? *trailingComments : kNone);
    message = checker.Problem();
    return message.empty();
}

std::string EncodeTemplate(const Text& text, int utf16) {
    std::string bytes;
    if (utf16) {
        bytes.resize(2 + text.size() * 2);
        bytes[0] = char(0xFF);
        bytes[1] = char(0xFE);
        char* p = bytes.data() + 2;
        for (char16_t c : text) {
            *p++ = char(c & 0xFF);
            *p++ = char(c >> 8);
        }
    } else {
        bytes.resize(text.size());
        char* p = bytes.data();
        // CheckWritable keeps wider characters out; should one slip through, it must not
        // turn into an unrelated character.
        for (char16_t c : text)
            *p++ = c <= 0xFF ? char(c) : '?';
    }
    return bytes;
}
