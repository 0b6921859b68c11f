#include "core/check/reference.h"

#include <algorithm>
#include <memory>
#include <set>

#include "core/check/policyplace.h"
#include "core/check/regtext.h"
#include "core/model/partkinds.h"

namespace {

bool IsReference(const Text& text) {
    return text.size() > 2 && text[0] == u'!' && text[1] == u'!';
}

Text Join(const std::vector<Text>& texts, TextView separator) {
    Text out;
    for (size_t i = 0; i < texts.size(); ++i)
        out += (i ? Text(separator) : Text()) + texts[i];
    return out;
}

// The registry type of a value record; empty for a removal.
Text TypeOf(const cDescVal* value, const char16_t* absent) {
    if (!value)
        return absent;
    if (value->IsDelete())
        return {};
    return value->IsNumeric() ? u"dword" : u"string";
}

// The types of several values, each once, in the order met: "dword", "string / dword".
Text Types(const std::vector<Text>& types) {
    std::vector<Text> seen;
    for (const Text& type : types)
        if (!type.empty() && std::find(seen.begin(), seen.end(), type) == seen.end())
            seen.push_back(type);
    return Join(seen, u" / ");
}

Text Value(const cOptionalValue& value, const char16_t* absent) {
    return value ? DescribeValue(*value) : Text(absent);
}

Text List(const cActionList& list) {
    std::vector<Text> entries;
    for (const cActionKey& group : list)
        for (const cActionValue& entry : group.entries)
            entries.push_back(group.keyName + u"\\" + entry.valueName + u" = " +
                              DescribeValue(entry));
    return Join(entries, u", ");
}

class cReferenceBuilder {
public:
    explicit cReferenceBuilder(const CPelwinDoc& doc) : m_doc(doc) {}

