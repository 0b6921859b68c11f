#pragma once

#include <pugixml.hpp>

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/admx/admxset.h"
#include "core/admx/admxwrite.h"
#include "core/model/nodeobjects.h"

// The writer of a set's documents, split by what it writes: admxwrite.cpp the copies, the
// building blocks and the files; admxwritenodes.cpp the strings, categories and policies;
// admxwriteparts.cpp the parts and presentations; admxwritelanguages.cpp the other
// languages; admxwriteprops.cpp the supported-on table and the template properties.

// The order of the children the model writes, as the schema has them.
inline constexpr std::string_view kPolicyOrder[] = {
    "parentCategory", "seeAlso",     "keywords",     "supportedOn", "enabledValue",
    "disabledValue",  "enabledList", "disabledList", "elements"};
inline constexpr std::string_view kCategoryOrder[] = {"parentCategory", "seeAlso", "keywords"};
inline constexpr std::string_view kBooleanOrder[] = {"trueValue", "falseValue", "trueList",
                                                     "falseList"};
inline constexpr std::string_view kRootOrder[] = {"policyNamespaces", "supersededAdm", "annotation",
                                                  "resources",        "supportedOn",   "categories",
                                                  "policies"};
inline constexpr std::string_view kNamespacesOrder[] = {"target", "using"};
inline constexpr std::string_view kAdmlResourcesOrder[] = {"stringTable", "presentationTable"};
inline constexpr std::string_view kTextBoxOrder[] = {"label", "defaultValue"};
inline constexpr std::string_view kComboOrder[] = {"label", "default", "suggestion"};
inline constexpr std::string_view kItemOrder[] = {"value", "valueList"};

// The elements that may be soft: written only where the registry holds no value yet.
bool CanBeSoftElement(pugi::xml_node element);
bool IsBlankText(pugi::xml_node node);
// The blanks that stand before node (its indentation with the line break before it).
std::string BlanksBefore(pugi::xml_node node);

// Writes the documents of one set again from the model: copies of the set's documents,
// changed where the model differs from them.
class cSetWriter {
public:
    using Order = std::span<const std::string_view>;

    cSetWriter(const cTemplateContent& content, const cAdmxState& state)
        : m_content(content),
          m_set(*state.set),
          m_languages(state.languages ? &*state.languages : nullptr),
          m_supportedOn(state.supportedOn ? &*state.supportedOn : nullptr),
          m_props(state.templateProps ? &*state.templateProps : nullptr) {}

    bool Run(cTemplateTree& tree);

    const Text& Failure() const { return m_failed; }
    const pugi::xml_document& Admx() const { return m_admx; }
    const pugi::xml_document& Adml(size_t i) const { return *m_adml[i]; }

    // A language the set had no ADML for: its folder's name and its document.
    struct cNewLanguage {
        Text folder;
        std::unique_ptr<pugi::xml_document> adml;
    };
    const std::vector<cNewLanguage>& NewLanguages() const { return m_newLanguages; }

private:
    // ---- The copies -----------------------------------------------------------------------

    // Pairs the nodes of the original with those of its copy (same structure), without
    // recursion: every element with its copy, where the model edits the document, and every
    // node of the copy with its original, which the save keeps the bytes of.
    void MapCopy(const pugi::xml_document& from, pugi::xml_document& to);

public:
    // The node of a document read that a node written was copied from.
    pugi::xml_node OriginalOf(pugi::xml_node copy) const;

private:
    pugi::xml_node CopyOf(pugi::xml_node original) const;

    pugi::xml_document& DisplayAdml() { return *m_adml[m_set.display]; }

    // ---- Building blocks -----------------------------------------------------------------

    static void SetAttribute(pugi::xml_node node, const char* name, const Text& value,
                             bool present = true);

    static void SetFlag(pugi::xml_node node, const char* name, int flag);

    // Puts text as the element's only content.
    static void SetText(pugi::xml_node node, const Text& text);

    // Puts text as the element's character data, keeping its comments and processing
    // instructions (a string's note to translators) where they stand: the text goes where
    // its first character data stood, else at the end.
    static void ReplaceText(pugi::xml_node node, const Text& text);

    // A new element at the end of parent's elements, indented as its siblings are.
    pugi::xml_node AppendElement(pugi::xml_node parent, const char* name);

    // An element with its indentation before it, or a copy of an element of another set.
    pugi::xml_node InsertElement(pugi::xml_node parent, const char* name, pugi::xml_node before);

