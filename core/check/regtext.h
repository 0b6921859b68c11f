#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/model/records.h"
#include "core/text/text.h"

class cObjPolicy;
class cObjPolPart;
class cObjPolPartDropDown;
class cTreeOwner;

// What a policy writes to the registry when it is enabled or disabled, as a list of writes,
// and that list as .reg text and as reg.exe commands. Nothing here touches a registry.

enum class cRegKind {
    Dword,
    Qword,
    String,
    ExpandString,
    MultiString,
    DeleteValue,
    // Every value of the key goes before the list's own are written.
    DeleteValues,
    // A line for the reader: what cannot be written, and why.
    Note,
};

struct cRegWrite {
    cRegKind kind = cRegKind::Note;
    Text key;        // below the class's hive
    Text valueName;  // empty: the key's default value
    uint64_t number = 0;
    Text text;  // the data of a string, or a note
    std::vector<Text> strings;
    bool operator==(const cRegWrite&) const = default;
};

enum class cPolicyState { Enabled, Disabled };

// The value a part's panel holds: what the enabled policy writes for the part.
struct cPartValue {
    bool checked = false;        // check box
    std::optional<Text> text;    // edit text, combo box, numeric
    std::optional<size_t> item;  // drop-down list: the chosen item's place in the list
    // List box entries: (value name, value); the name counts only with EXPLICITVALUE.
    std::vector<std::pair<Text, Text>> entries;
};

// The value a part's panel starts with: a check box cleared, an edit field, combo box or
// numeric field with its DEFAULT (texts resolved as the panels show them), a drop-down
// list at its DEFAULT item, a list box empty.
cPartValue StartValue(const cObjPolPart& part, const cTreeOwner& owner);

// The item of a drop-down list whose name shows as `shown` (resolved, as its panel lists it);
// none when no item shows so. The first of several that show alike.
std::optional<size_t> ItemShownAs(const cObjPolPartDropDown& list, TextView shown,
                                  const cTreeOwner& owner);

// The writes of a policy in a state. values holds one entry per part in part order; parts
// beyond its end take their start value. Disabling removes the policy's value unless it has a
// VALUEOFF and every value its parts write.
std::vector<cRegWrite> PolicyWrites(const cObjPolicy& policy, cPolicyState state,
                                    const std::vector<cPartValue>& values, const cTreeOwner& owner);

// A value record as written: a number as DWORD, a string, or the removal of the value;
// a NUMERIC text that is no 32-bit number becomes a note.
cRegWrite ValueWrite(const cDescVal& value, const Text& key, const Text& valueName);

// "Windows Registry Editor Version 5.00" text: the writes under each class's hive, grouped by
// key in the order the keys first come. Classes without a hive and keys that are empty are
// named in comments.
Text RegFileText(const std::vector<cRegWrite>& writes, const std::vector<Text>& classes);

// The same as reg.exe commands for a batch file (percent signs doubled).
Text RegExeCommands(const std::vector<cRegWrite>& writes, const std::vector<Text>& classes);

// A 32-bit registry number from a NUMERIC text: decimal, with an optional sign (a negative
// number wraps as a DWORD does).
bool ParseRegistryDword(TextView text, uint32_t& out);
// A 64-bit number as a 64-bit number part holds it: decimal digits, no sign but "+".
bool ParseRegistryQword(TextView text, uint64_t& out);

// How a value record reads in a reference: "1" (a number), "\"text\"" or "delete".
Text DescribeValue(const cDescVal& value);
