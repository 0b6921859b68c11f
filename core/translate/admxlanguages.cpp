#include "core/translate/admxlanguages.h"

#include <algorithm>
#include <filesystem>

#include "core/admx/admxwrite.h"
#include "core/document/document.h"
#include "core/io/files.h"
#include "core/text/messages.h"

namespace {

// Whether two folder names are one language, whatever their case.
bool SameLanguage(TextView a, TextView b) {
    return KeywordEquals(a, b);
}

}  // namespace

cAdmxLanguages::cAdmxLanguages(CPelwinDoc& doc, cAdmxState& state)
    : m_doc(doc), m_state(state), m_tables((state.LoadLanguages(), *state.languages)) {}

Text cAdmxLanguages::SourceLanguage() const {
    return m_state.set ? LanguageTagOf(m_state.set->Display().folder) : Text();
}

Text cAdmxLanguages::AdmxPath() const {
    // The document's path once it has one (a Save As moves the set), else where it was read.
    if (!m_doc.Path().empty() || !m_state.set)
        return m_doc.Path();
    return m_state.set->path;
}

Text cAdmxLanguages::FileOf(const Text& folder) const {
    const std::filesystem::path admx(ToUtf8(AdmxPath()));
    return FromUtf8(
        (admx.parent_path() / ToUtf8(folder) / (admx.stem().string() + ".adml")).string());
}

Text cAdmxLanguages::PlaceOf(size_t index) const {
    // A language of the set keeps its folder as it is named on disk.
    const Text& language = m_tables[index].language;
    if (m_state.set)
        for (const auto& adml : m_state.set->languages)
            if (SameLanguage(adml->folder, language))
                return FileOf(adml->folder);
    return FileOf(language);
}

bool cAdmxLanguages::AddFromFile(const Text& path, const Text&, Text& problem) {
    problem = FormatText(
        u"%s: an ADMX set's languages are the ADML files in the folders beside it; a new one "
        u"is made with Add language.",
        {path});
    return false;
}

bool cAdmxLanguages::CanTake(const Text& language, Text& problem) const {
    if (!IsLanguageTag(language)) {
        problem = FormatText(u"\"%s\" is not a language such as de-DE.", {language});
        return false;
    }
    if (SameLanguage(language, SourceLanguage())) {
        problem = FormatText(u"%s is the template's own language.", {language});
        return false;
    }
    for (const cLanguageTable& table : m_tables) {
        if (SameLanguage(table.language, language)) {
            problem = FormatText(u"The template has a %s translation already.", {language});
            return false;
        }
    }
    return true;
}

bool cAdmxLanguages::CanAddLanguage(const Text& language, Text& problem) const {
    if (!CanTake(language, problem))
        return false;
    if (AdmxPath().empty()) {
        problem = u"Save the template first: a new language's file is placed beside it.";
        return false;
    }
    std::error_code ec;
    const Text path = FileOf(language);
    if (std::filesystem::exists(std::filesystem::path(ToUtf8(path)), ec)) {
        problem = FormatText(u"%s exists already but was not read with the set.", {path});
        return false;
    }
    return true;
}

bool cAdmxLanguages::Insert(cLanguageTable& table) {
    // A redo after a save finds the file it wrote: only the tag is checked again.
    Text problem;
    if (!CanTake(table.language, problem))
        return false;
    m_tables.push_back(std::move(table));
    return true;
}

std::optional<cLanguageTable> cAdmxLanguages::Take(TextView language) {
    for (auto at = m_tables.begin(); at != m_tables.end(); ++at) {
        if (at->language != language)
            continue;
        cLanguageTable table = std::move(*at);
        m_tables.erase(at);
        return table;
    }
    return std::nullopt;
}

bool cAdmxLanguages::SaveTargets(std::vector<Text>* written) {
    // The set's write over copies of the document's parts: it only reads them.
    cStringMap strings = m_doc.Strings();
    std::vector<Text> trailing = m_doc.TrailingComments();
    std::vector<cPassedOver> passedOver;
    std::unique_ptr<cFormatState> state = m_state.Clone();
    // Only the translations go out here: the revisions follow with the ADMX file's save.
    static_cast<cAdmxState&>(*state).templateProps.reset();
    int encoding = 1;
    cTemplateTree* tree = &m_doc.Tree();
    cTemplateContent content{
        [tree] { return tree; }, strings, trailing, passedOver, state, encoding, m_doc.Language()};
    std::vector<cFileOutput> files;
    if (!WriteAdmxSet(content, AdmxPath(), files, nullptr))
        return false;
    std::vector<Text> places;
    for (size_t i = 0; i < m_tables.size(); ++i)
        places.push_back(PlaceOf(i));
    std::vector<cFileReplacement> changed;
    for (const cFileOutput& file : files) {
        if (std::find(places.begin(), places.end(), file.path) == places.end())
            continue;
        std::string onDisk;
        int err = 0;
        if (ReadWholeFile(ToUtf8(file.path), onDisk, err) && onDisk == file.bytes)
            continue;
        changed.push_back({file.path, file.bytes});
    }
    if (!changed.empty() && !ReplaceFiles(changed))
        return false;
    if (written)
        for (const cFileReplacement& file : changed)
            written->push_back(file.path);
    return true;
}