    pugi::xml_node AppendCopy(pugi::xml_node parent, pugi::xml_node original);

    // Removes an element with the blanks that stood before it.
    static void RemoveElement(pugi::xml_node node);

    // The child of that local name, made where the order puts it when there is none.
    pugi::xml_node EnsureChild(pugi::xml_node parent, std::string_view local, Order order);

    static void RemoveChild(pugi::xml_node parent, std::string_view local);

    // A value element's content: the number as decimal (longDecimal where the value held
    // one or the number needs 64 bits), a string, or the removal of the value.
    void WriteValue(pugi::xml_node holder, const cDescVal& value);

    void WriteOptionalValue(pugi::xml_node parent, std::string_view local, Order order,
                            const cOptionalValue& value);

    // A list from the model; an item names its key where it is not the list's own. `was` is
    // the list as the element held it.
    void WriteList(pugi::xml_node parent, std::string_view local, Order order,
                   const cActionList& list, const Text& ownerKey, const cActionList& was);

    void WriteListItems(pugi::xml_node node, const cActionList& list, const Text& ownerKey);

    // A list whose entries are still those its items hold, one for one, where only keys
    // moved: the keys change in their items (and the list's default key with the items that
    // took it), the rest stays as written. False for any other change.
    bool RekeyListItems(pugi::xml_node node, const cActionList& list, const cActionList& was,
                        const Text& ownerKey);

    // A display text as the schema wants it: a reference to a string. A text of its own
    // becomes a new string of the display language.
    Text StringFor(const Text& text, const std::string& base);

    void Refuse(const Text& why);

    // ---- Strings -------------------------------------------------------------------------

    // The display language's string table from the model's: texts changed where they
    // differ, strings gone from the model removed, new ones added at the end.
    void SyncStrings();

    // ---- Nodes ---------------------------------------------------------------------------

    void WalkTree(cTemplateTree& tree);

    pugi::xml_node Container(const char* local);

    // The element a node writes: its own copy when it came from this set and no other node
    // took it yet; else a new one, copied from the element of another set it came from.
    pugi::xml_node ElementFor(const cData& node, const char* container, const char* local,
                              std::unordered_set<pugi::xml_node_struct*>& claimed);

    // A name no other element of the list has, from the node's own or its display text.
    std::string UniqueName(const cData& node, const Text& shown, pugi::xml_node element,
                           std::unordered_set<std::string>& names);

    // The reference from a node to the category it stands in; the one written is kept when
    // it still names the same category.
    void WriteParent(cTreeItem* item, pugi::xml_node element, Order order);

    void Category(cTreeItem* item, cObjCategory& node);

    // The class a policy is written with: its record's, else the class node it stands under
    // (a policy brought from a template), else Machine.
    static Text ClassOf(const cTreeItem* item, const cObjPolicy& node);

    void Policy(cTreeItem* item, cObjPolicy& node);

    // A policy's fields as its element gives them, the supported-on text shown through the
    // table as edited.
    void ReadPolicy(pugi::xml_node element, cPolicy& read) const;

    // ---- Supported on --------------------------------------------------------------------
    // The table as edited: an entry read from the file keeps its element, with only the
    // attributes and the condition that differ written; entries gone are removed, new ones
    // appended. Containers left empty go.

    static constexpr std::string_view kSupportedOnOrder[] = {"products", "definitions"};

    // The copy of the original children of `local` under parent that no entry claims, removed.
    void RemoveUnclaimedEntries(pugi::xml_node original, std::string_view local,
                                const std::unordered_set<pugi::xml_node_struct*>& claimed);

    // The element of an entry: its copy, else a new one at the end of parent.
    pugi::xml_node EntryElement(pugi::xml_node parent, pugi::xml_node origin, const char* local,
                                std::unordered_set<pugi::xml_node_struct*>& claimed);

    static void SetChanged(pugi::xml_node element, const char* name, const Text& value);

    static void RemoveIfEmpty(pugi::xml_node element);

    void WriteVersions(pugi::xml_node parent, pugi::xml_node original, const char* local,
                       const std::vector<cSupportedOnVersion>& versions);

    void WriteCondition(pugi::xml_node element, const cSupportedOnDefinition& definition);

    void WriteSupportedOn();

    // ---- Parts ---------------------------------------------------------------------------

    struct cPartTags {
        const char* element;
        const char* control;
    };

    static cPartTags TagsOf(const cObjPolPart& part);

