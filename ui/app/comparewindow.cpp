#include "ui/app/comparewindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "core/document/document.h"
#include "core/io/paths.h"
#include "core/text/messages.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/app/pelwinapp.h"
#include "ui/tree/poltreeview.h"
#include "ui/widgets/appservices.h"

namespace {

QString Q(const Text& text) {
    return QString::fromStdU16String(text);
}

Text T(const QString& text) {
    return text.toStdU16String();
}

// What a report row stands for.
enum : int { kEntryRole = Qt::UserRole + 1 };

Text TitleOf(const CPelwinDoc& doc) {
    return doc.Title().empty() ? doc.Path() : doc.Title();
}

}  // namespace

// ---- The question ----------------------------------------------------------------------

cDialogCompareWith::cDialogCompareWith(const QString& activeTitle,
                                       const std::vector<QString>& others, QWidget* parent)
    : QDialog(parent),
      m_other(new QComboBox(this)),
      m_path(new QLineEdit(this)),
      m_browse(new QPushButton(QStringLiteral("&Browse..."), this)),
      m_browseFolder(new QPushButton(QStringLiteral("Fol&der..."), this)),
      m_older(new QRadioButton(QStringLiteral("the &older release"), this)),
      m_newer(new QRadioButton(QStringLiteral("the &newer release"), this)),
      m_ok(nullptr) {
    setWindowTitle(QStringLiteral("Compare with"));
    auto* intro = new QLabel(
        QStringLiteral("Compare %1 with another template, policy by policy.").arg(activeTitle),
        this);
    intro->setWordWrap(true);
    for (const QString& title : others)
        m_other->addItem(title);
    m_other->addItem(QStringLiteral("A file or a store folder..."));
    m_older->setChecked(true);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(m_browse);
    fileRow->addWidget(m_browseFolder);
    auto* role = new QHBoxLayout;
    role->addWidget(m_older);
    role->addWidget(m_newer);
    role->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Template:"), m_other);
    auto* fileLabel = new QLabel(QStringLiteral("&File or folder:"), this);
    fileLabel->setBuddy(m_path);
    form->addRow(fileLabel, fileRow);
    form->addRow(QStringLiteral("It is:"), role);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("Compare"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(m_browseFolder, &QPushButton::clicked, this, [this] { BrowseFolder(); });
    connect(m_other, &QComboBox::currentIndexChanged, this, [this] { Update(); });
    connect(m_path, &QLineEdit::textChanged, this, [this] { Update(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(480);
    Update();
}

int cDialogCompareWith::OtherIndex() const {
    return m_other->currentIndex() == m_other->count() - 1 ? -1 : m_other->currentIndex();
}

Text cDialogCompareWith::Path() const {
    return T(m_path->text().trimmed());
}

bool cDialogCompareWith::OtherIsOlder() const {
    return m_older->isChecked();
}

void cDialogCompareWith::Browse() {
    QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral("Compare with"), m_path->text(),
        QStringLiteral("Policy templates (*.adm *.admx);;All files (*)"));
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

void cDialogCompareWith::BrowseFolder() {
    QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Compare with the store in"), m_path->text());
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

void cDialogCompareWith::Update() {
    const bool file = OtherIndex() < 0;
    m_path->setEnabled(file);
    m_browse->setEnabled(file);
    m_browseFolder->setEnabled(file);
    m_ok->setEnabled(!file || !Path().empty());
}

bool cDialogPrompts::AskCompareWith(const CPelwinDoc& active,
                                    const std::vector<CPelwinDoc*>& others,
                                    cCompareChoice& choice) {
    std::vector<QString> titles;
    for (const CPelwinDoc* doc : others)
        titles.push_back(Q(TitleOf(*doc)));
    cDialogCompareWith dialog(Q(TitleOf(active)), titles, DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    int index = dialog.OtherIndex();
    choice.other = index >= 0 ? others[size_t(index)] : nullptr;
    choice.path = index >= 0 ? Text() : dialog.Path();
    choice.otherIsOlder = dialog.OtherIsOlder();
    return true;
}

// ---- The report ------------------------------------------------------------------------

cCompareWindow::cCompareWindow(CMainFrame& frame, cAppServices& services, cSide older, cSide newer,
                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_frame(frame),
      m_services(services),
      m_older(std::move(older)),
      m_newer(std::move(newer)),
      m_summary(new QLabel(this)),
      m_tree(new QTreeWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("compare"));
    setWindowTitle(QStringLiteral("Compare %1 with %2").arg(Q(m_older.title), Q(m_newer.title)));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_tree->setHeaderLabels({QStringLiteral("Policy"), QStringLiteral("Registry")});
    m_tree->setUniformRowHeights(true);
    m_tree->setAlternatingRowColors(true);
    // Paths share their beginnings; what tells them apart is at their end.
    m_tree->setTextElideMode(Qt::ElideMiddle);
    // A double click goes to the policy; it does not fold the row as well.
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->header()->setStretchLastSection(true);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* row) { GoTo(row); });
    auto* hint =
        new QLabel(QStringLiteral("Double-click a policy to select it in its template."), this);
    hint->setForegroundRole(QPalette::PlaceholderText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_tree, 1);
    layout->addWidget(hint);
    Fill();
    resize(860, 560);
}

cCompareWindow::~cCompareWindow() = default;

std::vector<const CPelwinDoc*> cCompareWindow::cSide::Docs() const {
    if (open)
        return {open};
    if (owned)
        return {owned.get()};
    std::vector<const CPelwinDoc*> docs;
    for (const auto& doc : store->docs)
        docs.push_back(doc.get());
    return docs;
}

void cCompareWindow::Fill() {
    m_result = DiffStores(m_older.Docs(), m_newer.Docs());
    m_summary->setText(QStringLiteral("From %1 (older) to %2 (newer): %3.")
                           .arg(Q(m_older.title), Q(m_newer.title),
                                QString::fromStdString(DiffSummary(m_result))));
    m_tree->clear();
    struct cGroup {
        cDiffKind kind;
        const char* name;
        size_t count;
        QTreeWidgetItem* item = nullptr;
    };
    cGroup groups[] = {{cDiffKind::Added, "Added", m_result.added},
                       {cDiffKind::Removed, "Removed", m_result.removed},
                       {cDiffKind::Changed, "Changed", m_result.changed}};
    for (cGroup& group : groups) {
        group.item = new QTreeWidgetItem(m_tree);
        group.item->setText(
            0, QStringLiteral("%1 (%2)").arg(QLatin1String(group.name)).arg(group.count));
        group.item->setFirstColumnSpanned(true);
        QFont bold = group.item->font(0);
        bold.setBold(true);
        group.item->setFont(0, bold);
    }
    for (size_t i = 0; i < m_result.entries.size(); ++i) {
        const cDiffEntry& entry = m_result.entries[i];
        QTreeWidgetItem* parent = groups[entry.kind == cDiffKind::Added     ? 0
                                         : entry.kind == cDiffKind::Removed ? 1
                                                                            : 2]
                                      .item;
        auto* row = new QTreeWidgetItem(parent);
        QString path = Q(entry.Path()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        row->setText(0, path);
        row->setToolTip(0, path);
        row->setText(1, Q(entry.KeyText()));
        row->setData(0, kEntryRole, qulonglong(i));
        for (const Text& change : entry.changes) {
            auto* what = new QTreeWidgetItem(row);
            what->setText(0, Q(change));
            what->setData(0, kEntryRole, qulonglong(i));
        }
    }
    for (const cGroup& group : groups)
        group.item->setExpanded(group.count > 0);
    m_tree->header()->resizeSection(0, 520);
}

bool cCompareWindow::GoTo(const QTreeWidgetItem* row) {
    QVariant data = row ? row->data(0, kEntryRole) : QVariant();
    if (!data.isValid())
        return false;
    const cDiffEntry& entry = m_result.entries.at(size_t(data.toULongLong()));
    const cSide& side = entry.kind == cDiffKind::Removed ? m_older : m_newer;
    // The template as the editor has it open: the one compared if it still is, else the file
    // opened now (or its window, when it is open already).
    CPelwinDoc* doc = nullptr;
    for (const auto& open : m_services.Docs().Documents())
        if (open.get() == side.open)
            doc = open.get();
    // A store's policy is in the file of its set, opened as any file is.
    const Text path = side.store && entry.doc ? entry.doc->Path() : side.path;
    if (!doc && side.store)
        doc = m_services.Docs().FindByPath(path);
    if (!doc && !path.empty())
        doc = m_services.Docs().Open(path);
    if (!doc) {
        if (side.path.empty())
            ShowMessage(kSeverityInformation, u"%s is no longer open.", {side.title});
        return false;
    }
    const cTreeItem* item = FindPolicy(*doc, entry.Identity(), entry.occurrence);
    if (!item) {
        ShowMessage(kSeverityInformation, u"%s no longer holds the policy %s.",
                    {TitleOf(*doc), entry.Path()});
        return false;
    }
    m_frame.ActivateViews(*doc);
    CChildFrame* child = m_frame.ChildOf(*doc);
    auto* tree = child ? qobject_cast<cPolTreeView*>(child->TreePane()) : nullptr;
    if (!tree || !tree->Select(const_cast<cTreeItem*>(item)))
        return false;
    tree->setFocus(Qt::OtherFocusReason);
    return true;
}

// ---- The command -----------------------------------------------------------------------

cCompareWindow* CompareWith(CPelwinDoc& active, cAppServices& services, CMainFrame& frame) {
    std::vector<CPelwinDoc*> others;
    for (const auto& doc : services.Docs().Documents())
        if (doc.get() != &active)
            others.push_back(doc.get());
    cCompareChoice choice;
    if (!services.Prompts().AskCompareWith(active, others, choice))
        return nullptr;

    cCompareWindow::cSide other;
    if (!choice.other && !choice.path.empty())
        choice.other = services.Docs().FindByPath(choice.path);
    std::error_code ec;
    if (choice.other) {
        other.open = choice.other;
        other.path = choice.other->Path();
        other.title = TitleOf(*choice.other);
    } else if (std::filesystem::is_directory(PathFromUtf8(ToUtf8(choice.path)), ec)) {
        // A folder is a store: its sets in the language the active template shows.
        other.store = std::make_unique<cStore>();
        ReadStore({ToUtf8(choice.path)}, ToUtf8(active.DisplayLanguage()), *other.store);
        if (other.store->docs.empty())
            return nullptr;
        other.path = choice.path;
        std::filesystem::path folder = PathFromUtf8(ToUtf8(choice.path));
        if (folder.filename().empty())
            folder = folder.parent_path();
        other.title = FromUtf8(Utf8FromPath(folder.filename()));
    } else {
        // A file not open in the editor is read for the report alone, as Open reads it.
        other.owned = std::make_unique<CPelwinDoc>();
        other.owned->SetFrame(other.owned.get());
        other.owned->SetTreeView(&other.owned->Tree());
        if (!other.owned->ReadFile(choice.path))
            return nullptr;
        other.path = choice.path;
        other.title = FromUtf8(std::filesystem::path(ToUtf8(choice.path)).filename().string());
    }
    cCompareWindow::cSide self;
    self.open = &active;
    self.path = active.Path();
    self.title = TitleOf(active);
    auto* window =
        choice.otherIsOlder
            ? new cCompareWindow(frame, services, std::move(other), std::move(self), &frame)
            : new cCompareWindow(frame, services, std::move(self), std::move(other), &frame);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
