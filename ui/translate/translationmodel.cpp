#include "ui/translate/translationmodel.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <array>

#include "core/check/find.h"

namespace {

QString ToQ(const Text& text) {
    return QString::fromStdU16String(text);
}

// A filled circle of the state's colour, made once per state.
QIcon StateIcon(cCellState state) {
    static std::array<QIcon, kCellStateCount> icons;
    QIcon& icon = icons[size_t(state)];
    if (icon.isNull()) {
        QPixmap pixmap(12, 12);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(96, 96, 96));
        painter.setBrush(cTranslationTableModel::StateColour(state).darker(
            state == cCellState::Translated ? 100 : 125));
        painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        icon = QIcon(pixmap);
    }
    return icon;
}

// A text in one line: line breaks (real ones, in other formats' texts) shown as a mark.
QString OneLine(const Text& text) {
    QString shown = ToQ(text);
    shown.replace(QLatin1Char('\n'), QStringLiteral(" \u21b5 "));
    return shown;
}

}  // namespace

cTranslationTableModel::cTranslationTableModel(cTranslationSet& set, QObject* parent)
    : QAbstractTableModel(parent), m_set(set) {}

void cTranslationTableModel::SetShownLanguages(std::vector<size_t> languages) {
    beginResetModel();
    m_shown = std::move(languages);
    endResetModel();
}

size_t cTranslationTableModel::LanguageOfColumn(int column) const {
    const int at = column - kFirstLanguageColumn;
    return at >= 0 && size_t(at) < m_shown.size() ? m_shown[size_t(at)] : cTranslationSet::npos;
}

void cTranslationTableModel::Refresh() {
    if (!m_set.NeedsRefresh()) {
        // Nothing but texts: the cells are asked again, the rows and the selection stay.
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        return;
    }
    std::vector<Text> shownTags;
    for (size_t language : m_shown)
        shownTags.push_back(language < m_set.LanguageCount() ? m_set.Language(language) : Text());
    const size_t languages = m_set.LanguageCount();
    beginResetModel();
    m_set.Refresh();
    // The shown languages by tag, those that are left.
    m_shown.clear();
    for (const Text& tag : shownTags)
        if (size_t at = m_set.IndexOf(tag); at != cTranslationSet::npos)
            m_shown.push_back(at);
    endResetModel();
    if (m_set.LanguageCount() != languages || m_shown.size() != shownTags.size())
        emit languagesChanged();
}

int cTranslationTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_set.RowCount());
}

int cTranslationTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFirstLanguageColumn + int(m_shown.size());
}

QColor cTranslationTableModel::StateColour(cCellState state) {
    switch (state) {
        case cCellState::Missing:
            return QColor(250, 200, 200);
        case cCellState::Untranslated:
            return QColor(255, 240, 170);
        case cCellState::Stale:
            return QColor(255, 210, 160);
        case cCellState::Translated:
            break;
    }
    return QColor(205, 235, 205);
}

QString cTranslationTableModel::StateText(cCellState state) {
    switch (state) {
        case cCellState::Missing:
            return QStringLiteral("Missing: the language has no text for this id");
        case cCellState::Untranslated:
            return QStringLiteral("Untranslated: the same text as the display language's");
        case cCellState::Stale:
            return QStringLiteral("Stale: the display text changed after this was translated");
        case cCellState::Translated:
            break;
    }
    return QStringLiteral("Translated");
}

QVariant cTranslationTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_set.RowCount())
        return {};
    const size_t row = size_t(index.row());
    const int column = index.column();
    if (column == kNameColumn) {
        if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
            return ToQ(m_set.Name(row));
        return {};
    }
    if (column == kSourceColumn) {
        const Text* text = m_set.SourceText(row);
        if (!text)
            return {};
        if (role == Qt::DisplayRole)
            return OneLine(*text);
        if (role == Qt::EditRole)
            return ToQ(*text);
        if (role == Qt::ToolTipRole && text->size() > 80)
            return ToQ(*text);
        return {};
    }
    const size_t language = LanguageOfColumn(column);
    if (language == cTranslationSet::npos)
        return {};
    const cCellState state = m_set.State(row, language);
    const Text* text = m_set.TargetText(row, language);
    switch (role) {
        case Qt::DisplayRole:
            return text ? OneLine(*text) : QString();
        case Qt::EditRole:
            return text ? ToQ(*text) : QString();
        case Qt::DecorationRole:
            return StateIcon(state);
        case Qt::BackgroundRole:
            return state == cCellState::Translated ? QVariant() : QVariant(StateColour(state));
        case Qt::ToolTipRole:
            return ToQ(m_set.Language(language)) + QStringLiteral(" \u2014 ") + StateText(state);
        case kStateRole:
            return int(state);
    }
    return {};
}

QVariant cTranslationTableModel::headerData(int section, Qt::Orientation orientation,
                                            int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == kNameColumn)
        return QStringLiteral("ID");
    if (section == kSourceColumn) {
        const Text language = m_set.SourceLanguage();
        return language.empty() ? QStringLiteral("Display text")
                                : ToQ(language) + QStringLiteral(" (display)");
    }
    const size_t language = LanguageOfColumn(section);
    return language == cTranslationSet::npos ? QVariant() : QVariant(ToQ(m_set.Language(language)));
}

Qt::ItemFlags cTranslationTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || index.column() == kNameColumn)
        return flags;
    if (index.column() == kSourceColumn && !m_set.IsDisplayText(size_t(index.row())))
        return flags;
    // A text of several lines is edited below the table: a line editor would join them.
    const bool lines = data(index, Qt::EditRole).toString().contains(QLatin1Char('\n'));
    return lines ? flags : flags | Qt::ItemIsEditable;
}

bool cTranslationTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || size_t(index.row()) >= m_set.RowCount())
        return false;
    Text text = value.toString().toStdU16String();
    const size_t row = size_t(index.row());
    // The step's history signal refreshes the table.
    if (index.column() == kSourceColumn)
        return m_set.SetSource(row, std::move(text));
    const size_t language = LanguageOfColumn(index.column());
    return language != cTranslationSet::npos && m_set.SetTarget(row, language, std::move(text));
}

// ---- Filter --------------------------------------------------------------------------------

cTranslationFilterModel::cTranslationFilterModel(cTranslationTableModel& table, QObject* parent)
    : QSortFilterProxyModel(parent), m_table(table) {
    setSourceModel(&table);
    // Rows stay while they are edited; the filter runs again when it is changed.
    setDynamicSortFilter(false);
}

void cTranslationFilterModel::SetFilter(cTranslationFilter filter) {
    m_filter = filter;
    invalidateFilter();
}

void cTranslationFilterModel::SetFind(const QString& text) {
    m_find =
        text.isEmpty() ? nullptr : std::make_unique<cTextMatcher>(text.toStdU16String(), false);
    invalidateFilter();
}

bool cTranslationFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const cTranslationSet& set = m_table.Set();
    const size_t row = size_t(sourceRow);
    if (row >= set.RowCount() || !set.Passes(row, m_filter, m_table.ShownLanguages()))
        return false;
    if (!m_find)
        return true;
    const cTextMatcher& matcher = *m_find;
    return set.Matches(
        row, [&matcher](TextView text) { return matcher.Matches(text); }, m_table.ShownLanguages());
}
