#include "core/pages/listtables.h"

#include <algorithm>

namespace {

char16_t FoldAz(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

bool SameIgnoringCase(TextView a, TextView b) {
    return a.size() == b.size() && KeywordEquals(a, b);
}

// After a row went: the one before it, the first when the first went, none when empty.
int SelectionAfterDelete(int deleted, size_t remaining) {
    if (remaining == 0)
        return -1;
    return deleted > 0 ? deleted - 1 : 0;
}

}  // namespace

bool ListTextLess(TextView a, TextView b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = FoldAz(a[i]);
        char16_t y = FoldAz(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

Text TypeText(const cDescVal& value) {
    if (value.del)
        return Text(kTypeDelete);
    return Text(value.numeric ? kTypeNumeric : kTypeString);
}

cValueGroupValues GroupFromCells(TextView type, const Text& value) {
    cValueGroupValues group;
    if (SameIgnoringCase(type, kTypeString) || SameIgnoringCase(type, kTypeNumeric)) {
        group.choice = cValueGroupValues::Choice::Explicit;
        group.numeric = SameIgnoringCase(type, kTypeNumeric);
        group.text = value;
    } else if (SameIgnoringCase(type, kTypeDelete)) {
        group.choice = cValueGroupValues::Choice::Delete;
    }
    return group;
}

void SetCellsFromGroup(const cValueGroupValues& group, Text& type, Text& value) {
    switch (group.choice) {
        case cValueGroupValues::Choice::Default:
            type.clear();
            value.clear();
            break;
        case cValueGroupValues::Choice::Delete:
            type = Text(kTypeDelete);
            value.clear();
            break;
        case cValueGroupValues::Choice::Explicit:
            type = Text(group.numeric ? kTypeNumeric : kTypeString);
            value = group.text;
            break;
    }
}

// ---- Action lists -----------------------------------------------------------------------

cActionListTable::cActionListTable(const cActionList& first, const cActionList* second)
    : m_twoLists(second != nullptr) {
    auto add = [this](const cActionList& list, bool on) {
        for (const cActionKey& group : list)
            for (const cActionValue& entry : group.entries) {
                cActionRow& row = RowFor(group.keyName, entry.valueName);
                (on ? row.valueOn : row.valueOff) = entry.valueText;
                (on ? row.typeOn : row.typeOff) = TypeText(entry);
            }
    };
    if (second)
        add(*second, false);
    add(first, true);
    if (!m_rows.empty())
        m_selected = m_loaded = 0;
}

cActionRow& cActionListTable::RowFor(const Text& keyName, const Text& valueName) {
    for (cActionRow& row : m_rows)
        if (SameIgnoringCase(row.keyName, keyName) && row.valueName == valueName)
            return row;
    return m_rows[size_t(InsertSorted({keyName, valueName, {}, {}, {}, {}}))];
}

int cActionListTable::InsertSorted(cActionRow row) {
    auto at = std::upper_bound(
        m_rows.begin(), m_rows.end(), row.keyName,
        [](const Text& key, const cActionRow& other) { return ListTextLess(key, other.keyName); });
    int index = int(at - m_rows.begin());
    m_rows.insert(at, std::move(row));
    if (m_selected >= index)
        ++m_selected;
    if (m_loaded >= index)
        ++m_loaded;
    return index;
}

void cActionListTable::Select(int row) {
    m_selected = row >= 0 && size_t(row) < m_rows.size() ? row : -1;
}

cActionRow* cActionListTable::LoadedRow() {
    return m_loaded >= 0 && size_t(m_loaded) < m_rows.size() ? &m_rows[size_t(m_loaded)] : nullptr;
}

int cActionListTable::AddNew() {
    cActionRow row;
    row.keyName = Text(kNewRowName);
    if (!m_twoLists)
        row.typeOn = Text(kTypeString);
    int index = InsertSorted(std::move(row));
    m_selected = m_loaded = index;
    return index;
}

bool cActionListTable::DeleteSelected() {
    if (m_selected < 0)
        return false;
    m_rows.erase(m_rows.begin() + m_selected);
    m_selected = m_loaded = SelectionAfterDelete(m_selected, m_rows.size());
    return true;
}

void cActionListTable::SetKeyName(Text text) {
    if (cActionRow* row = LoadedRow())
        row->keyName = std::move(text);
}

void cActionListTable::SetValueName(Text text) {
    if (cActionRow* row = LoadedRow())
        row->valueName = std::move(text);
}

void cActionListTable::SetOnGroup(const cValueGroupValues& group) {
    if (cActionRow* row = LoadedRow())
        SetCellsFromGroup(group, row->typeOn, row->valueOn);
}

void cActionListTable::SetOffGroup(const cValueGroupValues& group) {
    if (cActionRow* row = LoadedRow())
        SetCellsFromGroup(group, row->typeOff, row->valueOff);
}

namespace {

void PutEntry(cActionList& list, const cActionRow& row, const Text& type, const Text& value) {
    auto group = std::find_if(list.begin(), list.end(),
                              [&](const cActionKey& key) { return key.keyName == row.keyName; });
    if (group == list.end())
        group = list.insert(list.begin(), cActionKey{row.keyName, {}});
    auto entry =
        std::find_if(group->entries.begin(), group->entries.end(),
                     [&](const cActionValue& each) { return each.valueName == row.valueName; });
    if (entry == group->entries.end()) {
        cActionValue made;
        made.valueName = row.valueName;
        entry = group->entries.insert(group->entries.begin(), std::move(made));
    }
    cValueGroupValues cells = GroupFromCells(type, value);
    entry->del = cells.choice == cValueGroupValues::Choice::Delete ? 1 : 0;
    entry->numeric = cells.choice == cValueGroupValues::Choice::Explicit && cells.numeric ? 1 : 0;
    entry->valueText = cells.choice == cValueGroupValues::Choice::Explicit ? value : Text();
}

}  // namespace

void cActionListTable::WriteTo(cActionList& first, cActionList* second) const {
    first.clear();
    if (second)
        second->clear();
    for (const cActionRow& row : m_rows) {
        if (!row.typeOn.empty())
            PutEntry(first, row, row.typeOn, row.valueOn);
        if (second && !row.typeOff.empty())
            PutEntry(*second, row, row.typeOff, row.valueOff);
    }
}

// ---- Item lists -------------------------------------------------------------------------

cItemListTable::cItemListTable(const cItemListChain& items) {
    m_rows.reserve(items.size());
    for (const cItemList& item : items)
        m_rows.push_back({item.name, item.value.valueText, TypeText(item.value), item.actionList,
                          item.defaultFlag != 0, item.line});
    if (!m_rows.empty())
        m_selected = m_loaded = 0;
}

void cItemListTable::Select(int row) {
    m_selected = row >= 0 && size_t(row) < m_rows.size() ? row : -1;
}

cItemRow* cItemListTable::LoadedRow() {
    return m_loaded >= 0 && size_t(m_loaded) < m_rows.size() ? &m_rows[size_t(m_loaded)] : nullptr;
}

int cItemListTable::Insert(size_t at) {
    cItemRow row;
    row.name = Text(kNewRowName);
    row.type = Text(kTypeString);
    m_rows.insert(m_rows.begin() + std::ptrdiff_t(at), std::move(row));
    m_selected = m_loaded = int(at);
    return int(at);
}

int cItemListTable::AddAfter() {
    return Insert(m_selected < 0 ? 0 : size_t(m_selected) + 1);
}

int cItemListTable::AddBefore() {
    return m_selected < 0 ? -1 : Insert(size_t(m_selected));
}

bool cItemListTable::DeleteSelected() {
    if (m_selected < 0)
        return false;
    m_rows.erase(m_rows.begin() + m_selected);
    m_selected = m_loaded = SelectionAfterDelete(m_selected, m_rows.size());
    return true;
}

void cItemListTable::SetName(Text text) {
    if (cItemRow* row = LoadedRow())
        row->name = std::move(text);
}

void cItemListTable::SetValue(Text text) {
    if (cItemRow* row = LoadedRow())
        row->value = std::move(text);
}

void cItemListTable::SetGroup(const cValueGroupValues& group) {
    if (cItemRow* row = LoadedRow())
        SetCellsFromGroup(group, row->type, row->value);
}

void cItemListTable::SetActionList(int row, cActionList list) {
    if (row >= 0 && size_t(row) < m_rows.size())
        m_rows[size_t(row)].actionList = std::move(list);
}

void cItemListTable::SetDefault(int row, bool isDefault) {
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].isDefault = isDefault && int(i) == row;
}

cItemListChain cItemListTable::Build() const {
    cItemListChain items;
    items.reserve(m_rows.size());
    for (const cItemRow& row : m_rows) {
        cItemList item;
        item.name = row.name;
        cValueGroupValues cells = GroupFromCells(row.type, row.value);
        // An unknown type cell cannot come from the page; it stays a string, as it showed.
        if (cells.choice == cValueGroupValues::Choice::Delete) {
            item.value.del = 1;
        } else {
            item.value.numeric = cells.numeric ? 1 : 0;
            item.value.valueText = row.value;
        }
        item.actionList = row.actionList;
        item.defaultFlag = row.isDefault ? 1 : 0;
        item.line = row.line;
        items.push_back(std::move(item));
    }
    return items;
}
