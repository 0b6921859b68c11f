#include "core/adm/templatereader.h"

#include <initializer_list>
#include <memory>
#include <span>
#include <utility>

#include "core/adm/tokenizer.h"
#include "core/model/partkinds.h"
#include "core/model/readlog.h"
#include "core/model/stringmap.h"
#include "core/model/templatetree.h"
#include "core/text/messages.h"

namespace {

bool Is(TextView token, TextView keyword) {
    return KeywordEquals(token, keyword);
}
template <size_t N>
bool Is(TextView token, const char16_t (&keyword)[N]) {
    return KeywordEquals(token, keyword);
}

// Whether token is one of the own keywords of the part kind named by type.
bool IsKindKeyword(TextView type, TextView token) {
    static constexpr TextView kEdit[] = {u"MAXLEN", u"DEFAULT", u"REQUIRED", u"OEMCONVERT",
                                         u"EXPANDABLETEXT"};
    auto any = [&](std::initializer_list<TextView> keywords) {
        for (TextView keyword : keywords)
            if (Is(token, keyword))
                return true;
        return false;
    };
    auto edit = [&] {
        for (TextView keyword : kEdit)
            if (Is(token, keyword))
                return true;
        return false;
    };
    if (Is(type, u"CHECKBOX"))
        return any({u"DEFCHECKED", u"VALUEON", u"VALUEOFF", u"ACTIONLISTON", u"ACTIONLISTOFF"});
    if (Is(type, u"EDITTEXT"))
        return edit();
    if (Is(type, u"COMBOBOX"))
        return edit() || any({u"NOSORT", u"SUGGESTIONS"});
    if (Is(type, u"NUMERIC"))
        return any({u"MAX", u"MIN", u"SPIN", u"DEFAULT", u"REQUIRED", u"TXTCONVERT"});
    if (Is(type, u"DROPDOWNLIST"))
        return any({u"REQUIRED", u"NOSORT", u"ITEMLIST"});
    if (Is(type, u"LISTBOX"))
        return any({u"ADDITIVE", u"EXPLICITVALUE", u"VALUEPREFIX"});
    return false;
}

// Reads the token stream into the tree. Every reader returns true while the read may go on
// and false once it has failed; the first failure has shown its message.
class cTemplateReader {
public:
    cTemplateReader(cTemplateTree& tree, const cStringMap& strings, cTokenizer& tokens,
                    std::vector<cPassedOver>* passedOver, cReadLog* log)
        : m_tree(tree),
          m_strings(strings),
          m_tokens(tokens),
          m_passedOver(passedOver),
          m_log(log) {}

    bool ReadTemplate();

private:
    // Counts the structure readers in progress so that a hostile nesting depth ends the read
    // with a message rather than overflowing the stack.
    class cNestingGuard {
    public:
        explicit cNestingGuard(int& depth) : m_depth(depth) { ++m_depth; }
        ~cNestingGuard() { --m_depth; }
        cNestingGuard(const cNestingGuard&) = delete;
        cNestingGuard& operator=(const cNestingGuard&) = delete;
        bool Allowed() const;

    private:
        int& m_depth;
    };

    bool Next(Text& token) { return m_tokens.NextToken(token); }
    // The next token for a loop that passes over every token but the `wanted` ones. In the
    // strings section passing over records nothing (the string table keeps that section),
    // so there the tokenizer need not hand such tokens out at all.
    bool NextOf(Text& token, std::span<const TextView> wanted) {
        return m_tokens.NextTokenOf(token, wanted);
    }
    // The comments read since the last node took its own belong to the node beginning now.
    void TakeComments(cData& node) { node.comments = m_tokens.TakeComments(); }
    // Notes a token the reader leaves behind, on the line it was read from.
    void PassOver(const Text& token) { PassOver(token, m_tokens.TokenLine()); }
    void PassOver(const Text& token, int line);
    // The keyword just read is one the writer guards with "#if VERSION" lines of its own, so
    // the guard around it is written again and not lost.
    void GuardedKeyword() { m_guardUsed = true; }
    cTreeItem* Insert(cTreeItem* parent, Text label, int image, std::unique_ptr<cData> node) {
        return m_tree.InsertLast(parent, std::move(label), image, std::move(node));
    }

