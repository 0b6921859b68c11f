#include "core/check/store.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
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

// What the relations between the files need of a set: taken from its documents and its tree
// as it is read, so that a set's documents are gone before the next set is read and a store
// of hundreds of sets never lies in memory whole.
struct cSetFacts {
    Text path;  // as the set names itself
    std::string target;
    int targetLine = 0;
    // Each using prefix with the line of its (last) using element.
    std::unordered_map<std::string, int> usingLines;
    // A reference into another namespace, in the order of the file.
    struct cReference {
        std::string element;  // its element's name as written
        std::string reference;
        std::string prefix;
        std::string ns;
        std::string name;
        bool parent = false;  // a parentCategory (else a supportedOn definition or product)
        int line = 0;
    };
    std::vector<cReference> references;
    // The names other files' references may point to.
    std::unordered_set<std::string> categories;
    std::unordered_set<std::string> supportedOn;
    int resourcesLine = 0;
    std::vector<std::string> languageFolders;  // of the ADMLs read with it, in lower case
    // A registry value a policy writes ("HKLM\\KEY\\VALUE"), in the order of the tree.
    struct cValue {
        Text value;
        int line;
        Text policy;
    };
    std::vector<cValue> values;
};

// One ADMX file of the store as read, with its findings of its own.
struct cStoreSet {
    std::string path;
    std::optional<cSetFacts> facts;  // none when the read failed
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
        // The document lives only as long as this read: what the store's rules need is kept.
        const auto held = std::make_unique<CPelwinDoc>();
        CPelwinDoc& doc = *held;
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
            if (state->set)
                entry.facts = FactsOf(doc, *state->set);
    }

    static cSetFacts FactsOf(const CPelwinDoc& doc, const cAdmxSet& set) {
        cSetFacts facts;
        facts.path = set.path;
        const pugi::xml_node namespaces = Namespaces(set);
        const pugi::xml_node target = Child(namespaces, "target");
        facts.target = target.attribute("namespace").value();
        facts.targetLine = set.admx.LineOf(target);
        for (pugi::xml_node use = namespaces.first_child(); use; use = use.next_sibling())
            if (Is(use, "using"))
                facts.usingLines[use.attribute("prefix").value()] = set.admx.LineOf(use);
        ForEachElement(set.admx.Root(), [&](pugi::xml_node element) {
            if (!RefersByName(element))
                return;
            cSetFacts::cReference reference;
            reference.reference = element.attribute("ref").value();
            if (set.Resolve(reference.reference, reference.name) != cAdmxSet::cPlace::Elsewhere)
                return;
            reference.element = element.name();
            reference.parent = Is(element, "parentCategory");
            reference.prefix = reference.reference.substr(0, reference.reference.find(':'));
            reference.ns = set.usingPrefixes.at(reference.prefix);
            reference.line = set.admx.LineOf(element);
            facts.references.push_back(std::move(reference));
        });
        for (const auto& entry : set.categories)
            facts.categories.insert(entry.first);
        for (const auto& entry : set.supportedOn)
            facts.supportedOn.insert(entry.first);
        facts.resourcesLine = set.admx.LineOf(Child(set.admx.Root(), "resources"));
        for (const auto& adml : set.languages)
            facts.languageFolders.push_back(AsciiLower(ToUtf8(adml->folder)));
        doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
            if (!item->node || item->node->kind != kKindPolicy || !item->node->admx)
                return;
            const auto& policy = static_cast<const cObjPolicy&>(*item->node);
            for (Text& value : ValuesOf(policy))
                facts.values.push_back({std::move(value), policy.line, policy.admx->name});
        });
        return facts;
    }

    static pugi::xml_node Namespaces(const cAdmxSet& set) {
        return Child(set.admx.Root(), "policyNamespaces");
    }

    // Each namespace belongs to the first file that targets it; the policy editor refuses
    // every later one.
    void Namespaces() {
        for (size_t i = 0; i < m_sets.size(); ++i) {
            const cSetFacts* set = Facts(i);
            if (!set)
                continue;
            const std::string& ns = set->target;
            auto [it, fresh] = m_targets.try_emplace(ns, i);
            if (fresh)
                continue;
            const cSetFacts& first = *Facts(it->second);
            const int firstLine = first.targetLine;
            const int line = set->targetLine;
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
            const cSetFacts* set = Facts(i);
            if (!set)
                continue;
            std::unordered_set<std::string> reported;
            for (const cSetFacts::cReference& reference : set->references) {
                auto target = m_targets.find(reference.ns);
                if (target == m_targets.end()) {
                    if (reported.insert(reference.prefix).second)
                        MissingNamespace(i, reference.prefix, reference.ns);
                    continue;
                }
                const cSetFacts& other = *Facts(target->second);
                const bool defined = reference.parent
                                         ? other.categories.count(reference.name) != 0
                                         : other.supportedOn.count(reference.name) != 0;
                if (!defined)
                    Add(i, set->path, reference.line, cLintRuleId::StoreUndefinedReference,
                        FromUtf8(reference.element) + u" refers to " +
                            FromUtf8(reference.reference) + u", but " + other.path +
                            u", which targets " + FromUtf8(reference.ns) + u", defines no " +
                            (reference.parent ? u"category "
                                              : u"supportedOn definition or product ") +
                            FromUtf8(reference.name));
            }
        }
    }

    void MissingNamespace(size_t i, const std::string& prefix, const std::string& ns) {
        const cSetFacts& set = *Facts(i);
        auto use = set.usingLines.find(prefix);
        const int line = use == set.usingLines.end() ? 0 : use->second;
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
            const cSetFacts* set = Facts(i);
            if (!set)
                continue;
            const Text file = FromUtf8(m_sets[i].path);
            const std::string stem = Utf8FromPath(PathFromUtf8(m_sets[i].path).stem()) + ".adml";
            const int line = set->resourcesLine;
            // A set joining the store brings its own language folders.
            const bool inStore = m_joining.empty() || i != 0;
            std::vector<bool> holds;
            for (const auto& entry : folders) {
                const std::string& folder = entry.first;
                bool held = entry.second.count(AsciiLower(stem)) != 0;
                if (!inStore)
                    held = std::find(set->languageFolders.begin(), set->languageFolders.end(),
                                     AsciiLower(folder)) != set->languageFolders.end();
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
        const std::vector<std::string> folders = AdmlFolders(admx);
        return std::none_of(folders.begin(), folders.end(), IsLanguageFolder);
    }

    // Two files' policies that write one registry value conflict: whichever applies last
    // wins. Within one file lint's duplicate-value tells it.
    void Values() {
        std::unordered_map<Text, cWriter> writers;
        for (size_t i = 0; i < m_sets.size(); ++i) {
            const cSetFacts* set = Facts(i);
            if (!set)
                continue;
            for (const cSetFacts::cValue& written : set->values) {
                auto [it, fresh] =
                    writers.try_emplace(written.value, cWriter{i, written.line, written.policy});
                if (fresh || it->second.set == i)
                    continue;
                const cStoreSet& first = m_sets[it->second.set];
                Add(i, FromUtf8(m_sets[i].path), written.line, cLintRuleId::StoreDuplicateValue,
                    u"policy " + written.policy + u" writes " + written.value + u", which policy " +
                        it->second.policy + u" of " + FromUtf8(first.path) +
                        FormatText(u" (line %d) writes too", {it->second.line}),
                    false);
            }
        }
    }

    const cSetFacts* Facts(size_t set) const {
        return m_sets[set].facts ? &*m_sets[set].facts : nullptr;
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
