#include "core/check/regtext.h"

#include <algorithm>
#include <cstdio>

#include "core/check/find.h"
#include "core/check/policyplace.h"
#include "core/model/partkinds.h"

namespace {

cRegWrite Write(cRegKind kind, Text key, Text valueName = {}) {
    cRegWrite write;
    write.kind = kind;
    write.key = std::move(key);
    write.valueName = std::move(valueName);
    return write;
}

}  // namespace

bool ParseRegistryDword(TextView text, uint32_t& out) {
    bool negative = !text.empty() && text[0] == u'-';
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+'))
        text.remove_prefix(1);
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + uint64_t(c - u'0');
    }
    if (value > (negative ? 0x80000000ull : 0xFFFFFFFFull))
        return false;
    out = negative ? uint32_t(0x100000000ull - value) : uint32_t(value);
    return true;
}

bool ParseRegistryQword(TextView text, uint64_t& out) {
    if (!text.empty() && text[0] == u'+')
        text.remove_prefix(1);
    if (text.empty() || text.size() > 20)
        return false;
    uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
        uint64_t digit = uint64_t(c - u'0');
        if (value > (UINT64_MAX - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    out = value;
    return true;
}

cRegWrite ValueWrite(const cDescVal& value, const Text& key, const Text& valueName) {
    cRegWrite write = Write(cRegKind::DeleteValue, key, valueName);
    if (value.IsDelete())
        return write;
    if (value.IsNumeric()) {
        uint32_t number = 0;
        if (!ParseRegistryDword(value.valueText, number)) {
            write.kind = cRegKind::Note;
            write.text = u"NUMERIC " + value.valueText + u" of " +
                         (valueName.empty() ? Text(u"the default value") : valueName) +
                         u" is no 32-bit number: nothing is written";
            return write;
        }
        write.kind = cRegKind::Dword;
        write.number = number;
        return write;
    }
    write.kind = cRegKind::String;
    write.text = value.valueText;
    return write;
}

Text DescribeValue(const cDescVal& value) {
    if (value.IsDelete())
        return u"delete";
    if (value.IsNumeric())
        return value.valueText;
    return u"\"" + value.valueText + u"\"";
}

cPartValue StartValue(const cObjPolPart& part, const cTreeOwner& owner) {
    cPartValue value;
    auto shown = [&](const Text& text) { return owner.ResolveText(text); };
    VisitPart(part, cOverloaded{
                        [&](const cObjPolPartEditText& edit) {
                            value.text = edit.defaultFlag ? shown(edit.defaultText) : Text();
                        },
                        [&](const cObjPolPartCombo& combo) {
                            value.text = combo.defaultFlag ? shown(combo.defaultText) : Text();
                        },
                        [&](const cObjPolPartNum& num) {
                            if (num.defaultFlag)
                                value.text = num.defaultValue;
                        },
                        [&](const cObjPolPartLongNum& num) {
                            if (num.defaultFlag)
                                value.text = num.defaultValue;
                        },
                        [&](const cObjPolPartDropDown& list) {
                            for (size_t i = 0; i < list.itemList.size(); ++i)
                                if (list.itemList[i].defaultFlag)
                                    value.item = i;
                        },
                        [](const auto&) {},
                    });
    return value;
}

std::optional<size_t> ItemShownAs(const cObjPolPartDropDown& list, TextView shown,
                                  const cTreeOwner& owner) {
    for (size_t i = 0; i < list.itemList.size(); ++i)
        if (owner.ResolveText(list.itemList[i].name) == shown)
            return i;
    return std::nullopt;
}

namespace {

void AppendList(std::vector<cRegWrite>& out, const cActionList& list) {
    for (const cActionKey& group : list)
        for (const cActionValue& entry : group.entries)
            out.push_back(ValueWrite(entry, group.keyName, entry.valueName));
}

cRegWrite Note(const Text& key, Text text) {
    cRegWrite note;
    note.key = key;
    note.text = std::move(text);
    return note;
}

// What an enabled policy writes for one part.
void EnabledPart(std::vector<cRegWrite>& out, const cObjPolPart& part, const cPartValue& value,
                 const cTreeOwner& owner) {
    const Text key = UsesKey(part) ? part.GetEffectiveKey() : Text();
    const Text label = u"\"" + ShownText(owner, part.name) + u"\"";
    auto text = [&](bool expandable) {
        cRegWrite write =
            Write(expandable ? cRegKind::ExpandString : cRegKind::String, key, part.valueName);
        write.text = value.text.value_or(Text());
        out.push_back(std::move(write));
    };
    // A number part writes the number typed, as a number of its size or as a string.
    auto number = [&]<typename Number>(const cNumberFields& num, bool (*parse)(TextView, Number&),
                                       cRegKind kind) {
        Number parsed = 0;
        Text typed(TrimBlanks(value.text.value_or(Text())));
        if (!parse(typed, parsed)) {
            out.push_back(Note(key, label + u": no number to write"));
            return;
        }
        cRegWrite write = Write(num.txtConvert ? cRegKind::String : kind, key, part.valueName);
        if (num.txtConvert)
            write.text = typed;
        else
            write.number = parsed;
        out.push_back(std::move(write));
    };
    VisitPart(
        part,
        cOverloaded{
            [&](const cObjPolPartCheckBox& box) {
                const cOptionalValue& record = value.checked ? box.valueOn : box.valueOff;
                if (record) {
                    out.push_back(ValueWrite(*record, key, part.valueName));
                } else {
                    cRegWrite write = Write(cRegKind::Dword, key, part.valueName);
                    write.number = value.checked ? 1 : 0;
                    out.push_back(std::move(write));
                }
                AppendList(out, value.checked ? box.actionListOn : box.actionListOff);
            },
            [&](const cObjPolPartEditText& edit) { text(edit.expandableText != 0); },
            [&](const cObjPolPartCombo& combo) { text(combo.expandableText != 0); },
            [&](const cObjPolPartNum& num) { number(num, ParseRegistryDword, cRegKind::Dword); },
            [&](const cObjPolPartDropDown& list) {
                if (!value.item || *value.item >= list.itemList.size()) {
                    out.push_back(Note(key, label + u": no item chosen"));
                    return;
                }
                const cItemList& item = list.itemList[*value.item];
                out.push_back(ValueWrite(item.value, key, part.valueName));
                AppendList(out, item.actionList);
            },
            [&](const cObjPolPartListBox& box) {
                if (!box.additive)
                    out.push_back(Write(cRegKind::DeleteValues, key));
                if (value.entries.empty()) {
                    Text names = box.explicitValue     ? Text(u"its own name")
                                 : box.valuePrefixFlag ? u"named " + box.valuePrefix + u"1, " +
                                                             box.valuePrefix + u"2, …"
                                                       : Text(u"named by its text");
                    out.push_back(
                        Note(key, label + u": each entry of the list as a value " + names));
                }
                size_t index = 0;
                for (const auto& [name, data] : value.entries) {
                    ++index;
                    cRegWrite write = Write(cRegKind::String, key);
                    write.valueName = box.explicitValue ? name
                                      : box.valuePrefixFlag
                                          ? box.valuePrefix + FromUtf8(std::to_string(index))
                                          : data;
                    write.text = data;
                    out.push_back(std::move(write));
                }
            },
            [&](const cObjPolPartLongNum& num) {
                number(num, ParseRegistryQword, cRegKind::Qword);
            },
            [&](const cObjPolPartMultiText&) {
                cRegWrite write = Write(cRegKind::MultiString, key, part.valueName);
                Text all = value.text.value_or(Text());
                // One string a line of the panel's text, whatever its line ends; an empty
                // line would end the list where the registry reads it, so none is written.
                for (size_t start = 0; start <= all.size();) {
                    size_t end = all.find(u'\n', start);
                    if (end == Text::npos)
                        end = all.size();
                    size_t stop = end > start && all[end - 1] == u'\r' ? end - 1 : end;
                    if (stop > start)
                        write.strings.push_back(all.substr(start, stop - start));
                    start = end + 1;
                }
                out.push_back(std::move(write));
            },
            [](const cObjPolPartText&) {},
        });
}

}  // namespace

std::vector<cRegWrite> PolicyWrites(const cObjPolicy& policy, cPolicyState state,
                                    const std::vector<cPartValue>& values,
                                    const cTreeOwner& owner) {
    std::vector<cRegWrite> out;
    const Text key = policy.GetEffectiveKey();
    const bool enabled = state == cPolicyState::Enabled;
    if (policy.valueNameFlag) {
        const cOptionalValue& record = enabled ? policy.valueOn : policy.valueOff;
        if (record) {
            out.push_back(ValueWrite(*record, key, policy.valueName));
        } else if (enabled) {
            cRegWrite write = Write(cRegKind::Dword, key, policy.valueName);
            write.number = 1;
            out.push_back(std::move(write));
        } else {
            out.push_back(Write(cRegKind::DeleteValue, key, policy.valueName));
        }
    }
    AppendList(out, enabled ? policy.actionListOn : policy.actionListOff);
    const auto& parts = policy.Parts();
    for (size_t i = 0; i < parts.size(); ++i) {
        const cObjPolPart& part = *parts[i];
        if (!UsesKey(part))
            continue;
        if (enabled) {
            EnabledPart(out, part, i < values.size() ? values[i] : StartValue(part, owner), owner);
        } else if (part.PanelKind() == cPanelKind::ListBox) {
            out.push_back(Write(cRegKind::DeleteValues, part.GetEffectiveKey()));
        } else {
            out.push_back(Write(cRegKind::DeleteValue, part.GetEffectiveKey(), part.valueName));
        }
    }
    return out;
}

// ---- .reg text and reg.exe commands ----------------------------------------------------

namespace {

// The writes grouped by key (without regard to case), keys in the order they first come.
struct cKeyGroup {
    Text key;
    std::vector<const cRegWrite*> writes;
};

std::vector<cKeyGroup> GroupByKey(const std::vector<cRegWrite>& writes) {
    std::vector<cKeyGroup> groups;
    std::vector<Text> folded;
    for (const cRegWrite& write : writes) {
        Text key = FoldCase(write.key);
        auto at = std::find(folded.begin(), folded.end(), key);
        if (at == folded.end()) {
            folded.push_back(key);
            groups.push_back({write.key, {}});
            at = folded.end() - 1;
        }
        groups[size_t(at - folded.begin())].writes.push_back(&write);
    }
    return groups;
}

Text OneLine(TextView text) {
    Text out(text);
    for (char16_t& c : out)
        if (c == u'\n' || c == u'\r')
            c = u' ';
    return out;
}

// A name or string between double quotes, as .reg text escapes it.
Text RegQuoted(TextView text) {
    Text out = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out + u"\"";
}

// hex(N): data bytes as regedit writes them, lines continued with a backslash.
Text RegHex(Text prefix, const std::vector<uint8_t>& bytes) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    Text out = std::move(prefix);
    size_t lineStart = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
        if (i + 1 == bytes.size())
            break;
        out += u',';
        if (out.size() - lineStart > 75) {
            out += u"\\\n  ";
            lineStart = out.size() - 2;
        }
    }
    return out;
}

void AppendUtf16(std::vector<uint8_t>& bytes, TextView text) {
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c & 0xFF));
        bytes.push_back(uint8_t(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
}

bool HasLineBreakOrNul(TextView text) {
    return text.find_first_of(TextView(u"\r\n\0", 3)) != TextView::npos;
}

Text RegValueLine(const cRegWrite& write) {
    Text name = write.valueName.empty() ? Text(u"@") : RegQuoted(write.valueName);
    switch (write.kind) {
        case cRegKind::Dword: {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%08x", unsigned(write.number & 0xFFFFFFFFu));
            return name + u"=dword:" + FromUtf8(buffer);
        }
        case cRegKind::Qword: {
            std::vector<uint8_t> bytes;
            for (int i = 0; i < 8; ++i)
                bytes.push_back(uint8_t(write.number >> (8 * i)));
            return RegHex(name + u"=hex(b):", bytes);
        }
        case cRegKind::String: {
            if (!HasLineBreakOrNul(write.text))
                return name + u"=" + RegQuoted(write.text);
            std::vector<uint8_t> bytes;
            AppendUtf16(bytes, write.text);
            return RegHex(name + u"=hex(1):", bytes);
        }
        case cRegKind::ExpandString: {
            std::vector<uint8_t> bytes;
            AppendUtf16(bytes, write.text);
            return RegHex(name + u"=hex(2):", bytes);
        }
        case cRegKind::MultiString: {
            std::vector<uint8_t> bytes;
            for (const Text& text : write.strings)
                AppendUtf16(bytes, text);
            AppendUtf16(bytes, u"");
            return RegHex(name + u"=hex(7):", bytes);
        }
        case cRegKind::DeleteValue:
            return name + u"=-";
        case cRegKind::DeleteValues:
            return u"; every value of this key is deleted before the list's values are written";
        case cRegKind::Note:
            break;
    }
    return u"; " + OneLine(write.text);
}

Text KeylessLine(const cRegWrite& write) {
    if (write.kind == cRegKind::Note)
        return u"; " + OneLine(write.text);
    if (write.kind == cRegKind::DeleteValues)
        return u"; a list without a registry key";
    return u"; no registry key for the value " +
           (write.valueName.empty() ? Text(u"@") : RegQuoted(write.valueName));
}

std::vector<TextView> Hives(const std::vector<Text>& classes, std::vector<Text>& notes) {
    std::vector<TextView> hives;
    for (const Text& name : classes) {
        TextView hive = RegistryRoot(name);
        if (hive.empty())
            notes.push_back(u"the class " + name + u" has no registry hive: nothing is written");
        else if (std::find(hives.begin(), hives.end(), hive) == hives.end())
            hives.push_back(hive);
    }
    if (classes.empty())
        notes.push_back(u"the policy stands in no class, so in no registry hive");
    return hives;
}

}  // namespace

