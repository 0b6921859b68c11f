#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/admx/admxtemplate.h"
#include "core/admx/supportedon.h"
#include "core/admx/xmlfile.h"
#include "core/model/admxrecord.h"
#include "core/model/languagetable.h"
#include "core/model/nodeobjects.h"
#include "core/model/templateformat.h"

// An ADMX file and the ADML files of its languages, as they were read: the documents hold
// everything the set holds, the model only what it shows and edits. A set is never changed
// after its read (a write works on copies of its documents), so that every node's origin in
// it stays valid for as long as the node lives: in the tree, on the undo history, pasted
// into another document.

struct cAdmlFile {
    Text folder;  // the language folder's name as found on disk ("en-US", "EN-us")
    Text path;    // as it was read
    cXmlFile xml;
};

class cAdmxSet {
public:
    Text path;
    cXmlFile admx;
    // In the order of their folders' names, whatever the case.
    std::vector<std::unique_ptr<cAdmlFile>> languages;
    // The language whose strings the document's string table holds.
    size_t display = 0;

    const cAdmlFile& Display() const { return *languages[display]; }

    // Indexes built by the read.
    // The namespace's own prefix, and the prefixes of the namespaces it uses.
    std::string targetPrefix;
    std::unordered_map<std::string, std::string> usingPrefixes;
    // The first category of each name.
    std::unordered_map<std::string, pugi::xml_node> categories;
    // What a supportedOn reference may name: definitions, products and their versions.
    std::unordered_map<std::string, pugi::xml_node> supportedOn;
    // The display language's presentations by id.
    std::unordered_map<std::string, pugi::xml_node> presentations;

    // What the ADMX files beside this one (a policy store) define in the namespaces this
    // file's references use, by the reference that names it ("windows:SUPPORTED_Windows7"):
    // their display texts in the display language, read only. Read for the editor's eyes
    // alone; nothing of those files is ever written.
    std::unordered_map<std::string, Text> neighbourCategories;
    std::unordered_map<std::string, Text> neighbourSupportedOn;

    enum class cPlace { Here, Elsewhere, Nowhere };
    // Where a reference "prefix:name" (or "name") points: here when the prefix is missing or
    // the namespace's own (local names in `name`), elsewhere under a using prefix, else
    // nowhere.
    cPlace Resolve(std::string_view reference, std::string& name) const;
};

// Where a node or part was read from: its set and its elements there.
class cAdmxOrigin : public cFormatOrigin {
public:
    cAdmxOrigin(std::shared_ptr<const cAdmxSet> set, pugi::xml_node element,
                pugi::xml_node control = pugi::xml_node())
        : set(std::move(set)), element(element), control(control) {}

    std::shared_ptr<const cAdmxSet> set;
    pugi::xml_node element;  // the category, policy or element in the ADMX
    pugi::xml_node control;  // a part's control in the display language's presentation
};

// The origin of a node or part when it was read from set; none otherwise.
const cAdmxOrigin* OriginIn(const cData& node, const cAdmxSet* set);

// The language tag a language folder's name stands for, in the usual case ("FR-fr" →
// "fr-FR", "sr-latn-rs" → "sr-Latn-RS"): the folders are found whatever their case.
Text LanguageTagOf(TextView folder);

// The texts of an ADML's string table by id, in the file's order (the last text of an id
// given twice, at the place of its first).
cStringMap AdmlStrings(const cAdmlFile& adml);
// The presentations of an ADML by id, in the file's order, each with the texts its controls
// show (a control's label, else its own text), one line per control.
cStringMap AdmlPresentations(const cAdmlFile& adml);
// The name a presentation goes by beside the strings, where both are translated:
// "$(presentation.ID)", as the ADMX file refers to it (a string id cannot look like that).
Text PresentationRow(TextView id);

