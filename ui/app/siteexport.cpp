#include "ui/app/siteexport.h"

#include <QFileDialog>
#include <QSettings>

#include "core/check/docsite.h"
#include "core/document/docmanager.h"
#include "core/document/document.h"
#include "core/model/seams.h"
#include "core/text/messages.h"
#include "ui/app/pelwinapp.h"
#include "ui/widgets/appservices.h"

namespace {

const char kSettingsGroup[] = "Documentation site";

}  // namespace

bool cDialogPrompts::AskSiteFolder(Text& folder) {
    QString chosen = QFileDialog::getExistingDirectory(
        DialogParent(), QStringLiteral("Export documentation site to folder"),
        QString::fromStdU16String(folder));
    if (chosen.isEmpty())
        return false;
    folder = chosen.toStdU16String();
    return true;
}

bool ExportSite(cAppServices& services) {
    // A page still being edited belongs in the site as the user sees it.
    if (!SettleSheetEdits())
        return false;
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    Text folder = settings.value("Folder").toString().toStdU16String();
    if (!services.Prompts().AskSiteFolder(folder))
        return false;
    settings.setValue("Folder", QString::fromStdU16String(folder));

    std::vector<const CPelwinDoc*> docs;
    for (const auto& doc : services.Docs().Documents())
        docs.push_back(doc.get());
    if (docs.empty())
        return false;
    std::vector<cSiteFile> files = BuildSite(docs, cSiteOptions{});
    const size_t policies = SitePolicyCount(files);
    if (!WriteSite(ToUtf8(folder), files))
        return false;
    ShowMessage(kSeverityInformation, u"%d policy pages of %d templates were written to %s.",
                {int(policies), int(docs.size()), folder});
    return true;
}
