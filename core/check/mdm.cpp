#include "core/check/mdm.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "core/admx/admxnamespaces.h"
#include "core/admx/admxset.h"
#include "core/document/document.h"
#include "core/io/paths.h"

namespace {

// The keys within the blocked roots that the ingestion leaves open, as the service
// publishes them (matched as the start of a key, with a backslash after the key).
constexpr TextView kOpenKeys[] = {
    u"Software\\Policies\\Microsoft\\Office\\",
    u"Software\\Microsoft\\Office\\",
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\",
    u"Software\\Microsoft\\Internet Explorer\\",
    u"Software\\Policies\\Microsoft\\Shared Tools\\Proofing Tools\\",
    u"Software\\Policies\\Microsoft\\IMEJP\\",
    u"Software\\Policies\\Microsoft\\IME\\Shared\\",
    u"Software\\Policies\\Microsoft\\Shared Tools\\Graphics Filters\\",
    u"Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Explorer\\",
    u"Software\\Policies\\Microsoft\\SoftwareProtectionPlatform\\",
    u"Software\\Policies\\Microsoft\\OfficeSoftwareProtectionPlatform\\",
    u"Software\\Policies\\Microsoft\\Windows\\Windows Search\\Preferences\\",
    u"Software\\Policies\\Microsoft\\Exchange\\",
    u"Software\\Microsoft\\Shared Tools\\Proofing Tools\\",
    u"Software\\Microsoft\\Shared Tools\\Graphics Filters\\",
    u"Software\\Microsoft\\Windows\\Windows Search\\Preferences\\",
    u"Software\\Microsoft\\Exchange\\",
    u"Software\\Policies\\Microsoft\\VBA\\Security\\",
    u"Software\\Microsoft\\OneDrive",
    u"Software\\Microsoft\\Edge",
    u"Software\\Microsoft\\EdgeUpdate\\",
};

constexpr TextView kBlockedRoots[] = {
    u"System\\",
    u"Software\\Microsoft\\",
    u"Software\\Policies\\Microsoft\\",
};

constexpr long long kMaxAdmxBytes = 1048576;

bool StartsWithIgnoringCase(TextView text, TextView start) {
    return text.size() >= start.size() && KeywordEquals(text.substr(0, start.size()), start);
}

Text Quoted(TextView text) {
    return u"\"" + Text(text) + u"\"";
}

Text FileName(const Text& path) {
    return FromUtf8(Utf8FromPath(PathFromUtf8(ToUtf8(path)).filename()));
}

// The ADML the import reads: en-US; null when the set has none.
const cAdmlFile* ImportedLanguage(const cAdmxSet& set) {
    for (const auto& adml : set.languages)
        if (LanguageTagOf(adml->folder) == u"en-US")
            return adml.get();
    return nullptr;
}

// Which file of the upload targets each namespace: the first that does.
class cTargets {
public:
    explicit cTargets(const std::vector<cMdmFile>& files) {
        for (size_t i = 0; i < files.size(); ++i)
            if (files[i].set)
                m_byName.emplace(AdmxNamespacesOf(files[i].set->admx).target.name, i);
    }
    // The file other than `self` that targets the namespace, or none.
    std::optional<size_t> Of(const std::string& name, size_t self) const {
        auto found = m_byName.find(name);
        if (found == m_byName.end() || found->second == self || name.empty())
            return std::nullopt;
        return found->second;
    }

private:
    std::unordered_map<std::string, size_t> m_byName;
};

// What to import for a namespace that no file of the upload targets.
Text ImportMissing(const std::string& name) {
    return name == "Microsoft.Policies.Windows"
               ? u"import the operating system's Windows.admx first"
               : u"import the ADMX that targets it first";
}

class cMdmChecks {
public:
    cMdmChecks(const cAdmxSet& set, std::vector<cFinding>& findings)
        : m_set(set), m_findings(findings) {}

    void Run() {
        FileSize();
        Language();
        BlockedKeys();
        OwnPrefix();
        ComboBoxes();
    }

private:
    void Add(cLintRuleId rule, int line, Text text, const Text& file = Text()) {
        const cLintRule& entry = LintRule(rule);
        m_findings.push_back({line, entry.severity, entry.id, std::move(text), file});
    }