    bool ReadPolClass(cTreeItem* parent, Text& token);
    bool ReadCategory(cTreeItem* parent);
    bool ReadVersion(cTreeItem* parent);
    bool ReadPolicy(cTreeItem* parent);
    // After "#if": "version" must follow, and the block it opens is read under parent. A
    // file that ends right after "#if" ends there. notVersion: the message for another word.
    bool ReadIfVersion(cTreeItem* parent, MessageFormat notVersion);

    bool ReadPolicyPart(cObjPolicy& policy);
    bool SkipPart();
    template <typename F>
    bool ReadPartBody(cObjPolPart& part, bool keyName, bool valueName, F&& ownKeyword);
    bool ReadPart(cObjPolPartCheckBox& part);
    bool ReadPart(cObjPolPartText& part);
    bool ReadPart(cObjPolPartEditText& part);
    bool ReadPart(cObjPolPartCombo& part);
    bool ReadPart(cObjPolPartNum& part);
    bool ReadPart(cObjPolPartDropDown& part);
    bool ReadPart(cObjPolPartListBox& part);
    // The kinds that only ADMX has are never made from a type keyword, so never read here.
    bool ReadPart(cObjPolPartMultiText&) { return false; }
    bool ReadPart(cObjPolPartLongNum&) { return false; }
    template <typename P>
    bool ReadEditKeyword(P& part, const Text& token);

    bool ReadValue(cDescVal& value);
    bool ReadValueOn(cOptionalValue& record, const Text& owner);
    bool ReadValueOff(cOptionalValue& record, const Text& owner);
    bool ReadActionList(cActionList& list, Text key);
    bool ReadItemList(cItemListChain& list, const Text& key);
    bool ReadSuggestions(cSuggestionList& list);

    // A tree item's label: the text with its string reference resolved.
    Text Label(const Text& text) const { return ResolveText(m_strings, text); }

