#pragma once

#include <QIcon>
#include <vector>

#include "core/document/docmanager.h"

// Every modal question the editor asks. The editor answers them with dialogs; tests replace
// the whole set through CPelwinApp::SetPrompts.
class cAppPrompts : public cDocPrompts {
public:
    // The open dialog; false when cancelled.
    virtual bool AskOpenPath(Text& path) = 0;
    // The property sheet's question about edits not yet applied: Yes, No and Cancel with
    // the warning icon.
    virtual cAnswer AskApplyChanges(const Text& question) { return AskYesNoCancel(question); }
    // File > Export as ADMX: the folder and the language, offered as given; false when
    // cancelled.
    virtual bool AskAdmxExport(const CPelwinDoc& doc, Text& folder, Text& language) {
        (void)doc, (void)folder, (void)language;
        return false;
    }
    // What the export did: a summary and the mapping report, one line each.
    virtual void ShowAdmxReport(const Text& summary, const std::vector<Text>& lines) {
        (void)summary, (void)lines;
    }
};

// What the windows need of the application, handed to them by reference: the documents,
// the questions, the About box.
class cAppServices {
public:
    virtual ~cAppServices() = default;
    virtual cDocManager& Docs() = 0;
    virtual cAppPrompts& Prompts() = 0;
    virtual void ShowAbout() = 0;
};

// Makes the compiled-in pictures available; the resources live in a static library, so
// someone has to pull them in.
void EnsureResources();
QIcon AppIcon();