Text RegFileText(const std::vector<cRegWrite>& writes, const std::vector<Text>& classes) {
    Text out = u"Windows Registry Editor Version 5.00\n\n";
    std::vector<Text> notes;
    std::vector<TextView> hives = Hives(classes, notes);
    for (const Text& note : notes)
        out += u"; " + note + u"\n";
    if (writes.empty())
        out += u"; nothing is written\n";
    std::vector<cKeyGroup> groups = GroupByKey(writes);
    for (const cKeyGroup& group : groups)
        if (group.key.empty())
            for (const cRegWrite* write : group.writes)
                out += KeylessLine(*write) + u"\n";
    for (TextView hive : hives) {
        for (const cKeyGroup& group : groups) {
            if (group.key.empty())
                continue;
            if (out.size() < 2 || out.compare(out.size() - 2, 2, u"\n\n") != 0)
                out += u"\n";
            out += u"[" + Text(hive) + u"\\" + group.key + u"]\n";
            for (const cRegWrite* write : group.writes)
                out += RegValueLine(*write) + u"\n";
        }
    }
    return out;
}

namespace {

// One argument of a reg.exe command in a batch file: quoted as the C runtime reads its
// arguments, then guarded against cmd, which ends a quote at every double quote whatever
// stands before it, and which expands percent signs.
Text CommandArgument(TextView text) {
    Text quoted = u"\"";
    size_t backslashes = 0;
    for (char16_t c : text) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, u'\\');
    quoted += u'"';
    Text out;
    bool inQuotes = false;
    for (char16_t c : quoted) {
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (c == u'%')
            out += u'%';
        else if (!inQuotes && TextView(u"&|<>^()").find(c) != TextView::npos)
            out += u'^';
        out += c;
    }
    return out;
}