    cTemplateTree& m_tree;
    const cStringMap& m_strings;
    cTokenizer& m_tokens;
    std::vector<cPassedOver>* m_passedOver;  // Not owned; may be null.
    cReadLog* m_log;                         // Not owned; may be null.
    int m_depth = 0;
    // The "#if" inside a body that is still open: its entry among the passed-over lines.
    size_t m_guard = 0;
    bool m_guardOpen = false;
    bool m_guardUsed = false;
    int m_defaultMarks = 0;  // DEFAULT marks of the item list being read
};

void cTemplateReader::PassOver(const Text& token, int line) {
    // The strings section is kept by the string table.
    if (!m_passedOver || (m_tokens.StringsLine() && line >= m_tokens.StringsLine()))
        return;
    std::vector<cPassedOver>& lines = *m_passedOver;
    if (KeywordEquals(token, u"#endif") && m_guardOpen) {
        m_guardOpen = false;
        if (m_guardUsed) {
            // Both guard lines are written again around the keyword they enclose.
            if (m_guard < lines.size())
                lines.erase(lines.begin() + std::ptrdiff_t(m_guard));
            return;
        }
    }
    const bool guard = KeywordEquals(token, u"#if");
    if (!guard && !lines.empty() && lines.back().line == line) {
        lines.back().text += u' ';
        lines.back().text += token;
        return;
    }
    if (guard) {
        m_guard = lines.size();
        m_guardOpen = true;
        m_guardUsed = false;
    }
    lines.push_back({line, token});
}

bool cTemplateReader::cNestingGuard::Allowed() const {
    if (m_depth <= kMaxNestingDepth)
        return true;
    ShowMessage(kSeverityError, u"Error: the template is nested more than %d levels deep.",
                {kMaxNestingDepth});
    return false;
}

// ---- Structure -------------------------------------------------------------------------

// What the top level and a class's body read; every other token there is passed over.
constexpr TextView kTopLevelKeywords[] = {u"CLASS", u"#if"};
constexpr TextView kClassKeywords[] = {u"CATEGORY", u"CLASS", u"#if", u"#endif"};

// What an "#if" without "version" after it shows: at the top level and in a version block,
// and in a class or a category.
constexpr MessageFormat kNotVersion =
    u"Your input template file contains an #if statement that is not followed by a version "
    u"keyword this is not valid. Please corret your template file";
constexpr MessageFormat kNotVersionManually =
    u"Your input template file contains an #if statement that is not followed by a version "
    u"keyword this is not valid. Please correct your template file manually";

bool cTemplateReader::ReadIfVersion(cTreeItem* parent, MessageFormat notVersion) {
    Text token;
    if (!Next(token))
        return true;
    if (!Is(token, u"version")) {
        ShowMessage(kSeverityError, notVersion);
        return false;
    }
    return ReadVersion(parent);
}

bool cTemplateReader::ReadTemplate() {
    Text token;
    if (!NextOf(token, kTopLevelKeywords))
        return true;
    for (;;) {
        if (Is(token, u"CLASS")) {
            Text classToken = token;
            if (!ReadPolClass(nullptr, classToken))
                return false;
            // An #endif that closes no version block ended the class.
            if (Is(classToken, u"#endif"))
                PassOver(classToken);
        } else if (Is(token, u"#if")) {
            if (!ReadIfVersion(nullptr, kNotVersion))
                return false;
        } else {
            PassOver(token);
        }
        if (!NextOf(token, kTopLevelKeywords))
            return true;
    }
}

// A class has no end keyword: the next CLASS starts a sibling, which this reader reads as
// well, one after the other; `token` is left at the token the last class stopped at.
bool cTemplateReader::ReadPolClass(cTreeItem* parent, Text& token) {
    cNestingGuard guard(m_depth);
    if (!guard.Allowed())
        return false;
    for (;;) {
        auto node = std::make_unique<cObjClass>();
        node->line = m_tokens.TokenLine();
        TakeComments(*node);
        if (!Next(node->className)) {
            ShowMessage(kSeverityError, u"Error reading name of \"CLASS\"");
            return false;
        }
        Text label = Label(node->className);
        cTreeItem* item = Insert(parent, std::move(label), kImageClosedBook, std::move(node));
        if (!NextOf(token, kClassKeywords))
            return true;
        for (;;) {
            if (Is(token, u"CATEGORY")) {
                if (!ReadCategory(item))
                    return false;
            } else if (Is(token, u"CLASS")) {
                break;
            } else if (Is(token, u"#if")) {
                if (!ReadIfVersion(item, kNotVersionManually))
                    return false;
            } else if (Is(token, u"#endif")) {
                return true;
            } else {
                PassOver(token);
            }
            if (!NextOf(token, kClassKeywords))
                return true;
        }
    }
}

bool cTemplateReader::ReadCategory(cTreeItem* parent) {
    cNestingGuard guard(m_depth);
    if (!guard.Allowed())
        return false;
    auto node = std::make_unique<cObjCategory>();
    cObjCategory& category = *node;
    category.line = m_tokens.TokenLine();
    TakeComments(category);
    if (!Next(category.name)) {
        ShowMessage(kSeverityError, u"Error reading name of \"CATEGORY\"");
        return false;
    }
    Text label = Label(category.name);
    cTreeItem* item = Insert(parent, std::move(label), kImageClosedBook, std::move(node));

    Text token;
    bool more = Next(token);
    while (more) {
        if (Is(token, u"CATEGORY")) {
            if (!ReadCategory(item))
                return false;
        } else {
            if (Is(token, u"END")) {
                Text end = std::move(token);
                if (!Next(token))
                    return false;
                if (Is(token, u"CATEGORY"))
                    return true;
                PassOver(end);
            }
            if (Is(token, u"POLICY")) {
                if (!ReadPolicy(item))
                    return false;
            } else if (Is(token, u"#if")) {
                if (!ReadIfVersion(item, kNotVersionManually))
                    return false;
            } else if (Is(token, u"KEYNAME")) {
                if (!Next(category.keyName)) {
                    ShowMessage(kSeverityError, u"Error reading value of \"KEYNAME\"");
                    return false;
                }
                category.useDefaultKey = 0;
            } else if (Is(token, u"EXPLAIN")) {
                category.explainFlag = 1;
                if (!Next(category.explainText))
                    ShowMessage(kSeverityError, u"Error Reading Parameter \"EXPLAIN\" of %.50s.",
                                {category.name});
            } else {
                PassOver(token);
            }
        }
        more = Next(token);
    }
    ShowMessage(kSeverityError, u"Unexpected end of template file while reading category %s",
                {category.name});
    return true;
}

bool cTemplateReader::ReadVersion(cTreeItem* parent) {
    cNestingGuard guard(m_depth);
    if (!guard.Allowed())
        return false;
    auto node = std::make_unique<cObjVersion>();
    cObjVersion& version = *node;
    version.line = m_tokens.TokenLine();
    TakeComments(version);
    if (!Next(version.op)) {
        ShowMessage(kSeverityError, u"Error reading Operand of version");
        return false;
    }
    if (!Next(version.number)) {
        ShowMessage(kSeverityError, u"Error reading number of version of #if version");
        return false;
    }
    version.RebuildLabel();
    cTreeItem* item = Insert(parent, version.label, kImageClosedBook, std::move(node));

    Text token;
    while (Next(token)) {
        if (Is(token, u"#if")) {
            if (!ReadIfVersion(item, kNotVersion))
                return false;
        } else if (Is(token, u"#endif")) {
            return true;
        } else if (Is(token, u"CLASS")) {
            Text classToken = token;
            if (!ReadPolClass(item, classToken))
                return false;
            // The #endif that ended the class closes this block.
            if (Is(classToken, u"#endif"))
                return true;
        } else if (Is(token, u"CATEGORY")) {
            if (!ReadCategory(item))
                return false;
        } else if (Is(token, u"POLICY")) {
            if (!ReadPolicy(item))
                return false;
        } else {
            PassOver(token);
        }
    }
    ShowMessage(kSeverityError, u"Unexpected end of template file while reading #if %s %s %s",
                {version.label, version.op, version.number});
    return true;
}

// ---- Policies --------------------------------------------------------------------------

bool cTemplateReader::ReadPolicy(cTreeItem* parent) {
    auto node = std::make_unique<cObjPolicy>();
    cObjPolicy& policy = *node;
    policy.line = m_tokens.TokenLine();
    TakeComments(policy);
    m_guardOpen = false;
    Text token;
    if (!Next(token)) {
        ShowMessage(kSeverityError, u"Error reading name of \"POLICY\"");
        token.clear();
    }
    policy.name = std::move(token);
    // In the tree before its body is read, so that its key can be inherited.
    Insert(parent, Label(policy.name), kImagePage, std::move(node));

    for (bool more = Next(token); more; more = Next(token)) {
        if (Is(token, u"END")) {
            Text end = std::move(token);
            if (!Next(token))
                return false;
            if (Is(token, u"POLICY"))
                return true;
            PassOver(end);
        }
        if (Is(token, u"PART")) {
            if (!ReadPolicyPart(policy)) {
                ShowMessage(kSeverityError, u"Error reading a policy part of %s", {policy.name});
                return false;
            }
        } else if (Is(token, u"KEYNAME")) {
            if (!Next(policy.keyName)) {
                ShowMessage(kSeverityError, u"Error reading value of \"KEYNAME\"");
                return false;
            }
            policy.useDefaultKey = 0;
        } else if (Is(token, u"VALUENAME")) {
            if (!Next(policy.valueName)) {
                ShowMessage(kSeverityError, u"Error Reading Parameter \"VALUENAME\" of %.50s.",
                            {policy.name});
                return false;
            }
            policy.valueNameFlag = 1;
        } else if (Is(token, u"EXPLAIN")) {
            GuardedKeyword();
            policy.explainFlag = 1;
            if (!Next(policy.explainText))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"EXPLAIN\" of %.50s.",
                            {policy.name});
        } else if (Is(token, u"SUPPORTED")) {
            GuardedKeyword();
            policy.supportedFlag = 1;
            if (!Next(policy.supportedText))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"SUPPORTED\" of %.50s.",
                            {policy.name});
        } else if (Is(token, u"CLIENTEXT")) {
            GuardedKeyword();
            policy.clientExtFlag = 1;
            if (!Next(policy.clientExt))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"CLIENTEXT\" of %.50s.",
                            {policy.name});
        } else if (Is(token, u"VALUEOFF")) {
            if (!ReadValueOff(policy.valueOff, policy.name))
                return false;
        } else if (Is(token, u"VALUEON")) {
            if (!ReadValueOn(policy.valueOn, policy.name))
                return false;
        } else if (Is(token, u"ACTIONLISTOFF")) {
            if (!ReadActionList(policy.actionListOff, policy.GetEffectiveKey()))
                return false;
        } else if (Is(token, u"ACTIONLISTON")) {
            if (!ReadActionList(policy.actionListOn, policy.GetEffectiveKey()))
                return false;
        } else {
            PassOver(token);
        }
    }
    ShowMessage(kSeverityError, u"Unexpected end of template file while reading policy %s.",
                {policy.name});
    return false;
}

