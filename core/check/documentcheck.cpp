#include "core/check/documentcheck.h"

#include "core/check/mdm.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string_view>

#include "core/admx/admxset.h"
#include "core/document/document.h"
#include "core/io/paths.h"
#include "core/model/nodeobjects.h"
#include "core/model/nodetexts.h"
#include "core/text/messages.h"

namespace {

// A folder of its own under the system's temporary folder, gone with this object.
class cScratchFolder {
public:
    cScratchFolder() {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error)
            return;
        std::random_device random;
        for (int attempt = 0; attempt < 16 && m_path.empty(); ++attempt) {
            std::filesystem::path path = base / ("tessary-check-" + std::to_string(random()));
            if (std::filesystem::create_directory(path, error) && !error)
                m_path = path;
        }
    }
    ~cScratchFolder() {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    cScratchFolder(const cScratchFolder&) = delete;
    cScratchFolder& operator=(const cScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

bool WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

// Each node and part line of the tree, with the place of its tree item.
struct cLinePlace {
    int line;
    std::vector<size_t> place;
};

void CollectLines(const cTreeItem& item, std::vector<size_t>& place,
                  std::vector<cLinePlace>& lines) {
    for (size_t i = 0; i < item.children.size(); ++i) {
        const cTreeItem& child = *item.children[i];
        place.push_back(i);
        if (const cData* node = child.node.get()) {
            if (node->line > 0)
                lines.push_back({node->line, place});
            if (const auto* policy = dynamic_cast<const cObjPolicy*>(node))
                for (const auto& part : policy->Parts())
                    if (part->line > 0)
                        lines.push_back({part->line, place});
        }
        CollectLines(child, place, lines);
        place.pop_back();
    }
}

// The supportedOn definitions of a set, by the lines they begin on, each at the place of the
// first policy that refers to it: a finding inside a definition leads to where it shows.
void CollectDefinitionLines(const CPelwinDoc& copy, std::vector<cLinePlace>& lines) {
    const auto* state = dynamic_cast<const cAdmxState*>(copy.FormatState());
    if (!state || !state->set)
        return;
    const cAdmxSet& set = *state->set;
    for (const auto& entry : set.supportedOn) {
        // Named, not bound: clang 14 does not let a lambda capture a structured binding.
        const auto& name = entry.first;
        const auto& element = entry.second;
        if (!Is(element, "definition"))
            continue;
        std::vector<size_t> place;
        bool found = false;
        std::vector<size_t> at;
        std::function<void(const cTreeItem&)> walk = [&](const cTreeItem& item) {
            for (size_t i = 0; i < item.children.size() && !found; ++i) {
                at.push_back(i);
                const cData* node = item.children[i]->node.get();
                std::string local;
                if (node && node->admx && !node->admx->supportedOn.empty() &&
                    set.Resolve(ToUtf8(node->admx->supportedOn), local) == cAdmxSet::cPlace::Here &&
                    local == name) {
                    place = at;
                    found = true;
                }
                walk(*item.children[i]);
                at.pop_back();
            }
        };
        walk(*copy.Tree().Root());
        if (found)
            lines.push_back({set.admx.LineOf(element), std::move(place)});
    }
}

// The place of the first node whose texts refer to the string a finding names ("string ID
// ..."); empty when it names none or no node refers to it.
std::vector<size_t> PlaceOfStringIn(const cTemplateTree& tree, const Text& text) {
    static constexpr TextView kString = u"string ";
    const size_t at = text.find(kString);
    if (at == Text::npos)
        return {};
    const size_t begin = at + kString.size();
    const size_t end = text.find_first_of(u" ,:;", begin);
    const Text word = text.substr(begin, end - begin);
    const Text reference = word.starts_with(u"$(string.") ? word : u"$(string." + word + u")";
    std::vector<size_t> place;
    std::vector<size_t> path;
    std::function<bool(const cTreeItem&)> walk = [&](const cTreeItem& item) {
        for (size_t i = 0; i < item.children.size(); ++i) {
            path.push_back(i);
            bool uses = false;
            if (const cData* node = item.children[i]->node.get())
                ForEachNodeText(*node,
                                [&](const Text& value) { uses = uses || value == reference; });
            if (uses || walk(*item.children[i])) {
                if (place.empty())
                    place = path;
                return true;
            }
            path.pop_back();
        }
        return false;
    };
    walk(*tree.Root());
    return place;
}

}  // namespace

bool CheckDocument(const CPelwinDoc& doc, std::vector<cDocumentFinding>& findings, Text& problem,
                   bool mdm) {
    findings.clear();
    cScratchFolder folder;
    if (folder.Path().empty()) {
        problem = u"No temporary folder could be made for the check.";
        return false;
    }
    // The files under the template's own name, so that a set's languages find their ADMX.
    std::filesystem::path own = PathFromUtf8(ToUtf8(doc.Path())).filename();
    if (own.empty())
        own = doc.HasClassNodes() ? "template.adm" : "template.admx";
    const std::filesystem::path main = folder.Path() / own;
    std::vector<cFileOutput> files;
    CPelwinDoc copy;
    cReadLog log;
    {
        // The read back's messages are lint's findings, not the user's.
        cMessageCollector quiet;
        if (!doc.WriteFilesFor(FromUtf8(Utf8FromPath(main)), files)) {
            problem =
                quiet.Texts().empty() ? Text(u"The template could not be written.") : quiet.Texts();
            return false;
        }
        for (const cFileOutput& file : files)
            if (!WriteBytes(PathFromUtf8(ToUtf8(file.path)), file.bytes)) {
                problem = u"The template could not be written to " + file.path + u".";
                return false;
            }
        copy.SetFrame(&copy);
        copy.SetTreeView(&copy.Tree());
        copy.SetLanguage(doc.DisplayLanguage());
        if (!copy.ReadFile(FromUtf8(Utf8FromPath(main)), &log) && log.findings.empty()) {
            problem = quiet.Texts().empty() ? Text(u"The template as written does not read back.")
                                            : quiet.Texts();
            return false;
        }
    }
    std::vector<cLinePlace> lines;
    std::vector<size_t> place;
    CollectLines(*copy.Tree().Root(), place, lines);
    CollectDefinitionLines(copy, lines);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const cLinePlace& a, const cLinePlace& b) { return a.line < b.line; });
    std::vector<cFinding> linted = LintTemplate(copy, log);
    if (mdm) {
        // A template of another format is no upload: the profile has nothing to say of it.
        const cMdmFile file{FromUtf8(Utf8FromPath(main)), AdmxSetOfDocument(copy)};
        ApplyMdmProfile(linted, std::move(CheckMdmUpload({file}).front()));
    }
    for (cFinding& finding : linted) {
        cDocumentFinding found;
        // A finding of the template's own file stands at the last node that begins on or
        // before its line, unless it is about the strings.
        std::string_view rule = finding.rule;
        bool aboutStrings = rule == "unused-string" || rule == "duplicate-string" ||
                            rule.starts_with("admx-unused-") || rule == "passed-over";
        if (finding.file.empty() && !aboutStrings) {
            auto after = std::upper_bound(
                lines.begin(), lines.end(), finding.line,
                [](int line, const cLinePlace& entry) { return line < entry.line; });
            if (after != lines.begin())
                found.place = std::prev(after)->place;
        }
        // A finding about a string (in any of the set's files) leads to a node that shows it.
        if (found.place.empty() && rule != "admx-unused-string")
            found.place = PlaceOfStringIn(copy.Tree(), finding.text);
        // Messages name the file checked: name the document's own files instead.
        if (!finding.file.empty()) {
            std::filesystem::path file = PathFromUtf8(ToUtf8(finding.file));
            std::error_code error;
            std::filesystem::path relative = std::filesystem::relative(file, folder.Path(), error);
            finding.file = FromUtf8(Utf8FromPath(error ? file.filename() : relative));
        }
        found.finding = std::move(finding);
        findings.push_back(std::move(found));
    }
    return true;
}

cTreeItem* ItemAtPlace(const cTemplateTree& tree, const std::vector<size_t>& place) {
    cTreeItem* at = tree.Root();
    for (size_t index : place) {
        if (!at || index >= at->children.size())
            return nullptr;
        at = at->children[index].get();
    }
    return place.empty() ? nullptr : at;
}
