#include "core/document/document.h"

#include <new>

#include "core/adm/templatewriter.h"
#include "core/document/formats.h"
#include "core/io/files.h"
#include "core/model/nodeobjects.h"
#include "core/model/seams.h"
#include "core/text/messages.h"

CPelwinDoc::CPelwinDoc()
    : m_format(&AdmFormat()), m_tree(this), m_editRules(m_tree, SharedState()) {
    m_tree.AddListener(&m_editRules);
}

CPelwinDoc::~CPelwinDoc() {
    // The nodes go while the document is still whole: deleting items reaches back to it.
    m_modifiedCallback = nullptr;
    m_tree.Clear();
    m_tree.RemoveListener(&m_editRules);
}

void CPelwinDoc::SetModifiedFlag(int flag) {
    bool modified = flag != 0;
    if (modified == m_modified)
        return;
    m_modified = modified;
    if (m_modifiedCallback)
        m_modifiedCallback(modified);
}

Text CPelwinDoc::ResolveText(TextView text) const {
    return m_format->ResolveText(m_strings, text);
}

void CPelwinDoc::MergeStrings(const cStringMap& other) {
    ::MergeStrings(m_strings, other);
}

void CPelwinDoc::RefreshAllNodes() {
    m_tree.ForEachPreOrder([](cTreeItem* item) {
        if (!item->node)
            return;
        item->node->UpdateDisplay();
        if (auto* policy = dynamic_cast<cObjPolicy*>(item->node.get()))
            for (const auto& part : policy->Parts())
                part->UpdateDisplay();
    });
}

cTemplateTree* CPelwinDoc::TreeForReading() const {
    if (!m_frame) {
        ShowMessage(kSeverityInternal, u"Unable to retrieve framewindow.");
        return nullptr;
    }
    if (!m_treeView)
        ShowMessage(kSeverityInternal, u"Unable to retrieve document view.");
    return m_treeView;
}

cTemplateContent CPelwinDoc::Content(int& encoding) const {
    // The formats read into and write from the document's parts; a write leaves them as they
    // are, so handing them out from a const document is safe.
    auto& self = const_cast<CPelwinDoc&>(*this);
    return cTemplateContent{[this] { return m_treeView; },
                            self.m_strings,
                            self.m_trailingComments,
                            self.m_passedOver,
                            self.m_formatState,
                            encoding,
                            m_language};
}

bool CPelwinDoc::CheckWritable(int utf16, Text& message) const {
    return m_format->CheckWritable(Content(utf16), message);
}

bool CPelwinDoc::WriteText(Text& out) const {
    out.clear();
    if (!m_treeView) {
        ShowMessage(kSeverityInternal, u"Unable to retrieve document view.");
        return false;
    }
    return SaveTemplate(*m_treeView, m_strings, out, &m_trailingComments);
}

bool CPelwinDoc::ReadFile(const Text& path, cReadLog* log) {
    m_readNothing = false;
    cFileBytes file;
    cFileError error;
    if (!file.Load(ToUtf8(path), error)) {
        ReportFileError(error, path);
        return false;
    }
    if (file.View().empty()) {
        ShowMessage(kSeverityError, u"Error reading file %s", {path});
        return false;
    }
    m_format = &FormatForContent(file.View());
    cTemplateContent content = Content(m_utf16);
    content.tree = [this] { return TreeForReading(); };
    cReadOutcome outcome = m_format->Read(path, file, content, log);
    m_readNothing = outcome == cReadOutcome::Nothing;
    if (outcome == cReadOutcome::Failed)
        return false;
    m_stamps.clear();
    for (Text& read : m_format->FilesRead(path, content))
        m_stamps.emplace_back(std::move(read), cFileStamp{});
    AcceptOutsideChange();
    return true;
}

void CPelwinDoc::NameAfterFile(const Text& path) {
    cTemplateContent content = Content(m_utf16);
    m_format->NameAfterFile(content, path);
}

bool CPelwinDoc::StartNew(const cTemplateFormat& format, const Text& name) {
    m_format = &format;
    cTemplateContent content = Content(m_utf16);
    content.tree = [this] { return TreeForReading(); };
    if (!m_format->New(name, content)) {
        m_format = &AdmFormat();
        return false;
    }
    m_language = content.language;
    return true;
}

Text CPelwinDoc::DisplayLanguage() const {
    int encoding = m_utf16;
    return m_format->DisplayLanguage(Content(encoding));
}

bool CPelwinDoc::WriteFilesFor(const Text& path, std::vector<cFileOutput>& files) const {
    try {
        Text problem;
        if (!CheckWritable(m_utf16, problem)) {
            ShowMessage(kSeverityError, u"%s", {problem});
            return false;
        }
        int encoding = m_utf16;
        return m_format->Write(Content(encoding), path, files);
    } catch (const std::bad_alloc&) {
        ShowMessage(kSeverityError, u"Error writing file %s: not enough memory", {path});
        return false;
    }
}

bool CPelwinDoc::WriteFile(const Text& path) {
    std::vector<cFileOutput> files;
    if (!WriteFilesFor(path, files))
        return false;
    if (files.size() == 1) {
        if (!ReplaceFile(files[0].path, files[0].bytes))
            return false;
    } else {
        // A set of files is replaced together or not at all.
        std::vector<cFileReplacement> set;
        for (const cFileOutput& file : files)
            set.push_back({file.path, file.bytes});
        if (!ReplaceFiles(set))
            return false;
    }
    m_passedOver.clear();
    m_stamps.clear();
    m_declined.clear();
    for (const cFileOutput& file : files)
        m_stamps.emplace_back(file.path, StampOf(file.path));
    return true;
}

CPelwinDoc::cOutsideChange CPelwinDoc::OutsideChange() const {
    return ChangeSince(false);
}

CPelwinDoc::cOutsideChange CPelwinDoc::NewOutsideChange() const {
    return ChangeSince(true);
}

CPelwinDoc::cOutsideChange CPelwinDoc::ChangeSince(bool declined) const {
    cOutsideChange change = cOutsideChange::None;
    for (size_t i = 0; i < m_stamps.size(); ++i) {
        const auto& [path, held] = m_stamps[i];
        const cFileStamp& stamp = declined && i < m_declined.size() ? m_declined[i] : held;
        cFileStamp now = StampOf(path);
        if (now == stamp)
            continue;
        // A file that is gone but was there is reported as removed, unless another one of
        // the set was changed, which a reload would show.
        if (stamp.exists && !now.exists) {
            if (change == cOutsideChange::None)
                change = cOutsideChange::Removed;
        } else {
            change = cOutsideChange::Changed;
        }
    }
    return change;
}

void CPelwinDoc::AcceptOutsideChange() {
    for (auto& [path, stamp] : m_stamps)
        stamp = StampOf(path);
    m_declined.clear();
}

void CPelwinDoc::DeclineOutsideChange() {
    m_declined.clear();
    for (const auto& [path, stamp] : m_stamps)
        m_declined.push_back(StampOf(path));
}