bool cTemplateReader::ReadPolicyPart(cObjPolicy& policy) {
    int line = m_tokens.TokenLine();
    Text name;
    if (!Next(name)) {
        ShowMessage(kSeverityError, u"Error reading name of \"PART\"");
        return false;
    }
    int nameLine = m_tokens.TokenLine();
    Text type;
    if (!Next(type)) {
        ShowMessage(kSeverityError, u"Error reading type of \"PART\"");
        return false;
    }
    std::unique_ptr<cObjPolPart> created = CreatePartFromKeyword(type, &policy, true);
    if (!created) {
        // Passed over whole; its comments go to whatever follows.
        PassOver(u"PART", line);
        PassOver(name, nameLine);
        PassOver(type, m_tokens.TokenLine());
        return SkipPart();
    }
    created->name = std::move(name);
    created->line = line;
    TakeComments(*created);
    // Linked in before its keywords are read: the part's key is inherited from the policy.
    cObjPolPart* part = policy.AppendPart(std::move(created));
    return VisitPart(*part, [&](auto& kind) { return ReadPart(kind); });
}

// A part of a type this editor does not know is passed over whole.
bool cTemplateReader::SkipPart() {
    Text token;
    for (;;) {
        if (!Next(token)) {
            ShowMessage(kSeverityError,
                        u"Unexpected end of template file while reading policyPart");
            return false;
        }
        PassOver(token);
        // END PART is passed over with it.
        while (Is(token, u"END")) {
            if (!Next(token))
                return false;
            PassOver(token);
            if (Is(token, u"PART"))
                return true;
        }
    }
}

