#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <memory>
#include <vector>

#include "core/check/find.h"
#include "core/translate/translationset.h"

// The Translations window's table over a cTranslationSet: the name, the display text and one
// column per shown language. Target cells show their state by colour, icon and tooltip;
// editing a text cell is a step of the template.
class cTranslationTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kNameColumn = 0;
    static constexpr int kSourceColumn = 1;
    static constexpr int kFirstLanguageColumn = 2;
    // The state of a target cell, as an int (cCellState).
    static constexpr int kStateRole = Qt::UserRole + 1;

    explicit cTranslationTableModel(cTranslationSet& set, QObject* parent = nullptr);

    cTranslationSet& Set() const { return m_set; }
    // The set's languages shown as columns, by index, in this order.
    void SetShownLanguages(std::vector<size_t> languages);
    const std::vector<size_t>& ShownLanguages() const { return m_shown; }
    // The set's language of a column, or npos for the name and source columns.
    size_t LanguageOfColumn(int column) const;

    // Takes in the document's changes: rows and languages again when they changed, else
    // every cell's text and state.
    void Refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The colour and the tooltip text of a state, shared with the legend.
    static QColor StateColour(cCellState state);
    static QString StateText(cCellState state);

signals:
    // The languages changed (one added or taken away): the window offers them anew.
    void languagesChanged();

private:
    cTranslationSet& m_set;
    std::vector<size_t> m_shown;
};

// Which rows the table shows: the filter by state over the shown languages, and a find text
// looked for in the name, the display text and the shown languages' texts.
class cTranslationFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit cTranslationFilterModel(cTranslationTableModel& table, QObject* parent = nullptr);

    void SetFilter(cTranslationFilter filter);
    cTranslationFilter Filter() const { return m_filter; }
    void SetFind(const QString& text);
    // Runs the filter again (the shown languages or the texts changed).
    void Update() { invalidateFilter(); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    cTranslationTableModel& m_table;
    cTranslationFilter m_filter = cTranslationFilter::All;
    std::unique_ptr<cTextMatcher> m_find;  // none: no find text
};
