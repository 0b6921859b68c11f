#include "core/translate/admlanguages.h"

#include <cerrno>
#include <filesystem>
#include <new>

#include "core/adm/templatewriter.h"
#include "core/document/document.h"
#include "core/document/formats.h"
#include "core/edit/editops.h"
#include "core/io/files.h"
#include "core/text/messages.h"
#include "core/translate/structure.h"

namespace {

bool SameFile(const Text& a, const Text& b) {
    std::error_code ec;
    const std::filesystem::path pa(ToUtf8(a)), pb(ToUtf8(b));
    if (std::filesystem::equivalent(pa, pb, ec))
        return true;
    return std::filesystem::weakly_canonical(pa, ec) == std::filesystem::weakly_canonical(pb, ec);
}

bool FileExists(const Text& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(ToUtf8(path)), ec);
}

// The nodes a target is written from: its own while they have the template's structure,
// else the template's (which was changed since the file was read).
const cTemplateTree& TreeToWrite(const cAdmLanguageFiles::cTarget& target,
                                 const cTemplateTree& tree) {
    cStructureDifference difference;
    if (target.tree && SameStructure(tree, *target.tree, difference))
        return *target.tree;
    return tree;
}

// A deep copy of every item of `from` into the empty tree `to`.
void CopyTree(const cTemplateTree& from, cTemplateTree& to) {
    size_t row = 0;
    for (const cTreeItem* item = from.FirstRootItem(); item; item = from.NextSiblingOf(item))
        to.InsertItem(nullptr, row++, CloneSubtree(*item));
}

}  // namespace

// ---- The files ---------------------------------------------------------------------------

Text cAdmLanguageFiles::cTarget::ResolveText(TextView text) const {
    return ::ResolveText(table.strings, text);
}

std::unique_ptr<cFormatState> cAdmLanguageFiles::Clone() const {
    auto copy = std::make_unique<cAdmLanguageFiles>();
    for (const auto& target : targets) {
        auto twin = std::make_unique<cTarget>();
        twin->table = target->table;
        twin->path = target->path;
        twin->trailingComments = target->trailingComments;
        twin->encoding = target->encoding;
        twin->baseline = target->baseline;
        twin->pending = target->pending;
        if (target->tree) {
            twin->tree = std::make_unique<cTemplateTree>(twin.get());
            CopyTree(*target->tree, *twin->tree);
        }
        copy->targets.push_back(std::move(twin));
    }
    return copy;
}

bool cAdmLanguageFiles::Output(const cTarget& target, const cTemplateTree& tree,
                               const std::vector<Text>& trailingComments, std::string& bytes) {
    const cTemplateTree& nodes = TreeToWrite(target, tree);
    Text text;
    SaveTemplate(nodes, target.table.strings, text,
                 &nodes == target.tree.get() ? &target.trailingComments : &trailingComments);
    bytes = EncodeTemplate(text, target.encoding);
    if (!target.pending.empty()) {
        std::string onDisk;
        int err = 0;
        if (ReadWholeFile(ToUtf8(target.path), onDisk, err) && onDisk == target.pending)
            target.baseline = std::move(target.pending);
        target.pending.clear();
    }
    return bytes != target.baseline;
}

bool cAdmLanguageFiles::CheckWritable(const cTemplateContent& content, Text& message) const {
    cTemplateTree* tree = content.tree();
    if (!tree)
        return true;
    for (const auto& target : targets) {
        const cTemplateTree& nodes = TreeToWrite(*target, *tree);
        const std::vector<Text>* trailing =
            &nodes == target->tree.get() ? &target->trailingComments : &content.trailingComments;
        if (::CheckWritable(nodes, target->table.strings, target->encoding, message, trailing))
            continue;
        // A language left as it was read is not written, so nothing in it can fail.
        std::string bytes;
        if (Output(*target, *tree, content.trailingComments, bytes)) {
            message = target->table.language + u" (" + target->path + u"): " + message;
            return false;
        }
    }
    message.clear();
    return true;
}

bool cAdmLanguageFiles::Write(const cTemplateContent& content,
                              std::vector<cFileOutput>& files) const {
    cTemplateTree* tree = content.tree();
    if (!tree)
        return false;
    for (const auto& target : targets) {
        std::string bytes;
        if (Output(*target, *tree, content.trailingComments, bytes)) {
            target->pending = bytes;
            files.push_back({target->path, std::move(bytes)});
        }
    }
    return true;
}

// ---- The languages -----------------------------------------------------------------------

Text cAdmLanguages::SourceLanguage() const {
    return LanguageOfFileName(m_doc.Path());
}

bool cAdmLanguages::CanTake(const Text& language, Text& problem) const {
    if (!IsLanguageTag(language)) {
        problem = FormatText(u"\"%s\" is not a language such as de-DE.", {language});
        return false;
    }
    if (language == SourceLanguage()) {
        problem = FormatText(u"%s is the template's own language.", {language});
        return false;
    }
    if (Find(language)) {
        problem = FormatText(u"The template has a %s translation already.", {language});
        return false;
    }
    return true;
}

