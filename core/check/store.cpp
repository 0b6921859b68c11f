#include "core/check/store.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "core/admx/admxread.h"
#include "core/admx/admxset.h"
#include "core/check/storeread.h"
#include "core/document/document.h"
#include "core/io/paths.h"
#include "core/model/partkinds.h"

namespace {

namespace fs = std::filesystem;

// One ADMX file of the store as read, with its findings of its own.
struct cStoreSet {
    std::string path;
    std::unique_ptr<CPelwinDoc> doc;
    const cAdmxSet* set = nullptr;  // none when the read failed
    std::vector<cFinding> findings;
};

// A registry value a policy writes, and where.
struct cWriter {
    size_t set;
    int line;
    Text policy;
};

class cStoreCheck {
public:
    cStoreCheck(const std::string& dir, const std::string& joining)
        : m_dir(dir), m_joining(joining) {}

    bool Run(std::vector<cFinding>& out, Text& problem) {
        std::error_code ec;
        if (!fs::is_directory(PathFromUtf8(m_dir), ec)) {
            problem = FromUtf8(m_dir) + u" is no folder";
            return false;
        }
        std::vector<std::string> files;
        std::string error;
        if (!ListAdmxFiles(m_dir, files, error)) {
            problem = FromUtf8(m_dir) + u": " + FromUtf8(error);
            return false;
        }
        if (!m_joining.empty()) {
            // The file joining the store stands in for the store's file of its name.
            const std::string name = AsciiLower(Utf8FromPath(PathFromUtf8(m_joining).filename()));
            std::erase_if(files, [&](const std::string& file) {
                return AsciiLower(Utf8FromPath(PathFromUtf8(file).filename())) == name;
            });
            files.insert(files.begin(), m_joining);
        }
        if (files.empty()) {
            problem = FromUtf8(m_dir) + u" holds no ADMX file";
            return false;
        }
        for (const std::string& file : files)
            Read(file);
        Namespaces();
        References();
        Languages();
        Values();
        for (size_t i = 0; i < m_sets.size(); ++i) {
            if (!m_joining.empty() && i != 0)
                continue;
            for (cFinding& finding : m_sets[i].findings) {
                if (finding.file.empty())
                    finding.file = FromUtf8(m_sets[i].path);
                out.push_back(std::move(finding));
            }
        }
        return true;
    }

private:
    void Add(size_t set, const Text& file, int line, cLintRuleId rule, Text text,
             bool error = true) {
        const cLintRule& entry = LintRule(rule);
        m_sets[set].findings.push_back({line, error ? cLintSeverity::Error : cLintSeverity::Warning,
                                        entry.id, std::move(text), file});
    }

    void Read(const std::string& file) {
        cStoreSet& entry = m_sets.emplace_back();
        entry.path = file;
        entry.doc = std::make_unique<CPelwinDoc>();
        CPelwinDoc& doc = *entry.doc;
        cReadLog log;
        Text said;
        // What the read says is a finding here, not a message.
        if (!ReadWithoutWindow(doc, file, log, said)) {
            for (const cReadLog::cFormatFinding& finding : log.findings)
                entry.findings.push_back(FindingOf(finding));
            if (log.findings.empty())
                entry.findings.push_back({0, cLintSeverity::Error, "xml",
                                          said.empty() ? u"the file could not be read" : said,
                                          Text()});
            return;
        }
        entry.findings = LintTemplate(doc, log);
        if (const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState()))
            entry.set = state->set.get();
    }

    static pugi::xml_node Namespaces(const cAdmxSet& set) {
        return Child(set.admx.Root(), "policyNamespaces");
    }

    // Each namespace belongs to the first file that targets it; the policy editor refuses
    // every later one.
    void Namespaces() {
        for (size_t i = 0; i < m_sets.size(); ++i) {
            const cAdmxSet* set = m_sets[i].set;
            if (!set)
                continue;
            pugi::xml_node target = Child(Namespaces(*set), "target");
            const std::string ns = target.attribute("namespace").value();
            auto [it, fresh] = m_targets.try_emplace(ns, i);
            if (fresh)
                continue;
            const cAdmxSet& first = *m_sets[it->second].set;
            const int firstLine = first.admx.LineOf(Child(Namespaces(first), "target"));
            const int line = set->admx.LineOf(target);
            Add(i, set->path, line, cLintRuleId::StoreDuplicateNamespace,
                u"the namespace " + FromUtf8(ns) + u" is already the target of " + first.path +
                    FormatText(u" (line %d); the policy editor refuses this file", {firstLine}));
            Add(it->second, first.path, firstLine, cLintRuleId::StoreDuplicateNamespace,
                u"the namespace " + FromUtf8(ns) + u" is the target of " + set->path +
                    FormatText(u" (line %d) too", {line}));
        }
    }