    cReferencePolicy Policy(const cTreeItem& item, const cObjPolicy& policy) {
        cReferencePolicy out;
        out.classes = PolicyClasses(item);
        out.categories = PolicyCategories(m_doc, item);
        out.name = ShownText(m_doc, policy.name);
        out.key = policy.GetEffectiveKey();
        out.hasValueName = policy.valueNameFlag != 0;
        if (out.hasValueName) {
            out.valueName = policy.valueName;
            out.valueType = Types({TypeOf(policy.valueOn ? &*policy.valueOn : nullptr, u"dword"),
                                   TypeOf(policy.valueOff ? &*policy.valueOff : nullptr, u"")});
            out.values = u"Enabled: " + Value(policy.valueOn, u"1") + u"; Disabled: " +
                         Value(policy.valueOff, u"delete");
        }
        auto list = [&](const char16_t* state, const cActionList& actions) {
            Text text = List(actions);
            if (text.empty())
                return;
            out.values +=
                (out.values.empty() ? u"" : u"; ") + Text(state) + u" also writes " + text;
        };
        list(u"Enabled", policy.actionListOn);
        list(u"Disabled", policy.actionListOff);
        for (const auto& part : policy.Parts())
            out.parts.push_back(Part(*part));
        if (policy.supportedFlag)
            out.supportedOn = ShownText(m_doc, policy.supportedText);
        if (policy.explainFlag)
            out.explain = ShownText(m_doc, policy.explainText);
        out.anchor = Anchor(out.classes, policy, out.name);
        out.line = policy.line;
        return out;
    }

private:
    cReferencePart Part(const cObjPolPart& part) {
        cReferencePart out;
        out.label = ShownText(m_doc, part.name);
        if (UsesKey(part))
            out.key = part.GetEffectiveKey();
        if (UsesValueName(part))
            out.valueName = part.valueName;
        std::vector<Text>& details = out.details;
        auto text = [&](int expandable, int maxLenFlag, const Text& maxLen, int defaultFlag,
                        const Text& defaultText, int required) {
            out.valueType = expandable ? u"expandable string" : u"string";
            if (maxLenFlag)
                details.push_back(u"at most " + maxLen + u" characters");
            if (defaultFlag)
                details.push_back(u"default \"" + ShownText(m_doc, defaultText) + u"\"");
            if (required)
                details.push_back(u"required");
        };
        // A number part of 32 or 64 bits.
        auto number = [&](const auto& num, const char16_t* type) {
            out.kind = Text(num.kKeyword);
            out.valueType = num.txtConvert ? u"string" : type;
            details.push_back(u"from " + (num.minFlag ? num.min : Text(u"0")) + u" to " +
                              (num.maxFlag ? num.max : Text(u"9999")));
            if (num.defaultFlag)
                details.push_back(u"default " + num.defaultValue);
            if (num.spinFlag)
                details.push_back(u"steps of " + num.spin);
            if (num.required)
                details.push_back(u"required");
        };
        VisitPart(part,
                  cOverloaded{
                      [&](const cObjPolPartCheckBox& box) {
                          out.kind = u"CHECKBOX";
                          out.valueType =
                              Types({TypeOf(box.valueOn ? &*box.valueOn : nullptr, u"dword"),
                                     TypeOf(box.valueOff ? &*box.valueOff : nullptr, u"dword")});
                          details.push_back(u"checked: " + Value(box.valueOn, u"1") +
                                            u", cleared: " + Value(box.valueOff, u"0"));
                          if (Text on = List(box.actionListOn); !on.empty())
                              details.push_back(u"checked also writes " + on);
                          if (Text off = List(box.actionListOff); !off.empty())
                              details.push_back(u"cleared also writes " + off);
                          if (box.defChecked)
                              details.push_back(u"checked by default");
                      },
                      [&](const cObjPolPartEditText& edit) {
                          out.kind = u"EDITTEXT";
                          text(edit.expandableText, edit.maxLenFlag, edit.maxLen, edit.defaultFlag,
                               edit.defaultText, edit.required);
                      },
                      [&](const cObjPolPartCombo& combo) {
                          out.kind = u"COMBOBOX";
                          text(combo.expandableText, combo.maxLenFlag, combo.maxLen,
                               combo.defaultFlag, combo.defaultText, combo.required);
                          for (const cSuggestion& suggestion : combo.suggestions)
                              out.items.push_back(ShownText(m_doc, suggestion.text));
                      },
                      [&](const cObjPolPartNum& num) { number(num, u"dword"); },
                      [&](const cObjPolPartLongNum& num) { number(num, u"qword"); },
                      [&](const cObjPolPartMultiText& multi) {
                          out.kind = Text(multi.kKeyword);
                          out.valueType = u"multi-string";
                          if (multi.maxLenFlag)
                              details.push_back(u"at most " + multi.maxLen + u" characters");
                          if (multi.maxStringsFlag)
                              details.push_back(u"at most " + multi.maxStrings + u" strings");
                          if (multi.required)
                              details.push_back(u"required");
                      },
                      [&](const cObjPolPartDropDown& list) {
                          out.kind = u"DROPDOWNLIST";
                          std::vector<Text> types;
                          Text chosen;
                          for (const cItemList& item : list.itemList) {
                              types.push_back(TypeOf(&item.value, u""));
                              Text shown = ShownText(m_doc, item.name);
                              Text line = DescribeValue(item.value) + u" = " + shown;
                              if (Text also = List(item.actionList); !also.empty())
                                  line += u" (also writes " + also + u")";
                              out.items.push_back(std::move(line));
                              if (item.defaultFlag)
                                  chosen = shown;
                          }
                          out.valueType = Types(types);
                          if (!chosen.empty())
                              details.push_back(u"default " + chosen);
                          if (list.required)
                              details.push_back(u"required");
                      },
                      [&](const cObjPolPartListBox& box) {
                          out.kind = u"LISTBOX";
                          out.valueType = u"string values";
                          details.push_back(box.explicitValue ? Text(u"each entry names its value")
                                            : box.valuePrefixFlag
                                                ? u"values named " + box.valuePrefix + u"1, " +
                                                      box.valuePrefix + u"2, …"
                                                : Text(u"each value named by its text"));
                          if (box.additive)
                              details.push_back(u"added to the values already there");
                      },
                      [&](const cObjPolPartText&) { out.kind = u"TEXT"; },
                  });
        return out;
    }