    // The presentation the policy's controls stand in, made (and referred to) when needed.
    pugi::xml_node PresentationOf(pugi::xml_node policy, const std::string& base, bool make);

    void Parts(cObjPolicy& node, pugi::xml_node element, pugi::xml_node original,
               const std::string& base);

    pugi::xml_node OriginalPresentation(pugi::xml_node policy) const;

    // Puts the controls in the order of the parts, where they stand otherwise.
    void Reorder(pugi::xml_node presentation, const std::vector<pugi::xml_node>& controls);

    void PartFields(const cObjPolPart& part, pugi::xml_node element, pugi::xml_node control,
                    pugi::xml_node policy, bool sharedPresentation);

    // An enum's items: each one changed where it differs; the whole list again when items
    // were added or removed.
    void Items(const cObjPolPartDropDown& now, const cObjPolPartDropDown& was,
               pugi::xml_node element, const Text& ownerKey);

    // Elements of the set that no node took any more were deleted.
    void RemoveUnclaimed();

    // ---- The other languages ---------------------------------------------------------------
    // What the display language gains or loses in ids the others follow, untranslated, so
    // that the policy editor can still show every language.

    pugi::xml_node OtherTable(size_t language, const char* local);

    pugi::xml_node OtherPresentation(size_t language, std::string_view id);

    void MirrorString(pugi::xml_node string);

    // The controls made for new parts, once their fields are written.
    void MirrorControls();

    // The control of the other languages that stands for a control of the display language:
    // the one of the same refId, a static text by its place among the static texts.
    void MirrorRemoval(pugi::xml_node control);

    // ---- Translations ---------------------------------------------------------------------
    // The other languages' tables as edited: a text that differs from its ADML's is set, an
    // id the ADML lacks (and the display language has) is added at the end of its string
    // table. A table of a language the set has no ADML for becomes a new ADML: a copy of the
    // display language's as written, with the table's texts.

    static std::unordered_map<std::string, pugi::xml_node> StringsById(pugi::xml_node root);

    static std::unordered_map<std::string, pugi::xml_node> PresentationsById(pugi::xml_node root);

    // A presentation's control texts, a line each in order (a control's label, else its own
    // text): lines beyond the controls go to the last one, controls beyond the lines keep
    // theirs. A presentation the language lacks is the display language's with these texts.
    void SyncPresentation(pugi::xml_node root, const std::string& id, const Text& texts,
                          const std::unordered_map<std::string, pugi::xml_node>& own,
                          const std::unordered_map<std::string, pugi::xml_node>& display);

    void SyncLanguages();

    // A renamed element: the controls of the other languages that refer to it follow, or
    // they would refer to nothing. Before the display language's control takes the name.
    void MirrorRefId(pugi::xml_node control, const Text& name);

    // ---- Namespaces and revisions ----------------------------------------------------------
    // The values of the Template properties dialog, written last, over everything the nodes
    // wrote: a reference made with the file's own prefix follows a new prefix, a prefix that
    // leaves the using list while references still use it refuses the save, and a language
    // file whose revision was the ADMX file's follows its new revision.

    void WriteTemplateProps();

    // "from:name" becomes "to:name" in every reference.
    static void RenamePrefix(pugi::xml_node root, const std::string& from, const std::string& to);

    const cTemplateContent& m_content;
    const cAdmxSet& m_set;
    const std::vector<cLanguageTable>* m_languages;
    const cSupportedOnTable* m_supportedOn;  // none: the element stays as read
    const cAdmxTemplateProps* m_props;
    std::vector<cNewLanguage> m_newLanguages;
    std::vector<std::pair<pugi::xml_node, pugi::xml_node>> m_newControls;
    Text m_failed;
    pugi::xml_document m_admx;
    std::vector<std::unique_ptr<pugi::xml_document>> m_adml;
    std::unordered_map<pugi::xml_node_struct*, pugi::xml_node> m_copies;
    std::unordered_map<pugi::xml_node_struct*, pugi::xml_node> m_originals;
    std::unordered_set<std::string> m_stringIds;
    std::unordered_set<pugi::xml_node_struct*> m_claimedCategories;
    std::unordered_set<pugi::xml_node_struct*> m_claimedPolicies;
    std::unordered_set<pugi::xml_node_struct*> m_claimedPresentations;
    std::unordered_map<const cData*, pugi::xml_node> m_categoryElements;
    std::unordered_set<std::string> m_categoryNames;
    std::unordered_set<std::string> m_policyNames;
};