// The loop every part kind shares: END PART, KEYNAME and VALUENAME where the kind has
// them, and the end of the file; ownKeyword handles the kind's own keywords and passes over
// the rest, returning false when the read has failed.
template <typename F>
bool cTemplateReader::ReadPartBody(cObjPolPart& part, bool keyName, bool valueName,
                                   F&& ownKeyword) {
    Text token;
    for (bool more = Next(token); more; more = Next(token)) {
        if (Is(token, u"END")) {
            Text end = std::move(token);
            if (!Next(token))
                return false;
            if (Is(token, u"PART"))
                return true;
            PassOver(end);
        }
        if (keyName && Is(token, u"KEYNAME")) {
            if (!Next(part.keyName)) {
                ShowMessage(kSeverityError, u"Error reading value of \"KEYNAME\"");
                return false;
            }
            part.useDefaultKey = 0;
        } else if (valueName && Is(token, u"VALUENAME")) {
            if (!Next(part.valueName))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"VALUENAME\" of %.50s.",
                            {part.name});
        } else {
            if (!IsKindKeyword(part.typeKeyword, token))
                PassOver(token);
            if (!ownKeyword(token))
                return false;
        }
    }
    ShowMessage(kSeverityError, u"Unexpected end of template file while reading policyPart %s.",
                {part.name});
    return false;
}