    // The anchor of a policy: its class and its name (an ADMX policy's name, the string name
    // of an ADM policy's !! reference, else its display name), reduced to what an id may hold,
    // made unique.
    Text Anchor(const std::vector<Text>& classes, const cObjPolicy& policy, const Text& shown) {
        Text base = u"p";
        for (const Text& cls : classes)
            base += u"-" + Slug(cls);
        const Text& name = policy.name;
        base += u"-" + Slug(policy.admx && !policy.admx->name.empty() ? policy.admx->name
                            : IsReference(name)                       ? name.substr(2)
                                                                      : shown);
        Text anchor = base;
        for (int n = 2; !m_anchors.insert(anchor).second; ++n)
            anchor = base + u"-" + FromUtf8(std::to_string(n));
        return anchor;
    }

    static Text Slug(TextView text) {
        Text out;
        for (char16_t c : text) {
            bool keep = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'_' || c == u'.' || c == u'-';
            if (keep)
                out += c;
            else if (!out.empty() && out.back() != u'_')
                out += u'_';
        }
        return out.empty() ? Text(u"policy") : out;
    }

    const CPelwinDoc& m_doc;
    std::set<Text> m_anchors;
};

}  // namespace

Text cReferencePolicy::Path() const {
    return Join(categories, u" > ");
}

Text cReferencePolicy::Classes() const {
    return Join(classes, u", ");
}

Text cReferencePart::DetailsText() const {
    Text out;
    if (!items.empty())
        out = (kind == u"COMBOBOX" ? u"suggestions: " : u"items: ") + Join(items, u" | ");
    for (const Text& detail : details)
        out += (out.empty() ? u"" : u"; ") + detail;
    return out;
}

Text cReferencePolicy::PartsText() const {
    std::vector<Text> lines;
    for (const cReferencePart& part : parts) {
        Text line = part.kind + u" \"" + part.label + u"\"";
        if (!part.kind.empty() && part.kind != u"TEXT") {
            line += u": ";
            if (!part.valueName.empty())
                line += part.valueName;
            else
                line += u"key " + part.key;
            if (part.key != key && !part.valueName.empty())
                line += u" under " + part.key;
            if (!part.valueType.empty())
                line += u" (" + part.valueType + u")";
        }
        if (Text details = part.DetailsText(); !details.empty())
            line += u"; " + details;
        lines.push_back(std::move(line));
    }
    return Join(lines, u"\n");
}

std::vector<cReferencePolicy> BuildReference(const CPelwinDoc& doc) {
    std::vector<cReferencePolicy> out;
    cReferenceBuilder builder(doc);
    ForEachPolicy(doc, [&](const cTreeItem& item, const cObjPolicy& policy) {
        out.push_back(builder.Policy(item, policy));
    });
    return out;
}

// ---- CSV -------------------------------------------------------------------------------

