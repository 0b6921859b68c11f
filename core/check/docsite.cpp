#include "core/check/docsite.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "core/admx/admxset.h"
#include "core/admx/admxtemplate.h"
#include "core/check/diff.h"
#include "core/check/find.h"
#include "core/check/policyplace.h"
#include "core/check/reference.h"
#include "core/check/regtext.h"
#include "core/check/storeread.h"
#include "core/document/document.h"
#include "core/io/paths.h"
#include "core/text/messages.h"

namespace {

constexpr size_t kNone = size_t(-1);
constexpr const char* kSideNames[] = {"Computer Configuration", "User Configuration"};

std::string Html(TextView text) {
    return HtmlEscaped(text);
}

std::string Html(const std::string& utf8) {
    return HtmlEscaped(FromUtf8(utf8));
}

// A JavaScript string literal of ASCII alone: everything else as \uXXXX code units, so that
// the file reads the same in whatever encoding a browser takes it for, and no text can end
// the string or the script ("</script>", line separators).
void AppendJsString(std::string& out, TextView text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\' && c != '<' && c != '>' && c != '&') {
            out += char(c);
            continue;
        }
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(c >> shift) & 0xf];
    }
    out += '"';
}

// A file name made of letters, digits, '-', '_' and '.', never empty.
std::string Slug(TextView text) {
    std::string out;
    for (char16_t c : text) {
        bool keep = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                    (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' ||
                    (c == u'.' && !out.empty());
        if (keep)
            out += char(c);
        else if (!out.empty() && out.back() != '_')
            out += '_';
    }
    return out.empty() ? "x" : out.substr(0, 80);
}

// File names unique whatever their case, since the site may be copied to a file system that
// ignores it.
class cFileNames {
public:
    std::string Take(const std::string& folder, const std::string& stem) {
        std::string name = stem;
        for (int n = 2; !m_taken.insert(AsciiLower(folder + name)).second; ++n)
            name = stem + "-" + std::to_string(n);
        return folder + name + ".html";
    }

private:
    std::unordered_set<std::string> m_taken;
};

// A template's file, or the title of one never saved.
Text FileOf(const CPelwinDoc& doc) {
    return doc.Path().empty() ? doc.Title() : doc.Path();
}

std::string FileStem(const CPelwinDoc& doc) {
    return Utf8FromPath(PathFromUtf8(ToUtf8(FileOf(doc))).stem());
}

std::string FileName(const CPelwinDoc& doc) {
    return Utf8FromPath(PathFromUtf8(ToUtf8(FileOf(doc))).filename());
}

std::string Count(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// ---- Explain texts ---------------------------------------------------------------------

bool IsBullet(TextView line, size_t& textStart) {
    size_t i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    if (i < line.size() && (line[i] == u'-' || line[i] == u'*' || line[i] == u'\u2022') &&
        i + 1 < line.size() && line[i + 1] == u' ') {
        textStart = i + 2;
        return true;
    }
    return false;
}

// Paragraphs at blank lines; within one, lines that begin with a bullet become a list and the
// other lines stay lines.
std::string ExplainHtml(const Text& text) {
    std::vector<TextView> lines;
    for (size_t from = 0; from <= text.size();) {
        size_t end = text.find(u'\n', from);
        if (end == Text::npos)
            end = text.size();
        TextView line(text.data() + from, end - from);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        lines.push_back(line);
        from = end + 1;
    }
    std::string out;
    std::string paragraph;
    bool inList = false;
    auto closeList = [&] {
        if (inList)
            out += "</ul>\n";
        inList = false;
    };
    auto closeParagraph = [&] {
        if (!paragraph.empty())
            out += "<p>" + paragraph + "</p>\n";
        paragraph.clear();
    };
    for (TextView line : lines) {
        bool blank = line.find_first_not_of(u" \t") == TextView::npos;
        size_t start = 0;
        if (blank) {
            closeParagraph();
            closeList();
        } else if (IsBullet(line, start)) {
            closeParagraph();
            if (!inList)
                out += "<ul>\n";
            inList = true;
            out += "<li>" + Html(line.substr(start)) + "</li>\n";
        } else {
            closeList();
            paragraph += (paragraph.empty() ? "" : "<br>\n") + Html(line);
        }
    }
    closeParagraph();
    closeList();
    return out;
}

// ---- Registry writes -------------------------------------------------------------------

std::string WriteHtml(const cRegWrite& write) {
    const Text name = write.valueName.empty() ? Text(u"(default)") : write.valueName;
    const std::string where = "<code>" + Html(write.key) + "</code> ";
    auto quoted = [](const Text& text) { return "<code>\"" + Html(text) + "\"</code>"; };
    switch (write.kind) {
        case cRegKind::Dword:
        case cRegKind::Qword:
            return where + "<code>" + Html(name) +
                   "</code> = " + (write.kind == cRegKind::Dword ? "REG_DWORD " : "REG_QWORD ") +
                   std::to_string(write.number);
        case cRegKind::String:
        case cRegKind::ExpandString:
            return where + "<code>" + Html(name) +
                   "</code> = " + (write.kind == cRegKind::String ? "REG_SZ " : "REG_EXPAND_SZ ") +
                   quoted(write.text);
        case cRegKind::MultiString: {
            std::string out = where + "<code>" + Html(name) + "</code> = REG_MULTI_SZ";
            for (size_t i = 0; i < write.strings.size(); ++i)
                out += (i ? ", " : " ") + quoted(write.strings[i]);
            return out;
        }
        case cRegKind::DeleteValue:
            return where + "<code>" + Html(name) + "</code> removed";
        case cRegKind::DeleteValues:
            return "every value of " + where + "removed";
        case cRegKind::Note:
            break;
    }
    return "<em>" + Html(write.text) + "</em>";
}

std::string WritesHtml(const std::vector<cRegWrite>& writes) {
    if (writes.empty())
        return "<p>Nothing.</p>\n";
    std::string out = "<ul class=\"writes\">\n";
    for (const cRegWrite& write : writes)
        out += "<li>" + WriteHtml(write) + "</li>\n";
    return out + "</ul>\n";
}

// ---- Style and script --------------------------------------------------------------

const char kStyle[] =
    R"css(:root { color-scheme: light dark; --fg: #1d1d1f; --bg: #fff; --muted: #57606a;
  --line: #d0d7de; --soft: #f6f8fa; --link: #0550ae; --new: #1a7f37; --changed: #9a6700; }
@media (prefers-color-scheme: dark) {
  :root { --fg: #e6edf3; --bg: #0d1117; --muted: #8d96a0; --line: #30363d; --soft: #161b22;
    --link: #4493f8; --new: #3fb950; --changed: #d29922; }
}
[hidden] { display: none !important; }
body { font: 15px/1.45 system-ui, sans-serif; margin: 0; color: var(--fg); background: var(--bg); }
main, header.top { max-width: 64rem; margin: 0 auto; padding: 0 1.5rem; }
header.top { padding-top: .8rem; display: flex; gap: 1.2rem; }
h1 { font-size: 1.6rem; margin: 1rem 0 .3rem; }
h2 { font-size: 1.2rem; border-bottom: 1px solid var(--line); padding-bottom: .2rem; margin-top: 2rem; }
a { color: var(--link); text-decoration: none; }
a:hover { text-decoration: underline; }
code, pre { font: 13px ui-monospace, monospace; background: var(--soft); }
code { padding: 0 .2rem; overflow-wrap: anywhere; }
pre { padding: .6rem; overflow-x: auto; border: 1px solid var(--line); }
.search input { width: 100%; max-width: 40rem; font-size: 16px; padding: .4rem .5rem;
  border: 1px solid var(--line); border-radius: 4px; background: var(--bg); color: var(--fg); }
.search label { font-weight: 600; margin-right: .4rem; }
#tree ul { list-style: none; padding-left: 1.2rem; margin: .1rem 0; }
#tree section > ul { padding-left: 0; }
summary { cursor: pointer; }
.count { color: var(--muted); font-size: 13px; margin-left: .3rem; }
.path { color: var(--muted); font-size: 13px; }
#results ol { padding-left: 1.5rem; }
#results li { margin: .35rem 0; }
#results .path, #results .key { display: block; }
#results .more { margin: .3rem 0 1rem 1.5rem; font: inherit; padding: .2rem .8rem; }
.mark { font-size: 12px; border-radius: 3px; padding: 0 .3rem; border: 1px solid; vertical-align: middle; }
.mark.added { color: var(--new); }
.mark.changed { color: var(--changed); }
.change { border-left: 3px solid var(--changed); padding-left: .6rem; }
dl { display: grid; grid-template-columns: max-content 1fr; gap: .2rem 1rem; }
dt { color: var(--muted); }
dd { margin: 0; overflow-wrap: anywhere; }
table { border-collapse: collapse; margin: .5rem 0; font-size: 14px; }
th, td { border: 1px solid var(--line); padding: .2rem .5rem; text-align: left; vertical-align: top; }
th { background: var(--soft); }
ul.items { margin: .1rem 0 .2rem; padding-left: 1.1rem; }
@media print {
  header.top, .search, #status, #results { display: none; }
  body { font-size: 11pt; color: #000; background: #fff; }
  a { color: #000; }
  details > ul { display: block; }
  pre, code { background: none; }
  h2 { break-after: avoid; }
  table, pre { break-inside: avoid; }
}
)css";

// The search: every word typed must occur, whatever the case, in a policy's display name,
// registry key and value name, policy name or explain text. The matches are built as nodes
// with their texts set as text, never parsed as markup.
const char kScript[] = R"js((function () {
  "use strict";
  var data = window.TESSARY_SEARCH || [];
  var input = document.getElementById("q");
  var results = document.getElementById("results");
  var tree = document.getElementById("tree");
  var status = document.getElementById("status");
  if (!input || !results) return;
  // A keystroke lays out this many matches; "Show more" adds the next ones.
  var FIRST = 50;
  var MORE = 200;
  var hay = new Array(data.length);
  for (var i = 0; i < data.length; i++) {
    var e = data[i];
    hay[i] = (e[1] + "\n" + e[3] + "\n" + e[4] + "\n" + e[5]).toLowerCase();
  }
  // The last search and its matches: a search that only adds to it looks among those alone.
  var lastQuery = null;
  var lastMatches = null;
  function line(tag, cls, text) {
    var node = document.createElement(tag);
    node.className = cls;
    node.textContent = text;
    return node;
  }
  // Matches from..from+count as items of list, and a button for those after them.
  function append(list, matches, from, count) {
    var end = Math.min(matches.length, from + count);
    for (var m = from; m < end; m++) {
      var e = data[matches[m]];
      var item = document.createElement("li");
      var link = document.createElement("a");
      link.href = e[0];
      link.textContent = e[1];
      item.appendChild(link);
      item.appendChild(line("span", "path", e[2]));
      if (e[3]) item.appendChild(line("code", "key", e[3]));
      list.appendChild(item);
    }
    if (end < matches.length) {
      var more = document.createElement("button");
      more.type = "button";
      more.className = "more";
      more.textContent = "Show more (" + (matches.length - end) + " left)";
      more.addEventListener("click", function () {
        results.removeChild(more);
        append(list, matches, end, MORE);
      });
      results.appendChild(more);
    }
  }
  function show(searching) {
    // Only a change is written: the page is large, and every change of it costs a layout.
    if (results.hidden === searching) results.hidden = !searching;
    if (tree.hidden !== searching) tree.hidden = searching;
  }
  function filter(text) {
    var started = performance.now();
    var query = text.toLowerCase().replace(/\s+/g, " ").replace(/^ /, "");
    var words = query.split(" ").filter(Boolean);
    results.textContent = "";
    if (!words.length) {
      show(false);
      status.textContent = "";
      lastQuery = null;
      return;
    }
    var candidates = lastQuery !== null && query.indexOf(lastQuery) === 0 ? lastMatches : null;
    var matches = [];
    var count = candidates ? candidates.length : hay.length;
    next: for (var k = 0; k < count; k++) {
      var i = candidates ? candidates[k] : k;
      for (var w = 0; w < words.length; w++)
        if (hay[i].indexOf(words[w]) < 0) continue next;
      matches.push(i);
    }
    lastQuery = query;
    lastMatches = matches;
    var list = document.createElement("ol");
    results.appendChild(list);
    var n = matches.length;
    status.textContent = n === 0 ? "No policy matches." :
      n + (n === 1 ? " policy matches." : " policies match.");
    append(list, matches, 0, FIRST);
    show(true);
    status.setAttribute("data-filter-ms", (performance.now() - started).toFixed(1));
  }
  function remember(query) {
    try {
      history.replaceState(null, "", query ? "?q=" + encodeURIComponent(query) : location.pathname);
    } catch (e) {
      // A browser that keeps file addresses as they are still filters.
    }
  }
  // The address follows once typing pauses: it is no part of a keystroke's work.
  var pending = 0;
  input.addEventListener("input", function () {
    filter(input.value);
    clearTimeout(pending);
    pending = setTimeout(function () { remember(input.value); }, 400);
  });
  input.form.addEventListener("submit", function (event) { event.preventDefault(); });
  var asked = new URLSearchParams(location.search).get("q");
  if (asked) input.value = asked;
  filter(input.value);
})();
)js";

// ---- The store as a whole --------------------------------------------------------------

// A category of the merged tree; the same category however many templates name it.
struct cSiteCategory {
    Text name;
    size_t parent = kNone;
    // Per side (Computer, User): subcategories, policies directly in it, policies in all.
    std::vector<size_t> children[2];
    std::vector<size_t> policies[2];
    size_t total[2] = {0, 0};
};

struct cSitePolicy {
    const CPelwinDoc* doc = nullptr;
    size_t docIndex = 0;
    const cTreeItem* item = nullptr;
    const cObjPolicy* policy = nullptr;
    cReferencePolicy ref;
    std::string page;  // "policies/NAME.html"
    bool sides[2] = {false, false};
    size_t category = kNone;
    Text supportedOn;
    std::vector<const cDiffEntry*> changes;
};

struct cSiteDoc {
    const CPelwinDoc* doc = nullptr;
    const cAdmxSet* set = nullptr;
    std::string ns;
    std::string page;  // "sets/NAME.html"
    std::vector<size_t> policies;
    // Per language folder, the string ids its ADML defines.
    std::vector<std::pair<Text, std::unordered_set<std::string>>> languages;
};

class cSiteBuilder {
public:
    cSiteBuilder(const std::vector<const CPelwinDoc*>& docs, const cSiteOptions& options)
        : m_options(options) {
        std::vector<const CPelwinDoc*> given = docs;
        m_namespaces = NamespaceIndex(given);
        for (const CPelwinDoc* doc : docs) {
            cSiteDoc& site = m_docs.emplace_back();
            site.doc = doc;
            site.set = SetOf(*doc);
            site.ns = TargetNamespace(*doc);
            std::string stem = FileStem(*doc);
            site.page = m_names.Take("sets/", Slug(FromUtf8(stem)));
            if (site.set)
                for (const auto& adml : site.set->languages)
                    site.languages.emplace_back(LanguageTagOf(adml->folder), StringIds(*adml));
        }
        for (size_t d = 0; d < m_docs.size(); ++d)
            RegisterCategories(d);
        for (size_t d = 0; d < m_docs.size(); ++d)
            CollectPolicies(d);
        if (m_options.older) {
            m_diff = DiffStores(*m_options.older, docs);
            std::unordered_map<const cObjPolicy*, size_t> byPolicy;
            for (size_t i = 0; i < m_policies.size(); ++i)
                byPolicy.emplace(m_policies[i].policy, i);
            for (const cDiffEntry& entry : m_diff.entries)
                if (entry.kind != cDiffKind::Removed)
                    if (auto found = byPolicy.find(entry.policy); found != byPolicy.end())
                        m_policies[found->second].changes.push_back(&entry);
        }
        PlacePolicies();
    }

    std::vector<cSiteFile> Files() {
        std::vector<cSiteFile> files;
        files.push_back({"style.css", kStyle});
        files.push_back({"site.js", kScript});
        files.push_back({"search-index.js", SearchIndex()});
        files.push_back({"index.html", IndexPage()});
        for (const cSiteDoc& doc : m_docs)
            files.push_back({doc.page, SetPage(doc)});
        for (const cSitePolicy& policy : m_policies)
            files.push_back({policy.page, PolicyPage(policy)});
        if (m_options.older)
            files.push_back({"changes.html", ChangesPage()});
        return files;
    }

private:
    static std::unordered_set<std::string> StringIds(const cAdmlFile& adml) {
        std::unordered_set<std::string> ids;
        pugi::xml_node table = Child(Child(adml.xml.Root(), "resources"), "stringTable");
        for (pugi::xml_node string = table.first_child(); string; string = string.next_sibling())
            if (Is(string, "string"))
                ids.insert(string.attribute("id").value());
        return ids;
    }

    // ---- The merged category tree ------------------------------------------------------

    size_t CategoryFor(const std::string& key, const Text& name) {
        auto [found, added] = m_categoryIndex.try_emplace(key, m_categories.size());
        if (added) {
            m_categories.emplace_back();
            m_categories.back().name = name;
        }
        return found->second;
    }

    // A reference into another set's categories ("windows:WindowsComponents") as the key of
    // that category; a prefix the set does not declare keeps the reference as written.
    std::string ReferenceKey(const cAdmxSet& set, const Text& reference) {
        std::string ns, name;
        if (ResolveReference(set, ToUtf8(reference), ns, name))
            return "ns " + ns + ":" + name;
        return "ref " + ToUtf8(reference);
    }

    // The key of a category of the tree: its namespace and name in a set, its path of names
    // in a template without namespaces (so that such templates share their categories).
    std::string CategoryKey(size_t d, const cTreeItem& item) {
        auto cached = m_itemKeys.find(&item);
        if (cached != m_itemKeys.end())
            return cached->second;
        const cSiteDoc& doc = m_docs[d];
        const auto& category = static_cast<const cCategory&>(*item.node);
        std::string key;
        if (doc.set && !doc.ns.empty() && category.admx && !category.admx->name.empty()) {
            key = "ns " + doc.ns + ":" + ToUtf8(category.admx->name);
        } else {
            const cTreeItem* parent = item.parent;
            while (parent && (!parent->node || parent->node->kind != kKindCategory))
                parent = parent->parent;
            key = (parent ? CategoryKey(d, *parent) : std::string("path")) + "/" +
                  ToUtf8(FoldCase(ShownText(*doc.doc, category.name)));
        }
        m_itemKeys.emplace(&item, key);
        return key;
    }

    // The category a node of the tree stands in, merged: its parent category in the tree,
    // else the other set's category its record names; kNone at the top.
    size_t ParentOf(size_t d, const cTreeItem& item) {
        for (const cTreeItem* parent = item.parent; parent; parent = parent->parent)
            if (parent->node && parent->node->kind == kKindCategory)
                return m_categoryIndex.at(CategoryKey(d, *parent));
        const cData& node = *item.node;
        if (m_docs[d].set && node.admx && !node.admx->foreignParent.empty()) {
            const Text& reference = node.admx->foreignParent;
            return CategoryFor(ReferenceKey(*m_docs[d].set, reference), reference);
        }
        return kNone;
    }

    void RegisterCategories(size_t d) {
        const CPelwinDoc& doc = *m_docs[d].doc;
        std::vector<const cTreeItem*> items;
        doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
            if (item->node && item->node->kind == kKindCategory)
                items.push_back(item);
        });
        for (const cTreeItem* item : items) {
            const auto& category = static_cast<const cCategory&>(*item->node);
            const std::string key = CategoryKey(d, *item);
            auto [found, added] = m_categoryIndex.try_emplace(key, m_categories.size());
            if (added)
                m_categories.push_back({});
            // A category named before it was met (a reference from another set) gets its
            // name now; the first set that defines a namespace's category keeps it.
            if (added || !m_defined.count(found->second)) {
                m_defined.insert(found->second);
                m_categories[found->second].name = ShownText(doc, category.name);
                m_pendingParents.emplace_back(found->second, d, item);
            }
        }
        for (auto [index, docIndex, item] : m_pendingParents)
            m_categories[index].parent = ParentOf(docIndex, *item);
        m_pendingParents.clear();
    }

    void CollectPolicies(size_t d) {
        cSiteDoc& site = m_docs[d];
        const CPelwinDoc& doc = *site.doc;
        std::vector<cReferencePolicy> refs = BuildReference(doc);
        size_t next = 0;
        const std::string stem = Slug(FromUtf8(FileStem(doc)));
        ForEachPolicy(doc, [&](const cTreeItem& item, const cObjPolicy& policy) {
            cSitePolicy& out = m_policies.emplace_back();
            out.doc = &doc;
            out.docIndex = d;
            out.item = &item;
            out.policy = &policy;
            out.ref = std::move(refs[next++]);
            const Text& name =
                policy.admx && !policy.admx->name.empty() ? policy.admx->name : out.ref.anchor;
            out.page = m_names.Take("policies/", stem + "." + Slug(name));
            for (const Text& cls : out.ref.classes)
                out.sides[KeywordEquals(cls, u"USER") ? 1 : 0] = true;
            if (!out.sides[0] && !out.sides[1])
                out.sides[0] = true;
            out.category = ParentOf(d, item);
            out.supportedOn = SupportedOn(site, policy, out.ref.supportedOn);
            site.policies.push_back(m_policies.size() - 1);
        });
    }

    // A supported-on text that names another set's definition shows that set's text for it.
    Text SupportedOn(const cSiteDoc& site, const cObjPolicy& policy, const Text& shown) {
        if (!site.set || !policy.admx || policy.admx->supportedOn.empty())
            return shown;
        std::string ns, name;
        if (!ResolveReference(*site.set, ToUtf8(policy.admx->supportedOn), ns, name) ||
            ns == site.ns)
            return shown;
        auto other = m_namespaces.find(ns);
        if (other == m_namespaces.end())
            return shown;
        const cSiteDoc& there = m_docs[other->second];
        auto found = there.set->supportedOn.find(name);
        if (found == there.set->supportedOn.end() || !found->second.attribute("displayName"))
            return shown;
        return there.doc->ResolveText(AttributeText(found->second, "displayName"));
    }

    // The chain of a category up to the top, outermost first; a circle of references
    // across sets is cut where it closes.
    std::vector<size_t> Chain(size_t category) const {
        std::vector<size_t> chain;
        std::unordered_set<size_t> seen;
        for (size_t at = category; at != kNone && seen.insert(at).second;
             at = m_categories[at].parent)
            chain.push_back(at);
        std::reverse(chain.begin(), chain.end());
        return chain;
    }

    void PlacePolicies() {
        std::set<std::pair<size_t, size_t>> linked[2];
        for (size_t i = 0; i < m_policies.size(); ++i) {
            const cSitePolicy& policy = m_policies[i];
            std::vector<size_t> chain = Chain(policy.category);
            for (int side = 0; side < 2; ++side) {
                if (!policy.sides[side])
                    continue;
                size_t parent = kNone;
                for (size_t category : chain) {
                    ++m_categories[category].total[side];
                    if (linked[side].insert({parent, category}).second)
                        (parent == kNone ? m_roots[side] : m_categories[parent].children[side])
                            .push_back(category);
                    parent = category;
                }
                (parent == kNone ? m_rootPolicies[side] : m_categories[parent].policies[side])
                    .push_back(i);
            }
        }
        auto byName = [&](size_t a, size_t b) {
            Text x = FoldCase(m_categories[a].name), y = FoldCase(m_categories[b].name);
            return x != y ? x < y : a < b;
        };
        auto policiesByName = [&](size_t a, size_t b) {
            Text x = FoldCase(m_policies[a].ref.name), y = FoldCase(m_policies[b].ref.name);
            return x != y ? x < y : a < b;
        };
        for (int side = 0; side < 2; ++side) {
            std::sort(m_roots[side].begin(), m_roots[side].end(), byName);
            std::sort(m_rootPolicies[side].begin(), m_rootPolicies[side].end(), policiesByName);
            for (cSiteCategory& category : m_categories) {
                std::sort(category.children[side].begin(), category.children[side].end(), byName);
                std::sort(category.policies[side].begin(), category.policies[side].end(),
                          policiesByName);
            }
        }
    }

    // "Computer Configuration › Category › ..." for each side the policy stands on.
    std::vector<Text> Paths(const cSitePolicy& policy) const {
        Text categories;
        for (size_t category : Chain(policy.category))
            categories += u" \u203a " + m_categories[category].name;
        std::vector<Text> paths;
        for (int side = 0; side < 2; ++side)
            if (policy.sides[side])
                paths.push_back(FromUtf8(kSideNames[side]) + categories);
        return paths;
    }

    // ---- Pages ---------------------------------------------------------------------------

    std::string Head(const std::string& title, const std::string& root) const {
        std::string out = "<!DOCTYPE html>\n<html";
        if (!m_options.language.empty())
            out += " lang=\"" + Html(m_options.language) + "\"";
        return out +
               ">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
               "content=\"width=device-width, initial-scale=1\">\n<title>" +
               title + "</title>\n<link rel=\"stylesheet\" href=\"" + root +
               "style.css\">\n</head>\n<body>\n<header class=\"top\"><a href=\"" + root +
               "index.html\">" + Html(m_options.title) + "</a>" +
               (m_options.older ? " <a href=\"" + root + "changes.html\">Changes</a>" : "") +
               "</header>\n<main>\n";
    }

    static std::string Foot() { return "</main>\n</body>\n</html>\n"; }

    // above: the categories the one shown stands in, so that references that go round in
    // a circle through several sets show each category once on the way down.
    void TreeHtml(int side, size_t index, std::vector<size_t>& above, std::string& out) const {
        const cSiteCategory& category = m_categories[index];
        above.push_back(index);
        out += "<li><details><summary>" + Html(category.name) + " <span class=\"count\">" +
               std::to_string(category.total[side]) + "</span></summary>\n";
        if (!category.children[side].empty() || !category.policies[side].empty()) {
            out += "<ul>\n";
            for (size_t child : category.children[side])
                if (std::find(above.begin(), above.end(), child) == above.end())
                    TreeHtml(side, child, above, out);
            for (size_t policy : category.policies[side])
                PolicyItem(policy, out);
            out += "</ul>\n";
        }
        out += "</details></li>\n";
        above.pop_back();
    }

    void PolicyItem(size_t index, std::string& out) const {
        const cSitePolicy& policy = m_policies[index];
        out += "<li class=\"policy\"><a href=\"" + policy.page + "\">" + Html(policy.ref.name) +
               "</a>" + ChangeMark(policy) + "</li>\n";
    }

    std::string ChangeMark(const cSitePolicy& policy) const {
        if (policy.changes.empty())
            return {};
        bool added = policy.changes.front()->kind == cDiffKind::Added;
        return added ? " <span class=\"mark added\">new</span>"
                     : " <span class=\"mark changed\">changed</span>";
    }

    std::string IndexPage() const {
        std::string out = Head(Html(m_options.title), "");
        out += "<h1>" + Html(m_options.title) + "</h1>\n<p>" +
               Count(m_policies.size(), "policy", "policies") + " in " +
               Count(m_docs.size(), "template", "templates") + ".";
        if (m_options.older)
            out += " <a href=\"changes.html\">" + std::to_string(m_diff.added) + " added, " +
                   std::to_string(m_diff.removed) + " removed, " + std::to_string(m_diff.changed) +
                   " changed</a> since " + Html(m_options.olderName) + ".";
        out +=
            "</p>\n<form class=\"search\" role=\"search\" action=\"index.html\">"
            "<label for=\"q\">Search</label> <input id=\"q\" name=\"q\" type=\"search\" "
            "autocomplete=\"off\" placeholder=\"Display name, registry key or value, explain "
            "text, policy name\"></form>\n<p id=\"status\" aria-live=\"polite\"></p>\n"
            "<div id=\"results\" hidden></div>\n<div id=\"tree\">\n";
        for (int side = 0; side < 2; ++side) {
            size_t total = 0;
            for (const cSitePolicy& policy : m_policies)
                total += policy.sides[side];
            out += "<section class=\"side\">\n<h2>" + std::string(kSideNames[side]) +
                   " <span class=\"count\">" + std::to_string(total) + "</span></h2>\n<ul>\n";
            std::vector<size_t> above;
            for (size_t root : m_roots[side])
                TreeHtml(side, root, above, out);
            for (size_t policy : m_rootPolicies[side])
                PolicyItem(policy, out);
            out += "</ul>\n</section>\n";
        }
        out += "<section>\n<h2>Templates</h2>\n<ul class=\"sets\">\n";
        for (const cSiteDoc& doc : m_docs)
            out += "<li><a href=\"" + doc.page + "\">" + Html(FileName(*doc.doc)) +
                   "</a> <span class=\"count\">" + std::to_string(doc.policies.size()) +
                   "</span></li>\n";
        out +=
            "</ul>\n</section>\n</div>\n"
            "<script src=\"search-index.js\"></script>\n<script src=\"site.js\"></script>\n";
        return out + Foot();
    }

    std::string SearchIndex() const {
        // In the order of their paths, as the tree shows them.
        std::vector<std::pair<Text, size_t>> order;
        order.reserve(m_policies.size());
        for (size_t i = 0; i < m_policies.size(); ++i)
            order.emplace_back(
                FoldCase(Paths(m_policies[i]).front() + u" \u203a " + m_policies[i].ref.name), i);
        std::sort(order.begin(), order.end());
        std::string out = "window.TESSARY_SEARCH = [\n";
        for (const auto& [path, i] : order) {
            const cSitePolicy& policy = m_policies[i];
            const cReferencePolicy& ref = policy.ref;
            out += '[';
            AppendJsString(out, FromUtf8(policy.page));
            for (const Text& field :
                 {ref.name, Paths(policy).front(),
                  ref.hasValueName ? ref.key + u"\\" + ref.valueName : ref.key,
                  policy.policy->admx ? policy.policy->admx->name : Text(), ref.explain}) {
                out += ',';
                AppendJsString(out, field);
            }
            out += "],\n";
        }
        return out + "];\n";
    }

    std::string SetPage(const cSiteDoc& doc) const {
        const std::string name = Html(FileName(*doc.doc));
        std::string out = Head(name, "../");
        out += "<h1>" + name + "</h1>\n<dl>\n";
        if (doc.set) {
            cAdmxTemplateProps props = TemplatePropsOf(*doc.set);
            out += "<dt>Namespace</dt><dd><code>" + Html(props.target.name) +
                   "</code> (prefix <code>" + Html(props.target.prefix) + "</code>)</dd>\n";
            for (const cAdmxNamespace& use : props.usings)
                out += "<dt>Uses</dt><dd><code>" + Html(use.name) + "</code> (prefix <code>" +
                       Html(use.prefix) + "</code>)</dd>\n";
            out += "<dt>Revision</dt><dd>" + Html(props.revision) + "</dd>\n";
            if (!props.minRequiredRevision.empty())
                out += "<dt>Language files at least</dt><dd>" + Html(props.minRequiredRevision) +
                       "</dd>\n";
            Text languages;
            for (const auto& [tag, ids] : doc.languages)
                languages += (languages.empty() ? u"" : u", ") + tag;
            out += "<dt>Languages</dt><dd>" + Html(languages) + "</dd>\n";
        }
        out += "<dt>Policies</dt><dd>" + std::to_string(doc.policies.size()) + "</dd>\n</dl>\n";
        out += "<h2>Policies</h2>\n<ul>\n";
        for (size_t index : doc.policies) {
            const cSitePolicy& policy = m_policies[index];
            out += "<li><a href=\"../" + policy.page + "\">" + Html(policy.ref.name) + "</a>" +
                   ChangeMark(policy) + " <span class=\"path\">" + Html(Paths(policy).front()) +
                   "</span></li>\n";
        }
        return out + "</ul>\n" + Foot();
    }

    std::string PolicyPage(const cSitePolicy& policy) const {
        const cReferencePolicy& ref = policy.ref;
        const cSiteDoc& doc = m_docs[policy.docIndex];
        std::string out = Head(Html(ref.name), "../");
        out += "<article class=\"policy-page\">\n<h1>" + Html(ref.name) + ChangeMark(policy) +
               "</h1>\n";
        for (const cDiffEntry* change : policy.changes) {
            if (change->kind == cDiffKind::Added) {
                out += "<p class=\"change\">New since " + Html(m_options.olderName) + ".</p>\n";
                break;
            }
            Text what;
            for (const Text& one : change->changes)
                what += (what.empty() ? u"" : u", ") + one;
            out += "<p class=\"change\">Changed since " + Html(m_options.olderName) + " (" +
                   Html(change->className) + "): " + Html(what) + ".</p>\n";
        }
        out += "<dl>\n";
        auto field = [&](const char* name, const std::string& html) {
            if (!html.empty())
                out += std::string("<dt>") + name + "</dt><dd>" + html + "</dd>\n";
        };
        auto code = [](const Text& text) {
            return text.empty() ? std::string() : "<code>" + Html(text) + "</code>";
        };
        std::string paths;
        for (const Text& path : Paths(policy))
            paths += (paths.empty() ? "" : "<br>") + Html(path);
        field("Path", paths);
        field("Class", Html(policy.policy->admx && !policy.policy->admx->policyClass.empty()
                                ? policy.policy->admx->policyClass
                                : ref.Classes()));
        if (policy.policy->admx)
            field("Policy name", code(policy.policy->admx->name));
        field("Supported on", Html(policy.supportedOn));
        field("Registry key", code(ref.key));
        field("Value name", code(ref.valueName));
        field("Value type", Html(ref.valueType));
        field("Values", Html(ref.values));
        std::string source = "<a href=\"../" + doc.page + "\">" + Html(FileName(*doc.doc)) +
                             "</a>, line " + std::to_string(ref.line);
        field("Defined in", source);
        if (doc.set) {
            std::string id(StringId(ToUtf8(policy.policy->name)));
            Text languages;
            for (const auto& [tag, ids] : doc.languages)
                if (id.empty() || ids.count(id))
                    languages += (languages.empty() ? u"" : u", ") + tag;
            field("Languages", Html(languages));
        }
        out += "</dl>\n";
        if (!ref.explain.empty())
            out += "<section class=\"explain\">\n<h2>Explanation</h2>\n" +
                   ExplainHtml(ref.explain) + "</section>\n";
        if (!ref.parts.empty())
            out += "<h2>Options</h2>\n" + ReferencePartsHtml(ref);
        const cTreeOwner& owner = *policy.doc;
        std::vector<cRegWrite> enabled =
            PolicyWrites(*policy.policy, cPolicyState::Enabled, {}, owner);
        out += "<h2>Enabled writes</h2>\n" + WritesHtml(enabled);
        out += "<h2>Disabled writes</h2>\n" +
               WritesHtml(PolicyWrites(*policy.policy, cPolicyState::Disabled, {}, owner));
        out += "<h2>Registry file of the enabled state</h2>\n<pre class=\"reg\">" +
               Html(RegFileText(enabled, ref.classes)) + "</pre>\n";
        return out + "</article>\n" + Foot();
    }

    std::string ChangesPage() const {
        std::string out = Head("Changes since " + Html(m_options.olderName), "");
        out += "<h1>Changes since " + Html(m_options.olderName) + "</h1>\n<p>" +
               std::to_string(m_diff.added) + " added, " + std::to_string(m_diff.removed) +
               " removed, " + std::to_string(m_diff.changed) + " changed.</p>\n";
        std::unordered_map<const cObjPolicy*, const cSitePolicy*> pages;
        for (const cSitePolicy& policy : m_policies)
            pages.emplace(policy.policy, &policy);
        const char* titles[] = {"Removed", "Added", "Changed"};
        const cDiffKind kinds[] = {cDiffKind::Added, cDiffKind::Removed, cDiffKind::Changed};
        for (cDiffKind kind : kinds) {
            std::string list;
            for (const cDiffEntry& entry : m_diff.entries) {
                if (entry.kind != kind)
                    continue;
                auto page = kind == cDiffKind::Removed ? pages.end() : pages.find(entry.policy);
                std::string name = Html(entry.path);
                if (page != pages.end())
                    name = "<a href=\"" + page->second->page + "\">" + name + "</a>";
                list += "<li>" + name + " <code>" + Html(entry.KeyText()) + "</code>";
                Text what;
                for (const Text& one : entry.changes)
                    what += (what.empty() ? u"" : u", ") + one;
                if (!what.empty())
                    list += ": " + Html(what);
                list += "</li>\n";
            }
            if (!list.empty())
                out += "<h2>" + std::string(titles[int(kind)]) + "</h2>\n<ul class=\"changes\">\n" +
                       list + "</ul>\n";
        }
        return out + Foot();
    }

    const cSiteOptions& m_options;
    std::vector<cSiteDoc> m_docs;
    std::vector<cSitePolicy> m_policies;
    std::vector<cSiteCategory> m_categories;
    std::unordered_map<std::string, size_t> m_categoryIndex;
    std::unordered_set<size_t> m_defined;
    std::vector<std::tuple<size_t, size_t, const cTreeItem*>> m_pendingParents;
    std::unordered_map<const cTreeItem*, std::string> m_itemKeys;
    std::unordered_map<std::string, size_t> m_namespaces;
    std::vector<size_t> m_roots[2];
    std::vector<size_t> m_rootPolicies[2];
    cFileNames m_names;
    cDiffResult m_diff;
};

}  // namespace