    // Prefixed references to another file: its namespace must be in the store, and define
    // what they name.
    void References() {
        for (size_t i = 0; i < m_sets.size(); ++i) {
            const cAdmxSet* set = m_sets[i].set;
            if (!set)
                continue;
            std::unordered_set<std::string> reported;
            ForEachElement(set->admx.Root(), [&](pugi::xml_node element) {
                if (!RefersByName(element))
                    return;
                const bool parent = Is(element, "parentCategory");
                const std::string reference = element.attribute("ref").value();
                std::string name;
                if (set->Resolve(reference, name) != cAdmxSet::cPlace::Elsewhere)
                    return;
                const std::string prefix = reference.substr(0, reference.find(':'));
                const std::string& ns = set->usingPrefixes.at(prefix);
                auto target = m_targets.find(ns);
                if (target == m_targets.end()) {
                    if (reported.insert(prefix).second)
                        MissingNamespace(i, prefix, ns);
                    return;
                }
                const cAdmxSet& other = *m_sets[target->second].set;
                const bool defined =
                    parent ? other.categories.count(name) != 0 : other.supportedOn.count(name) != 0;
                if (!defined)
                    Add(i, set->path, set->admx.LineOf(element),
                        cLintRuleId::StoreUndefinedReference,
                        FromUtf8(element.name()) + u" refers to " + FromUtf8(reference) +
                            u", but " + other.path + u", which targets " + FromUtf8(ns) +
                            u", defines no " +
                            (parent ? u"category " : u"supportedOn definition or product ") +
                            FromUtf8(name));
            });
        }
    }

    void MissingNamespace(size_t i, const std::string& prefix, const std::string& ns) {
        const cAdmxSet& set = *m_sets[i].set;
        int line = 0;
        for (pugi::xml_node use = Namespaces(set).first_child(); use; use = use.next_sibling())
            if (Is(use, "using") && prefix == use.attribute("prefix").value())
                line = set.admx.LineOf(use);
        Add(i, set.path, line, cLintRuleId::StoreMissingNamespace,
            u"the prefix " + FromUtf8(prefix) + u" stands for " + FromUtf8(ns) +
                u", which no ADMX file of the store targets, and references use it");
    }

    // Every language folder of the store should hold every set's ADML; the policy editor
    // falls back to another language where one lacks it. Each folder is listed once.
    void Languages() {
        std::vector<std::pair<std::string, std::unordered_set<std::string>>> folders;
        std::error_code ec;
        for (fs::directory_iterator it(PathFromUtf8(m_dir), ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code kind;
            const std::string name = Utf8FromPath(it->path().filename());
            if (!IsLanguageFolder(name) || !it->is_directory(kind))
                continue;
            std::unordered_set<std::string> files;
            std::error_code inner;
            for (fs::directory_iterator file(it->path(), inner), none; !inner && file != none;
                 file.increment(inner))
                files.insert(AsciiLower(Utf8FromPath(file->path().filename())));
            folders.emplace_back(name, std::move(files));
        }
        std::sort(folders.begin(), folders.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < m_sets.size(); ++i) {
            const cAdmxSet* set = m_sets[i].set;
            if (!set)
                continue;
            const Text file = FromUtf8(m_sets[i].path);
            const std::string stem = Utf8FromPath(PathFromUtf8(m_sets[i].path).stem()) + ".adml";
            const int line = set->admx.LineOf(Child(set->admx.Root(), "resources"));
            // A set joining the store brings its own language folders.
            const bool inStore = m_joining.empty() || i != 0;
            std::vector<bool> holds;
            for (const auto& entry : folders) {
                const std::string& folder = entry.first;
                bool held = entry.second.count(AsciiLower(stem)) != 0;
                if (!inStore)
                    held = std::any_of(
                        set->languages.begin(), set->languages.end(), [&](const auto& adml) {
                            return AsciiLower(ToUtf8(adml->folder)) == AsciiLower(folder);
                        });
                holds.push_back(held);
            }
            const bool none =
                inStore ? std::none_of(holds.begin(), holds.end(), [](bool held) { return held; })
                        : HasNoAdml(m_sets[i].path);
            if (none) {
                // Said here in the store's terms rather than as the set's own fault.
                std::erase_if(m_sets[i].findings, [](const cFinding& finding) {
                    return finding.file.empty() && std::string_view(finding.rule) == "xml" &&
                           finding.text.starts_with(u"no ADML file belongs");
                });
                Add(i, file, line, cLintRuleId::StoreMissingAdml,
                    u"no language folder of the store holds " + FromUtf8(stem) +
                        u": the policy editor cannot show this file");
                continue;
            }
            for (size_t f = 0; f < folders.size(); ++f)
                if (!holds[f])
                    Add(i, file, line, cLintRuleId::StoreMissingAdml,
                        u"the language folder " + FromUtf8(folders[f].first) + u" lacks " +
                            FromUtf8(stem) +
                            u": the policy editor shows this file in another language there",
                        false);
        }
    }

    // Whether no language folder beside the ADMX file holds its ADML.
    static bool HasNoAdml(const std::string& admx) {
        const fs::path path = PathFromUtf8(admx);
        const std::string wanted = AsciiLower(Utf8FromPath(path.stem()) + ".adml");
        fs::path dir = path.parent_path();
        if (dir.empty())
            dir = ".";
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code inner;
            if (!IsLanguageFolder(Utf8FromPath(it->path().filename())) || !it->is_directory(inner))
                continue;
            for (fs::directory_iterator file(it->path(), inner), none; !inner && file != none;
                 file.increment(inner))
                if (AsciiLower(Utf8FromPath(file->path().filename())) == wanted)
                    return false;
        }
        return true;
    }