bool cAdmLanguages::CanAddLanguage(const Text& language, Text& problem) const {
    if (!CanTake(language, problem))
        return false;
    if (m_doc.Path().empty()) {
        problem = u"Save the template first: a new language's file is placed beside it.";
        return false;
    }
    Text path = LanguageFilePath(m_doc.Path(), language);
    if (FileExists(path)) {
        problem = FormatText(u"%s exists already: add it with Add translation from file.", {path});
        return false;
    }
    return true;
}

bool cAdmLanguages::AddFromFile(const Text& path, const Text& language, Text& problem) {
    if (!CanTake(language, problem))
        return false;
    if (!m_doc.Path().empty() && SameFile(path, m_doc.Path())) {
        problem = FormatText(u"%s is the template itself.", {path});
        return false;
    }
    for (const auto& target : m_files.targets) {
        if (SameFile(path, target->path)) {
            problem =
                FormatText(u"%s holds the %s translation already.", {path, target->table.language});
            return false;
        }
    }
    auto target = std::make_unique<cAdmLanguageFiles::cTarget>();
    target->table.language = language;
    target->path = path;
    target->tree = std::make_unique<cTemplateTree>(target.get());
    try {
        cMessageCollector messages;
        cFileBytes file;
        cFileError error;
        if (!file.Load(ToUtf8(path), error)) {
            ReportFileError(error, path);
            problem = messages.Texts();
            return false;
        }
        if (file.View().empty() || &FormatForContent(file.View()) != &AdmFormat()) {
            problem = FormatText(u"%s is not an ADM template.", {path});
            return false;
        }
        std::vector<cPassedOver> passedOver;
        std::unique_ptr<cFormatState> state;
        cTemplateTree* tree = target->tree.get();
        cTemplateContent content{[tree] { return tree; },
                                 target->table.strings,
                                 target->trailingComments,
                                 passedOver,
                                 state,
                                 target->encoding,
                                 {}};
        if (AdmFormat().Read(path, file, content, nullptr) != cReadOutcome::Read) {
            problem = messages.Texts().empty()
                          ? FormatText(u"%s holds no template.", {path})
                          : FormatText(u"%s cannot be read: %s", {path, messages.Texts()});
            return false;
        }
    } catch (const std::bad_alloc&) {
        problem = FormatText(u"%s cannot be read: not enough memory", {path});
        return false;
    }
    cStructureDifference difference;
    if (!SameStructure(m_doc.Tree(), *target->tree, difference)) {
        const Text where = difference.line > 0 ? FormatText(u"%s:%d", {path, difference.line})
                                               : FormatText(u"%s (template line %d)",
                                                            {path, difference.sourceLine});
        problem = FormatText(
            u"%s: %s. A translation must have the template's structure; the file was not added.",
            {where, difference.what});
        return false;
    }
    // What is there now was made against the display texts as they are now.
    for (const auto& [name, text] : target->table.strings.Entries())
        if (const Text* source = m_doc.Strings().Find(name))
            target->table.basis[name] = *source;
    Text text;
    SaveTemplate(*target->tree, target->table.strings, text, &target->trailingComments);
    target->baseline = EncodeTemplate(text, target->encoding);
    m_files.targets.push_back(std::move(target));
    return true;
}

bool cAdmLanguages::Insert(cLanguageTable& table) {
    if (m_doc.Path().empty() || !IsLanguageTag(table.language) || Find(table.language))
        return false;
    auto target = std::make_unique<cAdmLanguageFiles::cTarget>();
    target->path = LanguageFilePath(m_doc.Path(), table.language);
    target->table = std::move(table);
    // Whatever the template's own format, a new language may need any character.
    target->encoding = 1;
    m_files.targets.push_back(std::move(target));
    return true;
}

std::optional<cLanguageTable> cAdmLanguages::Take(TextView language) {
    for (auto at = m_files.targets.begin(); at != m_files.targets.end(); ++at) {
        if ((*at)->table.language != language)
            continue;
        cLanguageTable table = std::move((*at)->table);
        m_files.targets.erase(at);
        return table;
    }
    return std::nullopt;
}

bool cAdmLanguages::SaveTargets(std::vector<Text>* written) {
    for (const auto& target : m_files.targets) {
        std::string bytes;
        if (!cAdmLanguageFiles::Output(*target, m_doc.Tree(), m_doc.TrailingComments(), bytes))
            continue;
        const cTemplateTree& nodes = TreeToWrite(*target, m_doc.Tree());
        Text message;
        if (!::CheckWritable(nodes, target->table.strings, target->encoding, message,
                             &nodes == target->tree.get() ? &target->trailingComments
                                                          : &m_doc.TrailingComments())) {
            ShowMessage(kSeverityError, u"%s: %s", {target->path, message});
            return false;
        }
        if (!ReplaceFile(target->path, bytes))
            return false;
        target->baseline = std::move(bytes);
        if (written)
            written->push_back(target->path);
    }
    return true;
}