std::vector<cSiteFile> BuildSite(const std::vector<const CPelwinDoc*>& docs,
                                 const cSiteOptions& options) {
    return cSiteBuilder(docs, options).Files();
}

size_t SitePolicyCount(const std::vector<cSiteFile>& files) {
    return size_t(std::count_if(files.begin(), files.end(), [](const cSiteFile& file) {
        return file.path.rfind("policies/", 0) == 0;
    }));
}

bool WriteSite(const std::string& folder, const std::vector<cSiteFile>& files) {
    namespace fs = std::filesystem;
    const fs::path root = PathFromUtf8(folder);
    std::set<fs::path> made;
    for (const cSiteFile& file : files) {
        const fs::path path = root / PathFromUtf8(file.path);
        if (made.insert(path.parent_path()).second) {
            std::error_code ec;
            fs::create_directories(path.parent_path(), ec);
            if (ec) {
                ShowMessage(kSeverityError, u"the folder %s cannot be made: %s",
                            {FromUtf8(Utf8FromPath(path.parent_path())), FromUtf8(ec.message())});
                return false;
            }
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(file.bytes.data(), std::streamsize(file.bytes.size()));
        out.close();
        if (!out) {
            ShowMessage(kSeverityError, u"the file %s cannot be written",
                        {FromUtf8(Utf8FromPath(path))});
            return false;
        }
    }
    return true;
}