bool cTemplateReader::ReadPart(cObjPolPartCheckBox& part) {
    return ReadPartBody(part, true, true, [&](const Text& token) {
        if (Is(token, u"DEFCHECKED"))
            part.defChecked = 1;
        else if (Is(token, u"VALUEON"))
            return ReadValueOn(part.valueOn, part.name);
        else if (Is(token, u"VALUEOFF"))
            return ReadValueOff(part.valueOff, part.name);
        else if (Is(token, u"ACTIONLISTON"))
            return ReadActionList(part.actionListOn, part.GetEffectiveKey());
        else if (Is(token, u"ACTIONLISTOFF"))
            return ReadActionList(part.actionListOff, part.GetEffectiveKey());
        return true;
    });
}

bool cTemplateReader::ReadPart(cObjPolPartText& part) {
    part.keyName.clear();
    part.useDefaultKey = 0;
    return ReadPartBody(part, false, false, [](const Text&) { return true; });
}

template <typename P>
bool cTemplateReader::ReadEditKeyword(P& part, const Text& token) {
    if (Is(token, u"MAXLEN")) {
        part.maxLenFlag = 1;
        if (!Next(part.maxLen))
            ShowMessage(kSeverityError, u"Error Reading Parameter \"MAXLEN\" of %.50s.",
                        {part.name});
    } else if (Is(token, u"DEFAULT")) {
        part.defaultFlag = 1;
        if (!Next(part.defaultText))
            ShowMessage(kSeverityError, u"Error Reading Parameter \"DEFAULT\" of %.50s.",
                        {part.name});
    } else if (Is(token, u"REQUIRED")) {
        part.required = 1;
    } else if (Is(token, u"OEMCONVERT")) {
        part.oemConvert = 1;
    } else if (Is(token, u"EXPANDABLETEXT")) {
        GuardedKeyword();
        part.expandableText = 1;
    }
    return true;
}

bool cTemplateReader::ReadPart(cObjPolPartEditText& part) {
    return ReadPartBody(part, true, true,
                        [&](const Text& token) { return ReadEditKeyword(part, token); });
}

bool cTemplateReader::ReadPart(cObjPolPartCombo& part) {
    return ReadPartBody(part, true, true, [&](const Text& token) {
        if (Is(token, u"NOSORT")) {
            part.noSort = 1;
        } else if (Is(token, u"SUGGESTIONS")) {
            if (!ReadSuggestions(part.suggestions)) {
                ShowMessage(kSeverityError, u"Error Reading Parameter \"SUGGESTIONS\" of %.50s.",
                            {part.name});
                return false;
            }
        } else {
            return ReadEditKeyword(part, token);
        }
        return true;
    });
}

bool cTemplateReader::ReadPart(cObjPolPartNum& part) {
    return ReadPartBody(part, true, true, [&](const Text& token) {
        if (Is(token, u"MAX")) {
            if (!Next(part.max))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"MAX\" of %.50s.",
                            {part.name});
            part.maxFlag = 1;
        } else if (Is(token, u"MIN")) {
            if (!Next(part.min))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"MIN\" of %.50s.",
                            {part.name});
            part.minFlag = 1;
        } else if (Is(token, u"SPIN")) {
            if (!Next(part.spin))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"SPIN\" of %.50s.",
                            {part.name});
            part.spinFlag = 1;
        } else if (Is(token, u"DEFAULT")) {
            part.defaultFlag = 1;
            if (!Next(part.defaultValue))
                ShowMessage(kSeverityError, u"Error Reading Parameter \"DEFAULT\" of %.50s.",
                            {part.name});
        } else if (Is(token, u"REQUIRED")) {
            part.required = 1;
        } else if (Is(token, u"TXTCONVERT")) {
            part.txtConvert = 1;
        }
        return true;
    });
}

