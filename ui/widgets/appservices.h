#pragma once

#include <QIcon>
#include <vector>

#include "core/document/docmanager.h"

// The template Window > Compare with... compares the active one with: another open template
// or a file, and which of the two is the older release.
struct cCompareChoice {
    CPelwinDoc* other = nullptr;  // an open template; none: the file at path
    Text path;
    bool otherIsOlder = true;
};

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
    // Window > Compare with...: what to compare the active template with, offered the other
    // open ones; false when cancelled.
    virtual bool AskCompareWith(const CPelwinDoc& active, const std::vector<CPelwinDoc*>& others,
                                cCompareChoice& choice) {
        (void)active, (void)others, (void)choice;
        return false;
    }
    // File > Export documentation site: the folder to write the site into, offered as given;
    // false when cancelled.
    virtual bool AskSiteFolder(Text& folder) {
        (void)folder;
        return false;
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
