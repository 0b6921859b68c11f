#include "core/document/docmanager.h"
#include "core/io/files.h"
#include "core/io/paths.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "core/convert/admxtoadm.h"
#include "core/document/formats.h"
#include "core/text/messages.h"

namespace {

namespace fs = std::filesystem;

// Two paths name the same file when their canonical forms agree.
fs::path CanonicalOf(const Text& path) {
    std::error_code ec;
    fs::path p = PathFromUtf8(ToUtf8(path));
    fs::path canonical = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? p.lexically_normal() : canonical;
}

Text FileNameOf(const Text& path) {
    return FromUtf8(Utf8FromPath(PathFromUtf8(ToUtf8(path)).filename()));
}

// A file in which nothing was read as a template (a picture, a password file) would open
// as an empty one, and a save would then replace it with nothing: it is refused.
bool RefuseNothingRead(const CPelwinDoc& doc, const Text& path) {
    if (!doc.ReadNothing())
        return false;
    ShowMessage(kSeverityError,
                u"%s is not a template: nothing in it was read as a category, policy, string "
                u"or comment. It was not opened.",
                {FileNameOf(path)});
    return true;
}

// A plain Save needs a new name when the file has gone or cannot be written.
bool NeedsNewName(const Text& path) {
    if (path.empty())
        return true;
    return !IsWritableFile(path);
}

// Reads doc from path, telling the warnings of a read that went on over faults in one
// message after it rather than in a box each.
bool ReadTellingFaults(CPelwinDoc& doc, const Text& path) {
    std::vector<Text> warnings;
    {
        cHeldWarnings held;
        if (!doc.ReadFile(path))
            return false;
        warnings = held.Warnings();
    }
    if (warnings.empty())
        return true;
    Text text = FormatText(
        u"%s opens with %d %s; they are marked in the tree, and Tools > "
        u"Check template lists them:\n",
        {path, long(warnings.size()), warnings.size() == 1 ? u"fault" : u"faults"});
    for (size_t i = 0; i < warnings.size() && i < 10; ++i)
        text += u"\n" + warnings[i];
    if (warnings.size() > 10)
        text += u"\n...";
    ShowMessage(kSeverityWarning, u"%s", {text});
    return true;
}

}  // namespace

cDocManager::cDocManager(cDocViews& views, cDocPrompts& prompts)
    : m_views(views), m_prompts(prompts) {}

cDocManager::~cDocManager() {
    while (!m_docs.empty())
        Discard(*m_docs.back());
}

CPelwinDoc* cDocManager::CreateDocument() {
    m_docs.push_back(std::make_unique<CPelwinDoc>());
    CPelwinDoc* doc = m_docs.back().get();
    if (!m_views.CreateViews(*doc)) {
        m_docs.pop_back();
        return nullptr;
    }
    return doc;
}

void cDocManager::Discard(CPelwinDoc& doc) {
    m_views.DestroyViews(doc);
    auto it =
        std::find_if(m_docs.begin(), m_docs.end(), [&](const auto& d) { return d.get() == &doc; });
    if (it != m_docs.end()) {
        // Unlink before destroying, so nothing finds a half-destroyed document.
        std::unique_ptr<CPelwinDoc> doomed = std::move(*it);
        m_docs.erase(it);
    }
}

Text DocumentTitle(const CPelwinDoc& doc, const Text& fileName) {
    const Text language = doc.DisplayLanguage();
    return language.empty() ? fileName : fileName + u" [" + language + u"]";
}

Text TitleAmong(const CPelwinDoc& doc, const std::vector<const CPelwinDoc*>& open) {
    if (doc.Path().empty())
        return doc.Title();
    const fs::path own = PathFromUtf8(ToUtf8(doc.Path()));
    for (const CPelwinDoc* other : open) {
        if (!other || other == &doc || other->Path().empty())
            continue;
        const fs::path theirs = PathFromUtf8(ToUtf8(other->Path()));
        if (theirs.filename() == own.filename() && theirs.parent_path() != own.parent_path())
            return doc.Title() + u" \u2014 " + FromUtf8(Utf8FromPath(own.parent_path().filename()));
    }
    return doc.Title();
}