bool cTemplateReader::ReadPart(cObjPolPartDropDown& part) {
    return ReadPartBody(part, true, true, [&](const Text& token) {
        if (Is(token, u"REQUIRED")) {
            part.required = 1;
        } else if (Is(token, u"NOSORT")) {
            part.noSort = 1;
        } else if (Is(token, u"ITEMLIST")) {
            if (!ReadItemList(part.itemList, part.GetEffectiveKey())) {
                ShowMessage(kSeverityError, u"Error Reading Parameter \"ITEMLIST\" of %.50s.",
                            {part.name});
                return false;
            }
            if (m_log && m_defaultMarks > 1)
                m_log->severalDefaults.push_back({part.line, part.name, m_defaultMarks});
        }
        return true;
    });
}

bool cTemplateReader::ReadPart(cObjPolPartListBox& part) {
    return ReadPartBody(part, true, false, [&](const Text& token) {
        if (Is(token, u"ADDITIVE")) {
            part.additive = 1;
        } else if (Is(token, u"EXPLICITVALUE")) {
            part.explicitValue = 1;
        } else if (Is(token, u"VALUEPREFIX")) {
            if (!Next(part.valuePrefix)) {
                ShowMessage(kSeverityError, u"Error reading value of \"VALUEPREFIX\"");
                return false;
            }
            part.valuePrefixFlag = 1;
        }
        return true;
    });
}

// ---- Values and lists ------------------------------------------------------------------

// DELETE, NUMERIC followed by the number, or the text itself. A value read again replaces
// the earlier one whole. False when the value or the number is missing.
bool cTemplateReader::ReadValue(cDescVal& value) {
    Text token;
    if (!Next(token))
        return false;
    value.del = 0;
    value.numeric = 0;
    value.valueText.clear();
    if (Is(token, u"DELETE")) {
        value.del = 1;
        return true;
    }
    if (Is(token, u"NUMERIC")) {
        value.numeric = 1;
        return Next(value.valueText);
    }
    value.valueText = std::move(token);
    return true;
}

bool cTemplateReader::ReadValueOn(cOptionalValue& record, const Text& owner) {
    if (record) {
        ShowMessage(kSeverityError,
                    u"Error: parameter \"VALUEON\" is specified more than once whithin Policy "
                    u"Part %.50s.",
                    {owner});
        return false;
    }
    if (!ReadValue(record.emplace())) {
        ShowMessage(kSeverityError, u"Error reading parameter \"VALUEON\".");
        return false;
    }
    return true;
}

bool cTemplateReader::ReadValueOff(cOptionalValue& record, const Text& owner) {
    if (record) {
        ShowMessage(kSeverityError,
                    u"Error: parameter \"VALUEOFF\" is specified more than once whithin Policy "
                    u"Part %.50s.",
                    {owner});
        return false;
    }
    if (!ReadValue(record.emplace())) {
        ShowMessage(kSeverityError, u"Error reading parameter \"VALUEOFF\".");
        return false;
    }
    return true;
}