    // Two files' policies that write one registry value conflict: whichever applies last
    // wins. Within one file lint's duplicate-value tells it.
    void Values() {
        std::unordered_map<Text, cWriter> writers;
        for (size_t i = 0; i < m_sets.size(); ++i) {
            if (!m_sets[i].set)
                continue;
            std::unordered_map<Text, bool> own;
            m_sets[i].doc->Tree().ForEachPreOrder([&](cTreeItem* item) {
                if (!item->node || item->node->kind != kKindPolicy || !item->node->admx)
                    return;
                const auto& policy = static_cast<const cObjPolicy&>(*item->node);
                for (const Text& value : ValuesOf(policy)) {
                    auto [it, fresh] = writers.try_emplace(value, cWriter{i, policy.line, {}});
                    if (fresh) {
                        it->second.policy = policy.admx->name;
                        continue;
                    }
                    if (it->second.set == i)
                        continue;
                    const cStoreSet& first = m_sets[it->second.set];
                    Add(i, FromUtf8(m_sets[i].path), policy.line, cLintRuleId::StoreDuplicateValue,
                        u"policy " + policy.admx->name + u" writes " + value + u", which policy " +
                            it->second.policy + u" of " + FromUtf8(first.path) +
                            FormatText(u" (line %d) writes too", {it->second.line}),
                        false);
                }
            });
        }
    }

    // What a policy writes: "HKLM\KEY\VALUE" or "HKCU\...", key and name in capitals (the
    // registry ignores their case); a policy of both classes writes to both.
    static std::vector<Text> ValuesOf(const cObjPolicy& policy) {
        std::vector<Text> names;
        auto add = [&](const Text& key, const Text& value) {
            if (key.empty() || value.empty())
                return;
            const Text name = RegistryName(key, value);
            const Text& cls = policy.admx->policyClass;
            if (cls != u"User")
                names.push_back(u"HKLM\\" + name);
            if (cls != u"Machine")
                names.push_back(u"HKCU\\" + name);
        };
        if (policy.valueNameFlag)
            add(policy.GetEffectiveKey(), policy.valueName);
        for (const auto& part : policy.Parts())
            if (UsesValueName(*part))
                add(part->GetEffectiveKey(), part->valueName);
        return names;
    }

    std::string m_dir;
    std::string m_joining;
    std::vector<cStoreSet> m_sets;
    // Each namespace's first file.
    std::unordered_map<std::string, size_t> m_targets;
};

}  // namespace

bool LintStore(const std::string& dir, const std::string& joining, std::vector<cFinding>& findings,
               Text& problem) {
    return cStoreCheck(dir, joining).Run(findings, problem);
}