bool IsAdmFileName(const Text& path) {
    return path.size() >= 4 && path[path.size() - 4] == u'.' &&
           KeywordEquals(TextView(path).substr(path.size() - 3), u"adm");
}

CPelwinDoc* cDocManager::New(const cTemplateFormat* format) {
    CPelwinDoc* doc = CreateDocument();
    if (!doc)
        return nullptr;
    const Text name = u"New" + FromUtf8(std::to_string(++m_newCount));
    if (format && !doc->StartNew(*format, name)) {
        Discard(*doc);
        return nullptr;
    }
    doc->SetTitle(DocumentTitle(*doc, format && !format->HasClassNodes() ? name + u".admx" : name));
    doc->SetModifiedFlag(0);
    m_views.TitleChanged(*doc);
    m_views.ShowViews(*doc);
    return doc;
}

CPelwinDoc* cDocManager::FindByPath(const Text& path) const {
    fs::path wanted = CanonicalOf(path);
    for (const auto& doc : m_docs)
        if (!doc->Path().empty() && CanonicalOf(doc->Path()) == wanted)
            return doc.get();
    return nullptr;
}

CPelwinDoc* cDocManager::Open(const Text& path) {
    if (CPelwinDoc* open = FindByPath(path)) {
        m_views.ActivateViews(*open);
        return open;
    }
    CPelwinDoc* doc = CreateDocument();
    if (!doc)
        return nullptr;
    size_t shownBefore = MessagesShown();
    if (!ReadTellingFaults(*doc, path)) {
        // A few malformed endings make the read fail without a word; the user who chose
        // the file must still learn why no window opens.
        if (MessagesShown() == shownBefore)
            ShowMessage(kSeverityError, u"Error reading file %s", {path});
        Discard(*doc);
        return nullptr;
    }
    if (RefuseNothingRead(*doc, path)) {
        Discard(*doc);
        return nullptr;
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(PathFromUtf8(ToUtf8(path)), ec);
    doc->SetPath(ec ? path : FromUtf8(Utf8FromPath(absolute.lexically_normal())));
    doc->SetTitle(DocumentTitle(*doc, FileNameOf(path)));
    doc->SetModifiedFlag(0);
    AddRecentFile(doc->Path());
    m_views.TitleChanged(*doc);
    m_views.ShowViews(*doc);
    return doc;
}

CPelwinDoc* cDocManager::OpenRecent(size_t index) {
    if (index >= m_recent.size())
        return nullptr;
    Text path = m_recent[index];
    CPelwinDoc* doc = Open(path);
    if (!doc) {
        auto it = std::find(m_recent.begin(), m_recent.end(), path);
        if (it != m_recent.end())
            m_recent.erase(it);
        m_views.RecentFilesChanged();
    }
    return doc;
}

bool cDocManager::Save(CPelwinDoc& doc) {
    return DoSave(doc, NeedsNewName(doc.Path()));
}

bool cDocManager::SaveAs(CPelwinDoc& doc) {
    return DoSave(doc, true);
}

Text PassedOverQuestion(const CPelwinDoc& doc) {
    const std::vector<cPassedOver>& lines = doc.PassedOver();
    if (lines.empty())
        return Text();
    // A long line is shown by its beginning, and whatever would show as nothing (the bytes
    // of a file that is no template) by its code.
    constexpr size_t kShown = 80;
    const Text& first = lines.front().text;
    Text shown = PrintableText(TextView(first).substr(0, kShown));
    if (first.size() > kShown)
        shown += u"...";
    if (lines.size() == 1)
        return FormatText(
            u"This template holds 1 line that this editor does not keep (line %d: %s). Save "
            u"anyway?",
            {(long long)lines.front().line, shown});
    return FormatText(
        u"This template holds %d lines that this editor does not keep (first at "
        u"line %d: %s). Save anyway?",
        {(long long)lines.size(), (long long)lines.front().line, shown});
}

Text OutsideChangeQuestion(const CPelwinDoc& doc) {
    const Text name = doc.Title().empty() ? doc.Path() : doc.Title();
    switch (doc.OutsideChange()) {
        case CPelwinDoc::cOutsideChange::Changed:
            return FormatText(doc.IsModified()
                                  ? u"%s has been changed by another program. Reload it and "
                                    u"lose the changes made here?"
                                  : u"%s has been changed by another program. Reload it?",
                              {name});
        case CPelwinDoc::cOutsideChange::Removed:
            return FormatText(
                u"%s has been removed or renamed by another program. It stays open "
                u"here; Save writes it again.",
                {name});
        case CPelwinDoc::cOutsideChange::None:
            break;
    }
    return Text();
}

CPelwinDoc* cDocManager::CheckOutsideChange(CPelwinDoc& doc) {
    if (m_askingOutsideChange || doc.Path().empty())
        return &doc;
    const CPelwinDoc::cOutsideChange change = doc.NewOutsideChange();
    if (change == CPelwinDoc::cOutsideChange::None)
        return &doc;
    m_askingOutsideChange = true;
    const Text question = OutsideChangeQuestion(doc);
    CPelwinDoc* result = &doc;
    if (change == CPelwinDoc::cOutsideChange::Removed) {
        ShowMessage(kSeverityInformation, u"%s", {question});
        doc.AcceptOutsideChange();
    } else if (m_prompts.AskReload(question)) {
        if (CPelwinDoc* reloaded = Reload(doc))
            result = reloaded;
    } else {
        // Kept as it is here, but the other program's file is still on disk: Save asks
        // before it overwrites it.
        doc.DeclineOutsideChange();
    }
    m_askingOutsideChange = false;
    return result;
}

CPelwinDoc* cDocManager::Reload(CPelwinDoc& doc) {
    CPelwinDoc* fresh = CreateDocument();
    if (!fresh)
        return nullptr;
    const Text path = doc.Path();
    size_t shownBefore = MessagesShown();
    if (!ReadTellingFaults(*fresh, path)) {
        if (MessagesShown() == shownBefore)
            ShowMessage(kSeverityError, u"Error reading file %s", {path});
        Discard(*fresh);
        return nullptr;
    }
    if (RefuseNothingRead(*fresh, path)) {
        Discard(*fresh);
        return nullptr;
    }
    fresh->SetPath(path);
    fresh->SetTitle(doc.Title());
    fresh->SetModifiedFlag(0);
    Discard(doc);
    m_views.TitleChanged(*fresh);
    m_views.ShowViews(*fresh);
    return fresh;
}

bool cDocManager::DoSave(CPelwinDoc& doc, bool askName) {
    Text question = PassedOverQuestion(doc);
    if (!question.empty() && !m_prompts.AskSaveAnyway(question))
        return false;
    // Nothing another program wrote is overwritten without a word.
    if (!askName && doc.OutsideChange() == CPelwinDoc::cOutsideChange::Changed &&
        !m_prompts.AskSaveAnyway(
            FormatText(u"%s was changed by another program since it was opened here. Overwrite it?",
                       {doc.Title()})))
        return false;
    int format = doc.Utf16();
    Text path = doc.Path();
    // A set keeps the encoding of each of its files: the ADM encoding is asked only of a
    // template, or of a set saved as one.
    const bool classNodes = doc.HasClassNodes();
    if (askName) {
        int choice = format;
        if (classNodes && m_prompts.AskFormat(choice))
            format = choice;
        if (!m_prompts.AskSavePath(doc, path) || path.empty())
            return false;
        if (!classNodes && IsAdmFileName(path))
            return SaveConvertedCopy(doc, path);
    }
    // On Cancel nothing is written and the document stays exactly as it was.
    if (!SettleSheetEdits())
        return false;
    // The chosen format holds from the first successful write on, and so does a name
    // taken from the file.
    int previousFormat = doc.Utf16();
    std::unique_ptr<cFormatState> previousState;
    if (askName && doc.FormatState()) {
        previousState = doc.FormatState()->Clone();
        doc.NameAfterFile(path);
    }
    doc.SetUtf16(format);
    if (!doc.WriteFile(path)) {
        doc.SetUtf16(previousFormat);
        if (previousState)
            doc.SetFormatState(std::move(previousState));
        return false;
    }
    if (askName) {
        std::error_code ec;
        fs::path absolute = fs::absolute(PathFromUtf8(ToUtf8(path)), ec);
        doc.SetPath(ec ? path : FromUtf8(Utf8FromPath(absolute.lexically_normal())));
        doc.SetTitle(DocumentTitle(doc, FileNameOf(path)));
    }
    if (askName)
        AddRecentFile(doc.Path());
    doc.SetModifiedFlag(0);
    m_views.TitleChanged(doc);
    return true;
}

bool cDocManager::SaveConvertedCopy(CPelwinDoc& doc, const Text& path) {
    if (!SettleSheetEdits())
        return false;
    CPelwinDoc adm;
    adm.SetFrame(&adm);
    adm.SetTreeView(&adm.Tree());
    std::vector<cConversionNote> notes;
    AdmxToAdm(doc.Tree(), doc.Strings(), adm.Tree(), adm.Strings(), notes);
    if (!notes.empty()) {
        // The first few by name, the rest counted. Their lines are of the set's ADMX file,
        // named, as a set is several files.
        constexpr size_t kListed = 5;
        const Text file = doc.Path().empty() ? doc.Title() : FileNameOf(doc.Path());
        Text listed;
        for (size_t i = 0; i < notes.size() && i < kListed; ++i)
            listed +=
                u"\n- " +
                (notes[i].line > 0 ? FormatText(u"%s line %d: ", {file, (long long)notes[i].line})
                                   : Text()) +
                PrintableText(notes[i].what);
        if (notes.size() > kListed)
            listed += FormatText(u"\n... and %d more", {(long long)(notes.size() - kListed)});
        if (!m_prompts.AskSaveAnyway(FormatText(
                u"An ADM template cannot hold all of this set: the copy leaves out or changes "
                u"%d of its parts.%s\n\nSave the copy anyway?",
                {(long long)notes.size(), listed})))
            return false;
    }
    int format = 1;
    if (m_prompts.AskFormat(format))
        adm.SetUtf16(format);
    if (!adm.WriteFile(path))
        return false;
    AddRecentFile(path);
    m_views.ShowStatus(u"Saved a copy as the ADM template " + FileNameOf(path) +
                       u"; this window "
                       u"still edits " +
                       doc.Title());
    return true;
}

bool cDocManager::SettleChanges(CPelwinDoc& doc) {
    if (!doc.IsModified())
        return true;
    Text question = u"Save changes to %1?";
    question.replace(question.find(u"%1"), 2, doc.Title());
    switch (m_prompts.AskYesNoCancel(question)) {
        case cAnswer::Yes:
            return Save(doc);
        case cAnswer::No:
            return true;
        case cAnswer::Cancel:
            break;
    }
    return false;
}

bool cDocManager::Close(CPelwinDoc& doc) {
    if (!SettleChanges(doc))
        return false;
    Discard(doc);
    return true;
}

bool cDocManager::CloseAll() {
    // Every question first, in window order, with the window it is about in front; only
    // when all are answered does anything close, so a Cancel leaves every window open.
    std::vector<CPelwinDoc*> docs;
    for (const auto& doc : m_docs)
        docs.push_back(doc.get());
    for (CPelwinDoc* doc : docs) {
        if (!doc->IsModified())
            continue;
        m_views.ActivateViews(*doc);
        if (!SettleChanges(*doc))
            return false;
    }
    while (!m_docs.empty())
        Discard(*m_docs.back());
    return true;
}

void cDocManager::SetRecentFiles(std::vector<Text> files) {
    files.erase(std::remove(files.begin(), files.end(), Text()), files.end());
    if (files.size() > kRecentFileCount)
        files.resize(kRecentFileCount);
    m_recent = std::move(files);
    m_views.RecentFilesChanged();
}

void cDocManager::AddRecentFile(const Text& path) {
    auto it = std::find(m_recent.begin(), m_recent.end(), path);
    if (it != m_recent.end())
        m_recent.erase(it);
    m_recent.insert(m_recent.begin(), path);
    if (m_recent.size() > kRecentFileCount)
        m_recent.resize(kRecentFileCount);
    m_views.RecentFilesChanged();
}
