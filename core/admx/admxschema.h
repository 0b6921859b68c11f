#pragma once

#include <climits>
#include <span>
#include <string_view>

// The structure the operating system's policy editor demands of ADMX and ADML files, as data:
// one entry per kind of element with its attributes (type, required or not) and its children
// (in order, with their counts). The editor validates every file against this structure and
// refuses a file that breaks it as a whole, so the table errs towards what real files use:
// it takes the additions of later operating-system releases (multiText, longDecimal,
// `required` on boolean, `expandable` on list, ...) and is lenient where a release's files
// differ.

// The value types of attributes.
enum class cSchemaValue {
    String,                 // anything
    StringReference,        // "$(string.ID)"
    PresentationReference,  // "$(presentation.ID)"
    ItemName,               // a name of this file: letters, digits, '_', '.', '-'
    ItemReference,          // an item name, with "prefix:" for another namespace
    Boolean,                // true, false, 1, 0
    UnsignedInt,            // 0 to 4294967295
    UnsignedLong,           // 0 to 18446744073709551615
    Version,                // "1.0": digits, a dot, digits
    Guid,                   // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
    PolicyClass,            // Machine, User, Both
};

// What an element holds besides its child elements.
enum class cSchemaContent {
    Elements,  // child elements only (blanks between them)
    Text,      // character data only
    Any,       // anything at all, unchecked (an annotation)
};

// The kinds of elements. Several kinds share a name (a policy's `supportedOn` refers to a
// definition, the file's `supportedOn` holds the table), so a child names its kind.
enum class cSchemaKind {
    PolicyDefinitions,
    PolicyNamespaces,
    NamespaceAssociation,
    SupersededAdm,
    Annotation,
    ResourceReference,
    SupportedOnTable,
    Products,
    Product,
    MajorVersion,
    MinorVersion,
    Definitions,
    Definition,
    Condition,
    Range,
    ConditionReference,
    Categories,
    Category,
    CategoryReference,
    PlainText,
    Policies,
    Policy,
    SupportedOnReference,
    Value,
    Delete,
    DecimalValue,
    LongDecimalValue,
    ValueList,
    ValueItem,
    Elements,
    BooleanElement,
    DecimalElement,
    LongDecimalElement,
    TextElement,
    MultiTextElement,
    EnumElement,
    EnumItem,
    ListElement,
    PolicyDefinitionResources,
    Resources,
    StringTable,
    StringEntry,
    PresentationTable,
    Presentation,
    DecimalTextBox,
    LongDecimalTextBox,
    TextBox,
    ComboBox,
    DropdownList,
    ListBox,
    CheckBox,
    MultiTextBox,
};

inline constexpr int kSchemaUnbounded = INT_MAX;

struct cSchemaAttribute {
    std::string_view name;
    cSchemaValue type;
    bool required;
};

// A child element. Children stand in the order of their groups; the members of one group (a
// choice) may follow each other in any order, and min and max count them together.
struct cSchemaChild {
    std::string_view name;
    cSchemaKind kind;
    int group;
    int min;
    int max;
};

struct cSchemaElement {
    cSchemaKind kind;
    cSchemaContent content;
    std::span<const cSchemaAttribute> attributes;
    std::span<const cSchemaChild> children;
};

// The entry of a kind.
const cSchemaElement& SchemaElement(cSchemaKind kind);
// The entry of a file's root element by its local name (policyDefinitions in an ADMX file,
// policyDefinitionResources in an ADML file); null for another name.
const cSchemaElement* SchemaRoot(std::string_view name);
// The child or attribute of that local name; null when the element has none such.
const cSchemaChild* SchemaChild(const cSchemaElement& element, std::string_view name);
const cSchemaAttribute* SchemaAttribute(const cSchemaElement& element, std::string_view name);
// The members of the child's group, for a message ("one of delete, decimal, ...").
std::span<const cSchemaChild> SchemaGroup(const cSchemaElement& element, int group);

// Whether text is a value of the type (blanks around a boolean or number are allowed, as the
// schema's types collapse them).
bool SchemaValueFits(cSchemaValue type, std::string_view text);
// What a value of the type looks like, for a message: "true or false".
std::string_view SchemaValueDescription(cSchemaValue type);
