#pragma once

#include <optional>
#include <vector>

#include "core/model/nodedata.h"
#include "core/pages/pagevalues.h"

class cAdmxSet;

// The pages of what an ADMX set holds beyond an ADM template: the two part kinds only ADMX
// has, a policy's name, class and supported-on reference, and a part's element id. Like the
// other pages' values they load from a node, check and write back without a window.

// The ADMX set a node belongs to: its document's, else the one it was read from; none for a
// node of an ADM template.
const cAdmxSet* AdmxSetOf(const cData& node);

// A name as an ADMX file gives its policies and elements: a letter or an underscore, then
// letters, digits, underscores, hyphens and periods.
bool IsAdmxName(TextView name);

struct cMultiTextPageValues {
    Text name;
    bool required = false;
    cOptionalPairValues maxLength;
    cOptionalPairValues maxStrings;
    cOptionalPairValues defaultHeight;  // the box's height in lines
    cKeyGroupValues key;
    Text valueName;

    static cMultiTextPageValues Load(const cPolPartMultiText& part);
    // The key, and each number given: a whole number from 0 (from 1 for the height).
    std::optional<Text> Validate() const;
    void ApplyTo(cPolPartMultiText& part) const;
};

// The 32-bit number's page with 64-bit numbers; its "Store as text" is the other's
// conversion to text.
struct cLongNumPageValues : cNumericPageValues {
    static cLongNumPageValues Load(const cPolPartLongNum& part);
    // The key, and each number given a whole number from 0 that fits 64 bits; the minimum
    // not above the maximum, the default between them.
    std::optional<Text> Validate() const;
    void ApplyTo(cPolPartLongNum& part) const;
};

// A policy's class in an ADMX file.
enum class cAdmxClass { Machine, User, Both };

// A reference the supported-on list offers, and what it shows.
struct cSupportedChoice {
    Text reference;  // as written: "SUPPORTED_Win7", "windows:SUPPORTED_WindowsXP"
    Text shown;      // its display name resolved, or empty
    bool operator==(const cSupportedChoice&) const = default;
};

// What the save names a category or policy that has no name yet (the page's hint), from its
// display text.
Text DerivedAdmxName(const cData& node);

struct cAdmxPolicyPageValues {
    Text name;
    cAdmxClass policyClass = cAdmxClass::Machine;
    Text supportedOn;  // the reference; empty: none
    // The file's definitions and products, then the references of other namespaces the
    // file's policies use or the files beside it define there, each once.
    std::vector<cSupportedChoice> choices;

    static cAdmxPolicyPageValues Load(const cPolicy& node);
    // What changed: the name given, well formed, and no other policy of the template's so
    // named (case aside); the reference none, or a name here or under a prefix the file uses.
    std::optional<Text> Validate(const cPolicy& node) const;
    // The name, class and reference into the policy's record (made for a policy that has
    // none), and the supported-on text the reference shows.
    void ApplyTo(cPolicy& node) const;

private:
    std::optional<Text> ValidateName(const cPolicy& node) const;
};

// What the ADMX tab says under a policy's key when the ingestion of cloud device management
// (MDM) may not write there; empty when it may.
Text MdmKeyNote(const cPolicy& node);

// Whether the part's element may be soft: a text, a number or a list of texts.
bool CanBeSoft(const cPolicyPart& part);

// A category's name in an ADMX set; empty for one made in the editor until it is given
// (the save derives it).
struct cAdmxCategoryPageValues {
    Text name;

    static cAdmxCategoryPageValues Load(const cCategory& node);
    // When changed: well formed, and no other category of the template's so named (case
    // aside).
    std::optional<Text> Validate(const cCategory& node) const;
    void ApplyTo(cCategory& node) const;
};

// The element of a part read from or meant for an ADMX set: its id, and whether it is soft.
struct cAdmxElementPageValues {
    Text id;
    bool soft = false;

    static cAdmxElementPageValues Load(const cPolicyPart& part);
    // When changed: given, well formed, and no other part of the policy has it (case aside).
    std::optional<Text> Validate(const cPolicyPart& part) const;
    void ApplyTo(cPolicyPart& part) const;
};

// What a category's or policy's element holds that the pages show but do not edit, as the
// file has it: its annotations, seeAlso and keywords, each with what it is. The save keeps
// them; a node made in the editor has none.
struct cAdmxKeptEntry {
    Text what;  // "Annotation (application)", "See also", "Keywords"
    Text text;
    bool operator==(const cAdmxKeptEntry&) const = default;
};
std::vector<cAdmxKeptEntry> AdmxKeptEntries(const cData& node);

// Whether the ADMX pages apply to a node: one of an ADMX set's documents, or read from one.
bool ShowsAdmxPages(const cData& node);
