#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/text/text.h"

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

// A record that is more often absent than present, held outside its owner: a policy or a
// check box carries two of them and most have neither, so an absent one costs one pointer
// instead of the record's room. Reads, copies and compares like std::optional.
template <typename T>
class cBoxedOptional {
public:
    cBoxedOptional() = default;
    cBoxedOptional(std::nullopt_t) {}
    cBoxedOptional(T value) : m_value(std::make_unique<T>(std::move(value))) {}
    cBoxedOptional(const cBoxedOptional& other) : m_value(CopyOf(other)) {}
    cBoxedOptional(cBoxedOptional&&) noexcept = default;
    cBoxedOptional& operator=(const cBoxedOptional& other) {
        if (this != &other)
            m_value = CopyOf(other);
        return *this;
    }
    cBoxedOptional& operator=(cBoxedOptional&&) noexcept = default;
    cBoxedOptional& operator=(std::nullopt_t) {
        m_value.reset();
        return *this;
    }

    bool has_value() const { return m_value != nullptr; }
    explicit operator bool() const { return has_value(); }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return m_value.get(); }
    const T* operator->() const { return m_value.get(); }
    T& value() { return has_value() ? *m_value : throw std::bad_optional_access(); }
    const T& value() const { return has_value() ? *m_value : throw std::bad_optional_access(); }
    void reset() { m_value.reset(); }
    template <typename... Args>
    T& emplace(Args&&... args) {
        m_value = std::make_unique<T>(std::forward<Args>(args)...);
        return *m_value;
    }

    friend bool operator==(const cBoxedOptional& a, const cBoxedOptional& b) {
        return a.has_value() == b.has_value() && (!a.has_value() || *a == *b);
    }
    friend bool operator==(const cBoxedOptional& a, std::nullopt_t) { return !a.has_value(); }

private:
    static std::unique_ptr<T> CopyOf(const cBoxedOptional& other) {
        return other.m_value ? std::make_unique<T>(*other.m_value) : nullptr;
    }

    std::unique_ptr<T> m_value;
};

// A missing VALUEON / VALUEOFF record means the default value.
using cOptionalValue = cBoxedOptional<cDescVal>;

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
