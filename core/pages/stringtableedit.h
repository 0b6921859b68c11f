#pragma once

#include <vector>

#include "core/model/nodetexts.h"
#include "core/model/stringmap.h"

// The rows of the String table dialog, apart from its widgets: one row per name, kept in
// the list's ascending order as rows are inserted (edits do not move a row). The dialog's
// only state; the document's table changes on OK alone.
struct cStringRow {
    Text name;  // "Search string": the name without its "!!"
    Text text;  // "Display string"
    bool operator==(const cStringRow&) const = default;
};

class cStringTableRows {
public:
    explicit cStringTableRows(const cStringMap& map);

    const std::vector<cStringRow>& Rows() const { return m_rows; }
    int Selected() const { return m_selected; }
    void Select(int row);

    // "Add ": a row "<new>" with no text at its sorted place, selected. Returns its index.
    int Add();
    // "Delete": removes the selected row and selects the one before it (the first when the
    // first went). False with no row selected.
    bool DeleteSelected();
    void SetName(Text name);
    void SetText(Text text);
    // "Remove unused": drops every row whose name no node refers to and selects the first
    // row left. Answers how many rows went.
    size_t RemoveUnused(const cStringUses& uses);

    // The table OK makes: a later row of the same name wins; names the old table held keep
    // their place in its order, and new names follow in row order, so that a save changes
    // only the lines that changed. Every text is taken whole.
    cStringMap BuildMap(const cStringMap& old) const;

private:
    std::vector<cStringRow> m_rows;
    int m_selected = -1;
};
