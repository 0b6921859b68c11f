#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>

#include "core/admx/supportedon.h"
#include "core/edit/editstep.h"
#include "core/model/stringmap.h"

class cAdmxSet;
class CPelwinDoc;

// The Supported-on definitions dialog apart from its widgets: a working copy of an ADMX
// file's products (with their versions) and definitions, and of the display language's
// strings their display names refer to. The document changes on OK alone, as one step.
class cSupportedOnEdit {
public:
    // The document's table as it stands; none for a document that is no ADMX set.
    static std::optional<cSupportedOnEdit> Load(const CPelwinDoc& doc);

    const cSupportedOnTable& Table() const { return m_table; }
    const cStringMap& Strings() const { return m_strings; }

    // The text a display name shows in the display language.
    Text Shown(const Text& displayName) const;

    // The fields of an entry, changed in place (the dialog's edits). A display text goes
    // into the entry's own string; an entry whose string is shared, or that has none, gets a
    // new string whose id is derived from its name.
    cSupportedOnDefinition& Definition(size_t index) { return m_table.definitions.at(index); }
    cSupportedOnProduct& Product(size_t index) { return m_table.products.at(index); }
    void SetDisplayText(Text& displayName, const Text& name, const Text& text);

    // New entries with a name no other entry has and their name as display text; each
    // answers its index.
    size_t AddDefinition();
    size_t AddProduct();
    size_t AddMajorVersion(size_t product);
    size_t AddMinorVersion(size_t product, size_t major);

    // Removes an entry; refused (the message says why, nothing changes) while policies or
    // other definitions refer to it or to one of its versions.
    std::optional<Text> DeleteDefinition(size_t index);
    std::optional<Text> DeleteProduct(size_t index);
    // A major version (minor none) or one of its minor versions.
    std::optional<Text> DeleteVersion(size_t product, size_t major,
                                      std::optional<size_t> minor = std::nullopt);

    // Entries new or changed: names well formed and unique in the table, a display text,
    // version indexes whole numbers, references resolvable (a name of the table, or one
    // under a prefix the file uses), a range's minimum not above its maximum. Every name
    // that policies or definitions refer to and the table had is still there.
    std::optional<Text> Validate() const;
    // Whether OK has anything to do.
    bool Changed() const;

    // The step that puts the table and its strings into the document, with the
    // supported-on texts of the policies whose definition shows another display name.
    // Null when nothing changed.
    std::unique_ptr<cEditStep> MakeStep(CPelwinDoc& doc) const;

private:
    // How many policies of the document refer to each name of this file.
    size_t PolicyUses(const Text& name) const;
    // A refusal when the names of an entry about to go are still referred to.
    std::optional<Text> CheckUnreferenced(const std::vector<Text>& names, size_t skipDefinition,
                                          const Text& what) const;
    Text UniqueName(const Text& base) const;
    // Whether a display name shows another text than it did when loaded.
    bool TextChanged(const Text& displayName) const;
    std::optional<Text> CheckReference(const cSupportedOnReference& reference) const;

    const cAdmxSet* m_set = nullptr;
    cSupportedOnTable m_read;  // as the document had it when loaded
    cSupportedOnTable m_table;
    cStringMap m_readStrings;
    cStringMap m_strings;
    std::map<Text, size_t> m_policyUses;
    // The string ids nodes show other than as a supported-on text.
    std::set<Text> m_nodeStrings;
};

// What a definition applies to, as the dialog lists it: "windows:SUPPORTED_WindowsXP or
// Range of Win 2 to 4".
Text AppliesToText(const cSupportedOnDefinition& definition);

// The step of the Supported-on definitions dialog: the document's edited table and its string
// table exchanged for the ones the step holds, and the listed policies' supported-on texts.
class cSupportedOnStep : public cEditStep {
public:
    cSupportedOnStep(std::optional<cSupportedOnTable> table, cStringMap strings,
                     std::vector<std::pair<cTreePath, Text>> texts)
        : cEditStep(u"Edit supported-on definitions"),
          m_table(std::move(table)),
          m_strings(std::move(strings)),
          m_texts(std::move(texts)) {}

    bool Apply(CPelwinDoc& doc) override { return Swap(doc); }
    bool Revert(CPelwinDoc& doc) override { return Swap(doc); }

private:
    bool Swap(CPelwinDoc& doc);

    std::optional<cSupportedOnTable> m_table;
    cStringMap m_strings;
    std::vector<std::pair<cTreePath, Text>> m_texts;
};
