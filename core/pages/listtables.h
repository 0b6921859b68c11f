#pragma once

#include <vector>

#include "core/model/records.h"
#include "core/pages/pagevalues.h"

// The working tables of the action list editor and the item list page, apart from their
// widgets. While an editor is open only its table changes; the lists are rebuilt from the
// table on OK (action lists) or on the page's apply (item lists).
//
// Both tables know two rows: the selected one, which the list shows marked, and the loaded
// one, whose cells the detail fields show and edit. The fields are loaded on a click, after
// New / Add and after Delete, not when the selection is moved with the keyboard; edits then
// keep going to the row the fields show, never to a row the user has not seen in them.

inline constexpr TextView kTypeString = u"<string>";
inline constexpr TextView kTypeNumeric = u"<numeric>";
inline constexpr TextView kTypeDelete = u"<delete>";
inline constexpr TextView kNewRowName = u"<new>";

// The list controls' ascending order: letters A-Z compare without case, then exactly.
bool ListTextLess(TextView a, TextView b);

// The type cell of a value record: "<delete>", else "<numeric>", else "<string>".
Text TypeText(const cDescVal& value);
// A value group from a type cell (compared without case) and its value cell: an empty or
// unknown type is no value.
cValueGroupValues GroupFromCells(TextView type, const Text& value);

// Sets a row's value and type as the detail controls make them when the user picks a
// choice: "No value" empties both, "Delete value from registry" empties the value,
// "Explicit value" takes the edit's text and "Numeric".
void SetCellsFromGroup(const cValueGroupValues& group, Text& type, Text& value);

// ---- Action lists -----------------------------------------------------------------------

// One key name and value name pair, with its value in each list.
struct cActionRow {
    Text keyName;
    Text valueName;
    Text valueOn;
    Text typeOn;  // empty: no entry in the first list
    Text valueOff;
    Text typeOff;  // empty: no entry in the second list
    bool operator==(const cActionRow&) const = default;
};

class cActionListTable {
public:
    // Two-list mode (ACTIONLISTON / ACTIONLISTOFF) exactly when second is given. The second
    // list is read first; an entry of either list joins the row of the same key name (case
    // ignored) and value name (exact), so an on/off pair shares one row.
    cActionListTable(const cActionList& first, const cActionList* second);

    bool TwoLists() const { return m_twoLists; }
    const std::vector<cActionRow>& Rows() const { return m_rows; }

    int Selected() const { return m_selected; }
    void Select(int row);
    // The row the detail fields show and edit, -1 for none.
    int Loaded() const { return m_loaded; }
    // Loads the fields from the selected row.
    void LoadSelected() { m_loaded = m_selected; }
    cActionRow* LoadedRow();

    // "New": a row "<new>" at its sorted place ("<string>" in one-list mode), selected and
    // loaded. Returns its index.
    int AddNew();
    // "Delete": removes the selected row, selects the one before it (the first when the first
    // went) and loads it. False with no row selected.
    bool DeleteSelected();

    // The detail groups of the loaded row. "Value when checked" writes the on cells,
    // "Value when unchecked" the off cells.
    void SetKeyName(Text text);
    void SetValueName(Text text);
    void SetOnGroup(const cValueGroupValues& group);
    void SetOffGroup(const cValueGroupValues& group);

    // Rebuilds the lists from the rows (OK): both lists are emptied; a row with a type adds or
    // overwrites the entry of its exact key and value name, new groups and entries going to
    // the front, so the lists come out in the reverse of the row order.
    void WriteTo(cActionList& first, cActionList* second) const;

private:
    int InsertSorted(cActionRow row);
    cActionRow& RowFor(const Text& keyName, const Text& valueName);

    bool m_twoLists;
    std::vector<cActionRow> m_rows;
    int m_selected = -1;
    int m_loaded = -1;
};

// ---- Item lists -------------------------------------------------------------------------

// One item of a drop-down list, as the item list page shows it, with its own copy of the
// item's action list.
struct cItemRow {
    Text name;
    Text value;
    Text type;
    cActionList actionList;
    bool isDefault = false;
    cSourceLine line;
    bool operator==(const cItemRow&) const = default;
};

class cItemListTable {
public:
    cItemListTable() = default;
    explicit cItemListTable(const cItemListChain& items);

    const std::vector<cItemRow>& Rows() const { return m_rows; }
    int Selected() const { return m_selected; }
    void Select(int row);
    int Loaded() const { return m_loaded; }
    void LoadSelected() { m_loaded = m_selected; }
    cItemRow* LoadedRow();

    // "Add ": a row "<new>" after the selected row (at the top with none), selected and
    // loaded. Returns its index.
    int AddAfter();
    // "Add Before": the same in front of the selected row; nothing (-1) with none selected.
    int AddBefore();
    // "Delete": as in the action list editor. False with no row selected.
    bool DeleteSelected();

    void SetName(Text text);
    void SetValue(Text text);
    // " Delete value from registry" / "Explicit value" with "Numeric".
    void SetGroup(const cValueGroupValues& group);
    void SetActionList(int row, cActionList list);
    // Makes row the list's default item, or no item the default; at most one is.
    void SetDefault(int row, bool isDefault);

    // The item list in table order (the page's apply). A delete keeps no text.
    cItemListChain Build() const;

private:
    int Insert(size_t at);

    std::vector<cItemRow> m_rows;
    int m_selected = -1;
    int m_loaded = -1;
};
