#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/document/editrules.h"
#include "core/io/filestamp.h"
#include "core/model/readlog.h"
#include "core/model/stringmap.h"
#include "core/model/templateformat.h"
#include "core/model/templatetree.h"
#include "core/text/text.h"

// One open template: its file-level state, its string table and its tree, carried through
// New, Open, Save, Save As and Close.
class cStepSink;

class CPelwinDoc : public cTreeOwner {
public:
    CPelwinDoc();
    ~CPelwinDoc() override;
    CPelwinDoc(const CPelwinDoc&) = delete;
    CPelwinDoc& operator=(const CPelwinDoc&) = delete;

    const Text& Path() const { return m_path; }
    void SetPath(Text path) { m_path = std::move(path); }
    const Text& Title() const { return m_title; }
    void SetTitle(Text title) { m_title = std::move(title); }

    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(int flag) override;
    // Called whenever the modified flag changes (the window shows it in its caption).
    void SetModifiedCallback(std::function<void(bool)> callback) {
        m_modifiedCallback = std::move(callback);
    }

    // 1: stored as UTF-16 ("UNICODE format"); 0: as 8-bit text ("ASCII format").
    int Utf16() const { return m_utf16; }
    void SetUtf16(int flag) { m_utf16 = flag; }

    cStringMap& Strings() { return m_strings; }
    const cStringMap& Strings() const { return m_strings; }
    Text ResolveText(TextView text) const override;
    void MergeStrings(const cStringMap& other);
    // Re-shows every node's label and every part's panel after the string table changed.
    void RefreshAllNodes();

    // The window the template is shown in; reading refuses to run without one. Opaque here.
    void SetFrame(void* frame) { m_frame = frame; }
    void* Frame() const { return m_frame; }
    // The view holding the nodes; reading refuses to run without one.
    void SetTreeView(cTemplateTree* tree) { m_treeView = tree; }
    cTemplateTree* TreeView() const { return m_treeView; }
    // Where the document's edits go to be undone (the editor's undo stack); none: edits are
    // made and forgotten.
    void SetStepSink(cStepSink* sink) { m_stepSink = sink; }
    cStepSink* StepSink() const { return m_stepSink; }
    // The template's nodes.
    cTemplateTree& Tree() { return m_tree; }
    const cTemplateTree& Tree() const { return m_tree; }

    // The read steps: string table, encoding, tokens, tree. Every failure has been reported
    // when this returns false. With a log, the read also notes there the lines of the
    // strings, the references and the messages it showed.
    bool ReadFile(const Text& path, cReadLog* log = nullptr);
    // After a successful read: the file was not empty, yet gave neither a node, nor a
    // string, nor a comment line (random bytes, a lone byte-order mark).
    bool ReadNothing() const { return m_readNothing; }
    // What the read passed over without keeping it, by line, in file order; emptied by a
    // successful write, after which the document no longer holds it.
    std::vector<cPassedOver>& PassedOver() { return m_passedOver; }
    const std::vector<cPassedOver>& PassedOver() const { return m_passedOver; }
    // Whole-line comments after the last node that no node took along; written after the
    // nodes, before the strings section.
    std::vector<Text>& TrailingComments() { return m_trailingComments; }
    const std::vector<Text>& TrailingComments() const { return m_trailingComments; }
    // Writes the template to path in the current format, replacing the file only once all
    // of it was written. Every failure has been reported when this returns false, and the
    // file on disk is then as it was.
    bool WriteFile(const Text& path);
    // The files a write to path would produce, without writing them and without changing
    // anything of the document; false with every failure reported.
    bool WriteFilesFor(const Text& path, std::vector<cFileOutput>& files) const;
    // The first step of a write: whether every text can be written in the given encoding
    // (for an ADM template: UTF-16 or 8-bit) and read back the same; message says what to
    // change when not. It works on the tree view; without one there is nothing to check.
    bool CheckWritable(int utf16, Text& message) const;
    // The template as ADM text, whatever format it was read from; false without a tree view.
    bool WriteText(Text& out) const;
    // Whether another program changed or removed one of the files the document was last read
    // from or written to.
    enum class cOutsideChange { None, Changed, Removed };
    cOutsideChange OutsideChange() const;
    // The files as they are now count as the document's own.
    void AcceptOutsideChange();
    // The user chose to keep the document as it is over the files as they are now: the same
    // change is not asked about again (NewOutsideChange), yet a save still finds it
    // (OutsideChange), since writing would overwrite it.
    void DeclineOutsideChange();
    // OutsideChange, leaving out a change the user already declined to reload.
    cOutsideChange NewOutsideChange() const;

    // Makes the document a new, empty template of format, named name; false when it cannot,
    // the reason shown. Needs the tree view, as a read does.
    bool StartNew(const cTemplateFormat& format, const Text& name);
    // Before the first save of a new document as path: see cTemplateFormat::NameAfterFile.
    void NameAfterFile(const Text& path);
    // The language the template's texts are shown in, for a format of several; else empty.
    Text DisplayLanguage() const;
    bool HasClassNodes() const override { return m_format->HasClassNodes(); }

    // The format the document was read in and is written in (ADM for a new document).
    const cTemplateFormat& Format() const { return *m_format; }
    // What the format keeps beyond the model (for ADM: the template's other languages, once
    // some were added); null when nothing.
    cFormatState* FormatState() const { return m_formatState.get(); }
    void SetFormatState(std::unique_ptr<cFormatState> state) { m_formatState = std::move(state); }

    // The language whose texts a format of several languages (ADMX) shows; empty: its own
    // choice. Asked for before the read.
    const Text& Language() const { return m_language; }
    void SetLanguage(Text language) { m_language = std::move(language); }

private:
    cOutsideChange ChangeSince(bool declined) const;
    // The tree the read step fills; shows why there is none.
    cTemplateTree* TreeForReading() const;
    // The document's parts as the formats see them, with the given encoding.
    cTemplateContent Content(int& encoding) const;

    Text m_path;
    Text m_title;
    bool m_modified = false;
    int m_utf16 = 1;
    bool m_readNothing = false;
    cStringMap m_strings;
    std::vector<cPassedOver> m_passedOver;
    std::vector<Text> m_trailingComments;
    void* m_frame = nullptr;              // Not owned.
    cTemplateTree* m_treeView = nullptr;  // Not owned.
    const cTemplateFormat* m_format;      // Not owned: one of the formats' single objects.
    std::unique_ptr<cFormatState> m_formatState;
    // The files last read or written, as they were then.
    std::vector<std::pair<Text, cFileStamp>> m_stamps;
    // The same files as they were when the user last declined to reload them; empty when
    // nothing was declined since the last read or write.
    std::vector<cFileStamp> m_declined;
    Text m_language;
    cStepSink* m_stepSink = nullptr;  // Not owned.
    cTemplateTree m_tree;
    cEditRules m_editRules;
    std::function<void(bool)> m_modifiedCallback;
};