// Any of END ACTIONLISTON, END ACTIONLISTOFF and END ACTIONLIST closes any action list.
bool cTemplateReader::ReadActionList(cActionList& list, Text key) {
    list.clear();
    list.push_back(cActionKey{std::move(key), {}});
    Text token;
    for (bool more = Next(token); more; more = Next(token)) {
        if (Is(token, u"END")) {
            Text end = std::move(token);
            if (!Next(token))
                return false;
            if (Is(token, u"ACTIONLISTON") || Is(token, u"ACTIONLISTOFF") ||
                Is(token, u"ACTIONLIST"))
                return true;
            PassOver(end);
        }
        if (Is(token, u"KEYNAME")) {
            // A KEYNAME before the first entry names the inherited group itself.
            if (!list.back().entries.empty())
                list.emplace_back();
            if (!Next(list.back().keyName)) {
                ShowMessage(kSeverityError, u"Error reading value of \"KEYNAME\"");
                return false;
            }
        } else if (Is(token, u"VALUENAME")) {
            cActionValue& entry = list.back().entries.emplace_back();
            if (!Next(entry.valueName))
                ShowMessage(kSeverityError,
                            u"Error Reading Parameter \"VALUENAME\" of ACTIONLIST.");
        } else if (Is(token, u"VALUE")) {
            if (list.back().entries.empty()) {
                ShowMessage(kSeverityError, u"Error Reading Parameter \"VALUE\" of ACTIONLIST.");
                return false;
            }
            if (!ReadValue(list.back().entries.back())) {
                ShowMessage(kSeverityError, u"Error reading parameter \"VALUE\" of ACTIONLIST.");
                return false;
            }
        } else {
            PassOver(token);
        }
    }
    return true;
}

bool cTemplateReader::ReadItemList(cItemListChain& list, const Text& key) {
    if (!list.empty())
        return false;
    m_defaultMarks = 0;
    Text token;
    for (bool more = Next(token); more; more = Next(token)) {
        if (Is(token, u"END")) {
            Text end = std::move(token);
            if (!Next(token))
                return false;
            if (Is(token, u"ITEMLIST"))
                return true;
            PassOver(end);
        }
        if (Is(token, u"NAME")) {
            cItemList& item = list.emplace_back();
            item.line.number = m_tokens.TokenLine();
            if (!Next(item.name)) {
                ShowMessage(kSeverityError, u"Error reading value of \"NAME\" of Itemlist");
                return false;
            }
        } else if (Is(token, u"VALUE")) {
            if (list.empty()) {
                ShowMessage(kSeverityError, u"Error Reading Parameter \"VALUE\" of ITEMLIST.");
                return false;
            }
            if (!ReadValue(list.back().value)) {
                ShowMessage(kSeverityError, u"Error reading parameter \"VALUE\" of ITEMLIST.");
                return false;
            }
        } else if (Is(token, u"DEFAULT")) {
            // Marks the item read last, wherever in its lines it stands; the last mark wins.
            if (!list.empty()) {
                for (cItemList& other : list)
                    other.defaultFlag = 0;
                list.back().defaultFlag = 1;
                ++m_defaultMarks;
            } else {
                PassOver(token);
            }
        } else if (Is(token, u"ACTIONLIST")) {
            if (list.empty()) {
                ShowMessage(kSeverityError, u"Error Reading Parameter \"VALUE\" of ITEMLIST.");
                return false;
            }
            if (!ReadActionList(list.back().actionList, key))
                return false;
        } else {
            PassOver(token);
        }
    }
    return true;
}

// Every word is a suggestion; END is one too unless SUGGESTIONS follows it.
bool cTemplateReader::ReadSuggestions(cSuggestionList& list) {
    if (!list.empty())
        return false;
    Text token;
    for (bool more = Next(token); more; more = Next(token)) {
        while (Is(token, u"END")) {
            if (!Next(token))
                return false;
            if (Is(token, u"SUGGESTIONS"))
                return true;
            list.push_back(cSuggestion{u"END"});
        }
        list.push_back(cSuggestion{token});
    }
    return true;
}

}  // namespace

bool ReadTemplate(cTemplateTree& tree, const cStringMap& strings, cTokenizer& tokens,
                  std::vector<cPassedOver>* passedOver, cReadLog* log) {
    return cTemplateReader(tree, strings, tokens, passedOver, log).ReadTemplate();
}
