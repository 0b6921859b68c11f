#include "core/pages/stringtableedit.h"

#include <algorithm>

#include "core/pages/listtables.h"

cStringTableRows::cStringTableRows(const cStringMap& map) {
    m_rows.reserve(map.Size());
    for (const auto& [name, text] : map.Entries())
        m_rows.push_back({name, text});
    // Stable: the order rows had when inserted one by one, each after its equals.
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const cStringRow& a, const cStringRow& b) {
        return ListTextLess(a.name, b.name);
    });
    if (!m_rows.empty())
        m_selected = 0;
}

void cStringTableRows::Select(int row) {
    m_selected = row >= 0 && size_t(row) < m_rows.size() ? row : -1;
}

int cStringTableRows::Add() {
    cStringRow row{Text(kNewRowName), Text()};
    auto at = std::upper_bound(
        m_rows.begin(), m_rows.end(), row,
        [](const cStringRow& a, const cStringRow& b) { return ListTextLess(a.name, b.name); });
    m_selected = int(at - m_rows.begin());
    m_rows.insert(at, std::move(row));
    return m_selected;
}

bool cStringTableRows::DeleteSelected() {
    if (m_selected < 0)
        return false;
    m_rows.erase(m_rows.begin() + m_selected);
    m_selected = m_rows.empty() ? -1 : std::max(m_selected - 1, 0);
    return true;
}

void cStringTableRows::SetName(Text name) {
    if (m_selected >= 0)
        m_rows[size_t(m_selected)].name = std::move(name);
}

void cStringTableRows::SetText(Text text) {
    if (m_selected >= 0)
        m_rows[size_t(m_selected)].text = std::move(text);
}

size_t cStringTableRows::RemoveUnused(const cStringUses& uses) {
    size_t before = m_rows.size();
    std::erase_if(m_rows, [&uses](const cStringRow& row) { return !uses.Uses(row.name); });
    m_selected = m_rows.empty() ? -1 : 0;
    return before - m_rows.size();
}

cStringMap cStringTableRows::BuildMap(const cStringMap& old) const {
    cStringMap names;
    for (const cStringRow& row : m_rows)
        names.Set(row.name, Text());
    cStringMap result;
    for (const auto& entry : old.Entries())
        if (names.Contains(entry.first)) {
            result.Set(entry.first, Text());
            // A kept string keeps the comments that stood before it in the strings section.
            if (const std::vector<Text>* comments = old.CommentsBefore(entry.first))
                result.AddCommentsBefore(entry.first, *comments);
        }
    result.CommentsAfter() = old.CommentsAfter();
    // Set keeps an existing name's place: the old names stay where they were, new names are
    // appended in row order, and the last row of a name leaves its text.
    for (const cStringRow& row : m_rows)
        result.Set(row.name, row.text);
    return result;
}