namespace {

bool IsPlainNumber(TextView text) {
    size_t i = text[0] == u'-' || text[0] == u'+' ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if ((text[i] < u'0' || text[i] > u'9') && text[i] != u'.')
            return false;
    return true;
}

std::string CsvCell(const Text& text) {
    Text cell = text;
    // A spreadsheet runs a cell that starts so as a formula.
    if (!cell.empty() && TextView(u"=+-@\t\r").find(cell[0]) != TextView::npos &&
        !IsPlainNumber(cell))
        cell.insert(cell.begin(), u'\'');
    std::string out = "\"";
    for (char c : ToUtf8(cell)) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string ReferenceCsv(const std::vector<cReferencePolicy>& policies) {
    std::string out = "\xEF\xBB\xBF";
    out +=
        "\"Path\",\"Class\",\"Display name\",\"Registry key\",\"Value name\",\"Value type\","
        "\"Values\",\"Parts\",\"Supported on\",\"Explain text\"\r\n";
    for (const cReferencePolicy& policy : policies) {
        const Text cells[] = {policy.Path(), policy.Classes(),   policy.name,
                              policy.key,    policy.valueName,   policy.valueType,
                              policy.values, policy.PartsText(), policy.supportedOn,
                              policy.explain};
        for (size_t i = 0; i < std::size(cells); ++i)
            out += (i ? "," : "") + CsvCell(cells[i]);
        out += "\r\n";
    }
    return out;
}

// ---- Grouping by category ---------------------------------------------------------------

namespace {

// A class or category with the policies that stand directly in it; children in the order
// they first come, however often the template opens them.
struct cPlace {
    Text name;
    std::vector<Text> path;  // the class (or classes), then the categories
    std::vector<const cReferencePolicy*> policies;
    std::vector<std::unique_ptr<cPlace>> children;
    std::string anchor;  // given to places that hold policies
};

std::unique_ptr<cPlace> Places(const std::vector<cReferencePolicy>& policies) {
    auto root = std::make_unique<cPlace>();
    for (const cReferencePolicy& policy : policies) {
        std::vector<Text> path{policy.classes.empty() ? Text(u"(no class)") : policy.Classes()};
        path.insert(path.end(), policy.categories.begin(), policy.categories.end());
        cPlace* place = root.get();
        for (const Text& name : path) {
            auto found = std::find_if(place->children.begin(), place->children.end(),
                                      [&](const auto& child) { return child->name == name; });
            if (found == place->children.end()) {
                auto child = std::make_unique<cPlace>();
                child->name = name;
                child->path = place->path;
                child->path.push_back(name);
                place->children.push_back(std::move(child));
                found = place->children.end() - 1;
            }
            place = found->get();
        }
        place->policies.push_back(&policy);
    }
    // Anchors in the order the sections come: a place's own policies, then its children.
    int next = 0;
    std::vector<cPlace*> stack{root.get()};
    while (!stack.empty()) {
        cPlace* place = stack.back();
        stack.pop_back();
        if (!place->policies.empty())
            place->anchor = "c-" + std::to_string(++next);
        for (auto child = place->children.rbegin(); child != place->children.rend(); ++child)
            stack.push_back(child->get());
    }
    return root;
}

// Every place that holds policies, in section order.
std::vector<const cPlace*> Sections(const cPlace& root) {
    std::vector<const cPlace*> out;
    std::vector<const cPlace*> stack{&root};
    while (!stack.empty()) {
        const cPlace* place = stack.back();
        stack.pop_back();
        if (!place->policies.empty())
            out.push_back(place);
        for (auto child = place->children.rbegin(); child != place->children.rend(); ++child)
            stack.push_back(child->get());
    }
    return out;
}

std::string Count(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

// ---- Markdown --------------------------------------------------------------------------

namespace {

std::string Md(const Text& text) {
    std::string out;
    for (char c : ToUtf8(text)) {
        if (std::string_view("\\`*_[]<>|#").find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
    return out;
}

// A text of several lines as Markdown lines, each ending in a hard break.
std::string MdLines(const Text& text) {
    std::string out;
    size_t from = 0;
    while (from <= text.size()) {
        size_t end = text.find(u'\n', from);
        if (end == Text::npos)
            end = text.size();
        std::string line = Md(text.substr(from, end - from));
        out += line.empty() ? "\n" : line + (end < text.size() ? "  \n" : "\n");
        from = end + 1;
    }
    return out;
}

}  // namespace

namespace {

void MdContents(const cPlace& place, size_t depth, std::string& out) {
    for (const auto& child : place.children) {
        out += std::string(depth * 2, ' ') + "- ";
        if (child->policies.empty())
            out += Md(child->name) + "\n";
        else
            out += "[" + Md(child->name) + "](#" + child->anchor + ") (" +
                   std::to_string(child->policies.size()) + ")\n";
        MdContents(*child, depth + 1, out);
    }
}

}  // namespace

std::string ReferenceMarkdown(const std::vector<cReferencePolicy>& policies,
                              const std::string& title) {
    std::unique_ptr<cPlace> root = Places(policies);
    std::string out = "# " + Md(FromUtf8(title)) + "\n\n" +
                      Count(policies.size(), "policy", "policies") + ".\n\n## Contents\n\n";
    MdContents(*root, 0, out);
    for (const cPlace* place : Sections(*root)) {
        out +=
            "\n<a id=\"" + place->anchor + "\"></a>\n\n## " + Md(Join(place->path, u" > ")) + "\n";
        for (const cReferencePolicy* policy : place->policies) {
            out += "\n<a id=\"" + ToUtf8(policy->anchor) + "\"></a>\n\n### " + Md(policy->name) +
                   "\n\n";
            auto field = [&](const char* name, const Text& value) {
                if (!value.empty())
                    out += std::string("- **") + name + ":** " + Md(value) + "\n";
            };
            field("Path", policy->Path());
            field("Class", policy->Classes());
            field("Registry key", policy->key);
            field("Value name", policy->valueName);
            field("Value type", policy->valueType);
            field("Values", policy->values);
            field("Supported on", policy->supportedOn);
            if (!policy->parts.empty()) {
                out += "- **Parts:**\n";
                for (const cReferencePart& part : policy->parts) {
                    cReferencePolicy one;
                    one.key = policy->key;
                    one.parts = {part};
                    out += "  - " + Md(one.PartsText()) + "\n";
                }
            }
            if (!policy->explain.empty())
                out += "\n" + MdLines(policy->explain);
        }
    }
    return out;
}

// ---- HTML ------------------------------------------------------------------------------

std::string HtmlEscaped(TextView text) {
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {

std::string Html(const Text& text) {
    return HtmlEscaped(text);
}

const char kStyle[] = R"(
body { font: 15px/1.45 system-ui, sans-serif; margin: 0; color: #1d1d1f; background: #fff; }
header, main, nav { max-width: 60rem; margin: 0 auto; padding: 0 1.5rem; }
header { padding-top: 1.5rem; }
h1 { font-size: 1.7rem; margin-bottom: .2rem; }
h2 { font-size: 1.25rem; border-bottom: 2px solid #d0d7de; padding-bottom: .2rem; margin-top: 2.5rem; }
h3 { font-size: 1.05rem; margin: 1.8rem 0 .4rem; }
nav ul { list-style: none; padding-left: 1.2rem; margin: .1rem 0; }
nav > ul { padding-left: 0; }
nav summary { cursor: pointer; }
nav details > ul { padding-left: 2.2rem; }
nav .count { color: #57606a; font-size: 13px; margin-left: .4rem; }
nav .place { margin-left: 1.1rem; }
a { color: #0550ae; text-decoration: none; }
a:hover { text-decoration: underline; }
.policy { border-left: 3px solid #d0d7de; padding-left: .9rem; }
.policy:target { border-left-color: #0550ae; background: #f6f8fa; }
dl { display: grid; grid-template-columns: max-content 1fr; gap: .15rem 1rem; margin: 0; }
dt { color: #57606a; }
dd { margin: 0; overflow-wrap: anywhere; }
code { font: 13px ui-monospace, monospace; background: #f6f8fa; padding: 0 .2rem; }
table { border-collapse: collapse; margin: .5rem 0; font-size: 14px; }
th, td { border: 1px solid #d0d7de; padding: .2rem .5rem; text-align: left; vertical-align: top; }
th { background: #f6f8fa; }
.explain { white-space: pre-wrap; margin: .6rem 0 0; }
ul.items { margin: .1rem 0 .2rem; padding-left: 1.1rem; }
.self { color: #8c959f; font-weight: normal; margin-left: .3rem; }
)";

}  // namespace

namespace {

void HtmlContents(const cPlace& place, std::string& out) {
    if (place.children.empty())
        return;
    out += "<ul>\n";
    for (const auto& child : place.children) {
        out += "<li>";
        if (child->policies.empty()) {
            out += "<span class=\"place\">" + Html(child->name) + "</span>\n";
        } else {
            // The category's link and its count in one line; its policies fold out below.
            out += "<details><summary><a href=\"#" + child->anchor + "\">" + Html(child->name) +
                   "</a> <span class=\"count\">" +
                   Count(child->policies.size(), "policy", "policies") + "</span></summary><ul>\n";
            for (const cReferencePolicy* policy : child->policies)
                out += "<li><a href=\"#" + ToUtf8(policy->anchor) + "\">" + Html(policy->name) +
                       "</a></li>\n";
            out += "</ul></details>\n";
        }
        HtmlContents(*child, out);
        out += "</li>\n";
    }
    out += "</ul>\n";
}

}  // namespace

std::string ReferencePartsHtml(const cReferencePolicy& policy) {
    std::string out;
    if (!policy.parts.empty()) {
        out +=
            "<table class=\"parts\">\n<tr><th>Part</th><th>Label</th><th>Registry"
            "</th><th>Type</th><th>Values</th></tr>\n";
        for (const cReferencePart& part : policy.parts) {
            Text registry = !part.valueName.empty() ? part.valueName : part.key;
            if (!part.valueName.empty() && part.key != policy.key)
                registry = part.key + u"\\" + part.valueName;
            out += "<tr><td>" + Html(part.kind) + "</td><td>" + Html(part.label) + "</td><td>" +
                   (registry.empty() ? std::string() : "<code>" + Html(registry) + "</code>") +
                   "</td><td>" + Html(part.valueType) + "</td><td>";
            if (!part.items.empty()) {
                out += part.kind == u"COMBOBOX" ? "Suggestions:" : "Items:";
                out += "<ul class=\"items\">";
                for (const Text& item : part.items)
                    out += "<li>" + Html(item) + "</li>";
                out += "</ul>";
            }
            for (const Text& detail : part.details)
                out += "<div>" + Html(detail) + "</div>";
            out += "</td></tr>\n";
        }
        out += "</table>\n";
    }
    return out;
}

std::string ReferenceHtml(const std::vector<cReferencePolicy>& policies, const std::string& title,
                          const std::string& language) {
    std::unique_ptr<cPlace> root = Places(policies);
    std::vector<const cPlace*> sections = Sections(*root);
    const std::string shownTitle = Html(FromUtf8(title));
    std::string out = "<!DOCTYPE html>\n<html";
    if (!language.empty())
        out += " lang=\"" + Html(FromUtf8(language)) + "\"";
    out +=
        ">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
        "content=\"width=device-width, initial-scale=1\">\n<title>" +
        shownTitle + " – policy reference</title>\n<style>" + kStyle +
        "</style>\n</head>\n<body>\n<header>\n<h1>" + shownTitle + "</h1>\n<p>" +
        Count(policies.size(), "policy", "policies") + " in " +
        Count(sections.size(), "category", "categories") + ".</p>\n</header>\n";
    out += "<nav id=\"contents\">\n<h2>Contents</h2>\n";
    HtmlContents(*root, out);
    out += "</nav>\n<main>\n";

    for (const cPlace* place : sections) {
        out += "<section id=\"" + place->anchor + "\">\n<h2>" + Html(Join(place->path, u" › ")) +
               "</h2>\n";
        for (const cReferencePolicy* policy : place->policies) {
            const std::string anchor = ToUtf8(policy->anchor);
            out += "<article class=\"policy\" id=\"" + anchor + "\">\n<h3>" + Html(policy->name) +
                   "<a class=\"self\" href=\"#" + anchor +
                   "\" title=\"Link to this policy\">#</a>"
                   "</h3>\n<dl>\n";
            auto field = [&](const char* name, const Text& value, bool code) {
                if (value.empty())
                    return;
                out += std::string("<dt>") + name + "</dt><dd>" + (code ? "<code>" : "") +
                       Html(value) + (code ? "</code>" : "") + "</dd>\n";
            };
            field("Path", policy->Path(), false);
            field("Class", policy->Classes(), false);
            field("Registry key", policy->key, true);
            field("Value name", policy->valueName, true);
            field("Value type", policy->valueType, false);
            field("Values", policy->values, false);
            field("Supported on", policy->supportedOn, false);
            out += "</dl>\n";
            out += ReferencePartsHtml(*policy);
            if (!policy->explain.empty())
                out += "<p class=\"explain\">" + Html(policy->explain) + "</p>\n";
            out += "</article>\n";
        }
        out += "</section>\n";
    }
    out += "</main>\n</body>\n</html>\n";
    return out;
}