    void FileSize() {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(PathFromUtf8(ToUtf8(m_set.path)), error);
        if (!error && bytes > kMaxAdmxBytes)
            Add(cLintRuleId::MdmFileSize, 1,
                FormatText(u"the ADMX file is %d bytes; the import takes at most 1,048,576",
                           {static_cast<long long>(bytes)}));
    }

    void Language() {
        if (ImportedLanguage(m_set))
            return;
        Text others;
        for (const auto& adml : m_set.languages)
            others += (others.empty() ? u"" : u", ") + LanguageTagOf(adml->folder);
        pugi::xml_node resources = Child(m_set.admx.Root(), "resources");
        Add(cLintRuleId::MdmLanguage, m_set.admx.LineOf(resources ? resources : m_set.admx.Root()),
            u"the set has no en-US ADML, the only language the import reads" +
                (others.empty() ? Text() : u" (it ignores " + others + u")"));
    }

    // The policy's key, each element's own, the keys of its value lists and list boxes:
    // every key attribute at or below a policy.
    void BlockedKeys() {
        ForEachElement(Child(m_set.admx.Root(), "policies"), [&](pugi::xml_node node) {
            if (!node.attribute("key"))
                return;
            const Text key = AttributeText(node, "key");
            if (!MdmBlocksKey(key))
                return;
            pugi::xml_node policy = node;
            while (policy && !Is(policy, "policy"))
                policy = policy.parent();
            Text what = u"policy " + Quoted(AttributeText(policy, "name"));
            if (node != policy)
                what = (node.attribute("id") ? u"element " + Quoted(AttributeText(node, "id"))
                                             : u"a value list") +
                       u" of " + what;
            Add(cLintRuleId::MdmBlockedKey, m_set.admx.LineOf(node),
                what + u" writes under " + key +
                    u", where MDM ingestion may not write: devices report an error");
        });
    }

    void OwnPrefix() {
        if (m_set.targetPrefix.empty())
            return;
        const std::string own = m_set.targetPrefix + ":";
        ForEachElement(m_set.admx.Root(), [&](pugi::xml_node node) {
            std::string_view ref = node.attribute("ref").value();
            if (!ref.starts_with(own))
                return;
            Add(cLintRuleId::MdmOwnPrefix, m_set.admx.LineOf(node),
                FromUtf8(LocalName(node.name())) + u" refers to " + FromUtf8(ref) +
                    u" with the file's own prefix, which the import takes as not defined: "
                    u"write " +
                    FromUtf8(ref.substr(own.size())));
        });
    }

    void ComboBoxes() {
        const cAdmlFile* adml = ImportedLanguage(m_set);
        if (!adml && !m_set.languages.empty())
            adml = &m_set.Display();
        if (!adml)
            return;
        pugi::xml_node table = Child(Child(adml->xml.Root(), "resources"), "presentationTable");
        ForEachElement(table, [&](pugi::xml_node node) {
            if (!Is(node, "comboBox"))
                return;
            pugi::xml_node presentation = node.parent();
            Add(cLintRuleId::MdmComboBox, adml->xml.LineOf(node),
                u"presentation " + Quoted(AttributeText(presentation, "id")) + u" shows " +
                    Quoted(AttributeText(node, "refId")) +
                    u" as a combo box, which fails the import; a text box imports",
                adml->path);
        });
    }

    const cAdmxSet& m_set;
    std::vector<cFinding>& m_findings;
};

void Prerequisites(const std::vector<cMdmFile>& files, size_t self, const cTargets& targets,
                   std::vector<cFinding>& findings) {
    const cLintRule& rule = LintRule(cLintRuleId::MdmPrerequisite);
    for (const cAdmxNamespaceDecl& use : AdmxNamespacesNeeded(files[self].set->admx)) {
        Text text = u"namespace " + FromUtf8(use.name) + u" (prefix " + FromUtf8(use.prefix) +
                    u") must be imported before this file: ";
        if (std::optional<size_t> other = targets.Of(use.name, self))
            text += u"import " + FileName(files[*other].path) + u" first";
        else
            text += u"no file given targets it; " + ImportMissing(use.name);
        findings.push_back({use.line, rule.severity, rule.id, std::move(text), Text()});
    }
}

}  // namespace

