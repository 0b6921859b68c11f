#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "app/text.h"

// Registry value records. Lists are held by value: a copy is deep by construction, keeps
// every order and shares nothing with its source. An empty list means "none".

// The line of the template file a record began on (0: made in the editor). Only a pointer
// back into the file: two records that differ in it alone are equal.
struct cSourceLine {
    int number = 0;
    bool operator==(const cSourceLine&) const { return true; }
};

// One registry value setting: a string, a number, or the removal of the value.
struct cDescVal {
    Text valueName;
    Text valueText;
    int numeric = 0;  // 1: NUMERIC
    int del = 0;      // 1: DELETE; takes precedence over the numeric flag and the text

    void Reset() { *this = cDescVal(); }
    // Copies all four fields; given no source the record is left at its defaults.
    void Assign(const cDescVal* source) { *this = source ? *source : cDescVal(); }
    bool IsDelete() const { return del != 0; }
    bool IsNumeric() const { return del == 0 && numeric != 0; }
    bool operator==(const cDescVal&) const = default;
};

// A missing VALUEON / VALUEOFF record means the default value.
using cOptionalValue = std::optional<cDescVal>;

// One VALUENAME / VALUE pair of an action list.
struct cActionValue : cDescVal {
    bool operator==(const cActionValue&) const = default;
};

// A key group: the entries written under one KEYNAME.
struct cActionKey {
    Text keyName;
    std::vector<cActionValue> entries;
    bool operator==(const cActionKey&) const = default;
};

using cActionList = std::vector<cActionKey>;

// One item of a drop-down list.
struct cItemList {
    cItemList() = default;
    cItemList(Text name, cDescVal value, cActionList actionList = {})
        : name(std::move(name)), value(std::move(value)), actionList(std::move(actionList)) {}

    Text name;
    cDescVal value;  // its value name plays no part
    cActionList actionList;
    int defaultFlag = 0;  // 1: DEFAULT, the item the list starts with (at most one per list)
    cSourceLine line;
    bool operator==(const cItemList&) const = default;
};

using cItemListChain = std::vector<cItemList>;

struct cSuggestion {
    Text text;
    bool operator==(const cSuggestion&) const = default;
};

using cSuggestionList = std::vector<cSuggestion>;

// Appends an item at the tail of a list; without a list there is nothing to append to.
inline bool AppendItem(cItemListChain* list, cItemList item) {
    if (!list)
        return false;
    list->push_back(std::move(item));
    return true;
}