// The ADMX format's part of a document: the set it was read from and, once the translations
// have been asked for, the tables of the languages other than the display language: their
// strings by id and their presentations by PresentationRow. The set's documents stay as
// read; a write takes each table's texts over its ADML's, and writes a table no ADML of the
// set has as a new DIR/TAG/NAME.adml.
class cAdmxState : public cFormatState {
public:
    std::shared_ptr<const cAdmxSet> set;
    // Null until LoadLanguages: a document that is only checked or converted never makes them.
    std::optional<std::vector<cLanguageTable>> languages;
    // The display language's presentations by PresentationRow, as read: the source of the
    // tables' presentations (the model edits the display language's controls, not these).
    cStringMap presentations;
    // The namespaces and revisions as the Template properties dialog left them; none: as
    // the set's ADMX holds them.
    std::optional<cAdmxTemplateProps> templateProps;

    // Fills languages from the set's ADMLs, each text's basis the display text of its id.
    void LoadLanguages();

    // A new set goes by the window's name ("New1") until its first save names it: then its
    // namespace and prefix are named after the file ("contoso.admx": "Contoso.Policies",
    // "contoso"), unless the user gave them in Template properties meanwhile.
    bool namedByFirstSave = false;
    void NameAfterFile(const Text& stem);

    // The file's supportedOn table as edited (the Supported-on definitions dialog); none
    // while it stands as read, and the write leaves the element alone.
    std::optional<cSupportedOnTable> supportedOn;
    // The table as the document has it: as edited, else as read.
    cSupportedOnTable SupportedOn() const;

    std::unique_ptr<cFormatState> Clone() const override {
        return std::make_unique<cAdmxState>(*this);
    }
};

// ---- Elements and the model --------------------------------------------------------------

// The first child element of the given local name (namespace prefixes aside).
pugi::xml_node Child(pugi::xml_node node, std::string_view local);
// Whether the element's local name is `local`.
bool Is(pugi::xml_node node, std::string_view local);
// The character data of an element joined, line ends as LF.
Text ElementText(pugi::xml_node node);
Text AttributeText(pugi::xml_node node, const char* name);
// "true" or "1", as the schema's booleans read.
bool AttributeFlag(pugi::xml_node node, const char* name);

// The id in "$(string.ID)" / "$(presentation.ID)"; empty when text is no such reference.
std::string_view StringId(std::string_view text);
std::string_view PresentationId(std::string_view text);
Text StringReference(std::string_view id);

// The namespace a new set named name gets: the name's letters and digits, the first in
// capitals ("contoso" → "Contoso.Policies"), and its prefix, the same in small letters.
cAdmxNamespace NamespaceNamedAfter(TextView name);

// A name for an element made in the editor, from its display text: its words joined, each
// begun with a capital ("Sample settings" → "SampleSettings"), "_" before a leading digit;
// empty when the text holds no letter or digit.
Text AdmxNameFrom(TextView text);

// The model's fields of a category or policy read from its element (the record and the parts
// aside).
void ReadCategoryFields(pugi::xml_node element, cCategory& category);
void ReadPolicyFields(const cAdmxSet& set, pugi::xml_node element, cPolicy& policy);
// The supported-on text of a policy that refers to `reference`: the display name of this
// file's definition or product of that name, else the reference as written.
Text SupportedOnText(const cAdmxSet& set, std::string_view reference);

// A control of a presentation and what it shows of the policy.
struct cControlInfo {
    pugi::xml_node control;
    pugi::xml_node element;  // none for static text and for a refId that names nothing
};

// The controls of a presentation in order with their elements, then the elements no control
// shows (without a control). `unknown` gets each control whose refId names no element.
std::vector<cControlInfo> PolicyControls(pugi::xml_node policy, pugi::xml_node presentation,
                                         std::vector<pugi::xml_node>* unknown);

// Whether the model has a part kind for an element of a policy's elements.
bool IsModelledElement(pugi::xml_node element);

// The fields of the part one control and element make (no record, no line), or none for an
// element of a kind the model does not know (kept in the documents as it is).
std::unique_ptr<cObjPolPart> ReadPart(const cControlInfo& info, pugi::xml_node policy,
                                      cObjPolicy* owner);
// The same with its lines and its record, the origin in set.
std::unique_ptr<cObjPolPart> MakePart(const std::shared_ptr<const cAdmxSet>& set,
                                      const cControlInfo& info, pugi::xml_node policy,
                                      cObjPolicy* owner);
