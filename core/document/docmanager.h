#pragma once

#include <memory>
#include <vector>

#include "core/document/document.h"
#include "core/model/seams.h"

// Questions the document flows ask the user. The editor shows dialogs; tests answer them.
class cDocPrompts {
public:
    virtual ~cDocPrompts() = default;
    // "Save changes to %1?" with Yes, No and Cancel.
    virtual cAnswer AskYesNoCancel(const Text& question) = 0;
    // The save format dialog, offering utf16; true when confirmed with OK (utf16 then holds
    // the choice).
    virtual bool AskFormat(int& utf16) = 0;
    // The save dialog; false when cancelled.
    virtual bool AskSavePath(const CPelwinDoc& doc, Text& path) = 0;
    // Whether to save although the template holds content that saving loses; the question
    // is offered with Save and Cancel. True for Save.
    virtual bool AskSaveAnyway(const Text& question) = 0;
    // Whether to read a template again that another program changed: true to reload, false
    // to keep the document as it is.
    virtual bool AskReload(const Text& question) {
        return AskYesNoCancel(question) == cAnswer::Yes;
    }
};

// The title of a document's window: the file's name, and for a format of several languages
// the one shown ("chrome.admx [en-US]").
Text DocumentTitle(const CPelwinDoc& doc, const Text& fileName);
// The title of doc's window among the open documents: when another of them is a file of the
// same name in another folder, the folder's name follows ("chrome.admx [en-US] — 2017").
Text TitleAmong(const CPelwinDoc& doc, const std::vector<const CPelwinDoc*>& open);
// Whether path names an ADM file (".adm", any case).
bool IsAdmFileName(const Text& path);

// The question a save asks first when the document holds content it does not keep; empty
// when there is none.
Text PassedOverQuestion(const CPelwinDoc& doc);

// The windows of the documents: the editor's child frames, or stand-ins.
class cDocViews {
public:
    virtual ~cDocViews() = default;
    // Creates the frame and views of a new document and tells the document about them
    // (SetFrame, SetTreeView). False when they cannot be created.
    virtual bool CreateViews(CPelwinDoc& doc) = 0;
    // The read succeeded: show the window.
    virtual void ShowViews(CPelwinDoc& doc) { (void)doc; }
    virtual void ActivateViews(CPelwinDoc& doc) = 0;
    virtual void DestroyViews(CPelwinDoc& doc) = 0;
    // Title or path changed.
    virtual void TitleChanged(CPelwinDoc& doc) { (void)doc; }
    // A remark on what just happened, for the status bar.
    virtual void ShowStatus(const Text& text) { (void)text; }
    // The recent-file list changed.
    virtual void RecentFilesChanged() {}
};

// The documents of one run and their New, Open, Save, Save As and Close flows.
class cDocManager {
public:
    static constexpr size_t kRecentFileCount = 4;

    cDocManager(cDocViews& views, cDocPrompts& prompts);
    ~cDocManager();

    // A new, empty template of format (an ADM template unless another is given).
    CPelwinDoc* New(const cTemplateFormat* format = nullptr);
    // Opens path, or activates the window of the document already open with it (then
    // nothing is read and that document is returned). Null when the read fails, or when
    // nothing in the file was read as a template (a picture, a password file): that is
    // refused with a message naming the file, so that no save can empty it.
    CPelwinDoc* Open(const Text& path);
    // Opens recent file index (0-based); an entry that fails to open is removed.
    CPelwinDoc* OpenRecent(size_t index);
    // File Save: under the document's path, or as Save As without a usable one.
    bool Save(CPelwinDoc& doc);
    bool SaveAs(CPelwinDoc& doc);
    // Asks about unsaved changes; false when the close stops.
    bool Close(CPelwinDoc& doc);
    // When another program changed or removed a file of doc since it was read or saved: says
    // so and offers to read it again (losing the unsaved edits, which the question names) or
    // to keep the document as it is. Returns the document that now stands for the file: a
    // reload replaces doc by a new one, and doc is then gone.
    CPelwinDoc* CheckOutsideChange(CPelwinDoc& doc);
    // Reads doc's file again into a new document that takes doc's place; doc stays as it is
    // and null is returned when the read fails.
    CPelwinDoc* Reload(CPelwinDoc& doc);
    // Closes every document (exit): asks about each changed one first, in window order, and
    // closes nothing when one of the questions is cancelled or a save fails.
    bool CloseAll();

    const std::vector<std::unique_ptr<CPelwinDoc>>& Documents() const { return m_docs; }
    CPelwinDoc* FindByPath(const Text& path) const;

    const std::vector<Text>& RecentFiles() const { return m_recent; }
    void SetRecentFiles(std::vector<Text> files);
    void AddRecentFile(const Text& path);

private:
    bool DoSave(CPelwinDoc& doc, bool askName);
    // Save As of a template whose format holds no class nodes (an ADMX set) to an ADM file:
    // a converted copy, after the question naming what it loses; the document stays as it is.
    bool SaveConvertedCopy(CPelwinDoc& doc, const Text& path);
    // "Save changes to %1?" for a modified document, and the save on Yes; false when the
    // user cancelled or the save failed.
    bool SettleChanges(CPelwinDoc& doc);
    CPelwinDoc* CreateDocument();
    void Discard(CPelwinDoc& doc);

    cDocViews& m_views;
    cDocPrompts& m_prompts;
    std::vector<std::unique_ptr<CPelwinDoc>> m_docs;
    std::vector<Text> m_recent;
    int m_newCount = 0;
    // Set while the question about an outside change is open: the activations it causes do
    // not ask again.
    bool m_askingOutsideChange = false;
};