bool MdmBlocksKey(TextView key) {
    while (!key.empty() && key.front() == u'\\')
        key.remove_prefix(1);
    const Text within = Text(key) + u"\\";
    auto starts = [&](TextView start) { return StartsWithIgnoringCase(within, start); };
    return std::any_of(std::begin(kBlockedRoots), std::end(kBlockedRoots), starts) &&
           std::none_of(std::begin(kOpenKeys), std::end(kOpenKeys), starts);
}

const cAdmxSet* AdmxSetOfDocument(const CPelwinDoc& doc) {
    const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState());
    return state ? state->set.get() : nullptr;
}

std::vector<std::vector<cFinding>> CheckMdmUpload(const std::vector<cMdmFile>& files) {
    std::vector<std::vector<cFinding>> out(files.size());
    const cTargets targets(files);
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].set)
            continue;
        cMdmChecks(*files[i].set, out[i]).Run();
        Prerequisites(files, i, targets, out[i]);
    }
    return out;
}

void ApplyMdmProfile(std::vector<cFinding>& findings, std::vector<cFinding> profile) {
    for (cFinding& finding : findings)
        if (std::string_view(finding.rule) == LintRule(cLintRuleId::AdmxUnusedNamespace).id)
            finding.severity = cLintSeverity::Error;
    for (cFinding& finding : profile)
        findings.push_back(std::move(finding));
    SortFindings(findings);
}

cImportOrder MdmImportOrder(const std::vector<cMdmFile>& files) {
    cImportOrder out;
    const cTargets targets(files);
    // The files each file must come after, with the line of the using that asks for each.
    std::vector<std::vector<std::pair<size_t, int>>> after(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].set)
            continue;
        for (const cAdmxNamespaceDecl& use : AdmxNamespacesNeeded(files[i].set->admx)) {
            if (std::optional<size_t> other = targets.Of(use.name, i))
                after[i].push_back({*other, use.line});
            else
                out.faults.push_back(
                    {i, use.line,
                     u"namespace " + FromUtf8(use.name) + u" (prefix " + FromUtf8(use.prefix) +
                         u") is targeted by none of the files given; " + ImportMissing(use.name)});
        }
    }
    if (!out.faults.empty())
        return out;
    std::vector<bool> placed(files.size(), false);
    auto ready = [&](size_t i) {
        return std::all_of(after[i].begin(), after[i].end(),
                           [&](const auto& need) { return placed[need.first]; });
    };
    // Each round takes the first file in the given order whose namespaces are all there, so
    // that files that need nothing of each other keep their order.
    while (out.order.size() < files.size()) {
        size_t next = files.size();
        for (size_t i = 0; i < files.size() && next == files.size(); ++i)
            if (!placed[i] && ready(i))
                next = i;
        if (next == files.size())
            break;
        placed[next] = true;
        out.order.push_back(next);
    }
    if (out.order.size() == files.size())
        return out;
    // None is ready: walking from a waiting file to a file it waits for comes round to a file
    // seen before, and the files from there on need each other.
    std::vector<size_t> walk;
    size_t at = std::find(placed.begin(), placed.end(), false) - placed.begin();
    while (std::find(walk.begin(), walk.end(), at) == walk.end()) {
        walk.push_back(at);
        for (const auto& need : after[at])
            if (!placed[need.first]) {
                at = need.first;
                break;
            }
    }
    walk.erase(walk.begin(), std::find(walk.begin(), walk.end(), at));
    Text names;
    for (size_t file : walk)
        names += (names.empty() ? u"" : u", ") + FileName(files[file].path);
    int line = 0;
    for (const auto& need : after[walk.front()])
        if (need.first == walk[(1 % walk.size())])
            line = need.second;
    out.order.clear();
    out.faults.push_back({walk.front(), line,
                          u"these files use each other's namespaces, so none can be imported "
                          u"first: " +
                              names});
    return out;
}