Text ValueArgument(const cRegWrite& write) {
    return write.valueName.empty() ? Text(u"/ve") : u"/v " + CommandArgument(write.valueName);
}

Text Decimal(uint64_t number) {
    return FromUtf8(std::to_string(number));
}

}  // namespace

Text RegExeCommands(const std::vector<cRegWrite>& writes, const std::vector<Text>& classes) {
    Text out;
    std::vector<Text> notes;
    std::vector<TextView> hives = Hives(classes, notes);
    for (const Text& note : notes)
        out += u"rem " + note + u"\n";
    if (writes.empty())
        out += u"rem nothing is written\n";
    for (TextView hive : hives) {
        const Text root = hive == u"HKEY_LOCAL_MACHINE" ? Text(u"HKLM") : Text(u"HKCU");
        for (const cRegWrite& write : writes) {
            if (write.kind == cRegKind::Note) {
                out += u"rem " + OneLine(write.text) + u"\n";
                continue;
            }
            if (write.key.empty()) {
                out += u"rem" + KeylessLine(write).substr(1) + u"\n";
                continue;
            }
            const Text key = CommandArgument(root + u"\\" + write.key);
            auto add = [&](const char16_t* type, const Text& data) {
                out += u"reg add " + key + u" " + ValueArgument(write) + u" /t " + type + u" /d " +
                       data + u" /f\n";
            };
            switch (write.kind) {
                case cRegKind::Dword:
                    add(u"REG_DWORD", Decimal(write.number & 0xFFFFFFFFu));
                    break;
                case cRegKind::Qword:
                    add(u"REG_QWORD", Decimal(write.number));
                    break;
                case cRegKind::String:
                case cRegKind::ExpandString:
                    if (HasLineBreakOrNul(write.text))
                        out += u"rem " + RegQuoted(write.valueName) +
                               u" holds a line break, which reg.exe cannot write\n";
                    else
                        add(write.kind == cRegKind::String ? u"REG_SZ" : u"REG_EXPAND_SZ",
                            CommandArgument(write.text));
                    break;
                case cRegKind::MultiString: {
                    // reg.exe splits the data at \0 unless told another separator.
                    Text separator = u"\\0";
                    for (const char16_t* candidate : {u"\\0", u"~", u"#", u"+", u"@"}) {
                        separator = candidate;
                        bool free = std::none_of(
                            write.strings.begin(), write.strings.end(),
                            [&](const Text& s) { return s.find(separator) != Text::npos; });
                        if (free)
                            break;
                        separator.clear();
                    }
                    if (separator.empty()) {
                        out += u"rem " + RegQuoted(write.valueName) +
                               u" cannot be given to reg.exe: no separator is free\n";
                        break;
                    }
                    Text data;
                    for (size_t i = 0; i < write.strings.size(); ++i)
                        data += (i ? separator : Text()) + write.strings[i];
                    Text type = u"REG_MULTI_SZ";
                    if (separator != u"\\0")
                        type += u" /s " + separator;
                    add(type.c_str(), CommandArgument(data));
                    break;
                }
                case cRegKind::DeleteValue:
                    out += u"reg delete " + key + u" " + ValueArgument(write) + u" /f\n";
                    break;
                case cRegKind::DeleteValues:
                    out += u"reg delete " + key + u" /va /f\n";
                    break;
                case cRegKind::Note:
                    break;
            }
        }
    }
    return out;
}
