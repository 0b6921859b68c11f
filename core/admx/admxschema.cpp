#include "core/admx/admxschema.h"

#include <algorithm>

namespace {

using K = cSchemaKind;
using V = cSchemaValue;
using C = cSchemaContent;
constexpr int N = kSchemaUnbounded;

// ---- Attributes ------------------------------------------------------------------------------

constexpr cSchemaAttribute kFileAttributes[] = {
    {"revision", V::Version, true},
    {"schemaVersion", V::Version, true},
};
constexpr cSchemaAttribute kNamespaceAttributes[] = {
    {"prefix", V::ItemName, true},
    {"namespace", V::String, true},
};
constexpr cSchemaAttribute kSupersededAttributes[] = {{"fileName", V::String, true}};
constexpr cSchemaAttribute kAnnotationAttributes[] = {{"application", V::String, false}};
constexpr cSchemaAttribute kResourceReferenceAttributes[] = {
    {"minRequiredRevision", V::Version, true},
    {"fallbackCulture", V::String, false},
};
constexpr cSchemaAttribute kProductAttributes[] = {
    {"name", V::ItemName, true},
    {"displayName", V::StringReference, true},
};
constexpr cSchemaAttribute kVersionAttributes[] = {
    {"name", V::ItemName, true},
    {"displayName", V::StringReference, true},
    {"versionIndex", V::UnsignedInt, true},
};
// A reference of the operating system's own files carries version indexes as a range does.
constexpr cSchemaAttribute kConditionAttributes[] = {
    {"ref", V::ItemReference, true},
    {"minVersionIndex", V::UnsignedInt, false},
    {"maxVersionIndex", V::UnsignedInt, false},
};
constexpr cSchemaAttribute kCategoryAttributes[] = {
    {"name", V::ItemName, true},
    {"displayName", V::StringReference, true},
    {"explainText", V::StringReference, false},
};
constexpr cSchemaAttribute kRefAttributes[] = {{"ref", V::ItemReference, true}};
constexpr cSchemaAttribute kPolicyAttributes[] = {
    {"name", V::ItemName, true},
    {"class", V::PolicyClass, true},
    {"displayName", V::StringReference, true},
    {"explainText", V::StringReference, false},
    {"presentation", V::PresentationReference, false},
    {"key", V::String, true},
    {"valueName", V::String, false},
    {"clientExtension", V::Guid, false},
};
constexpr cSchemaAttribute kDecimalValueAttributes[] = {{"value", V::UnsignedInt, true}};
constexpr cSchemaAttribute kLongDecimalValueAttributes[] = {{"value", V::UnsignedLong, true}};
constexpr cSchemaAttribute kValueListAttributes[] = {{"defaultKey", V::String, false}};
constexpr cSchemaAttribute kValueItemAttributes[] = {
    {"key", V::String, false},
    {"valueName", V::String, true},
};
constexpr cSchemaAttribute kBooleanAttributes[] = {
    {"id", V::String, true},         {"clientExtension", V::Guid, false}, {"key", V::String, false},
    {"valueName", V::String, false}, {"required", V::Boolean, false},
};
constexpr cSchemaAttribute kDecimalAttributes[] = {
    {"id", V::String, true},
    {"clientExtension", V::Guid, false},
    {"key", V::String, false},
    {"valueName", V::String, false},
    {"required", V::Boolean, false},
    {"minValue", V::UnsignedInt, false},
    {"maxValue", V::UnsignedInt, false},
    {"storeAsText", V::Boolean, false},
    {"soft", V::Boolean, false},
};
constexpr cSchemaAttribute kLongDecimalAttributes[] = {
    {"id", V::String, true},
    {"clientExtension", V::Guid, false},
    {"key", V::String, false},
    {"valueName", V::String, false},
    {"required", V::Boolean, false},
    {"minValue", V::UnsignedLong, false},
    {"maxValue", V::UnsignedLong, false},
    {"storeAsText", V::Boolean, false},
    {"soft", V::Boolean, false},
};
constexpr cSchemaAttribute kTextAttributes[] = {
    {"id", V::String, true},           {"clientExtension", V::Guid, false},
    {"key", V::String, false},         {"valueName", V::String, false},
    {"required", V::Boolean, false},   {"maxLength", V::UnsignedInt, false},
    {"expandable", V::Boolean, false}, {"soft", V::Boolean, false},
};
constexpr cSchemaAttribute kMultiTextAttributes[] = {
    {"id", V::String, true},
    {"clientExtension", V::Guid, false},
    {"key", V::String, false},
    {"valueName", V::String, false},
    {"required", V::Boolean, false},
    {"maxLength", V::UnsignedInt, false},
    {"maxStrings", V::UnsignedInt, false},
    {"expandable", V::Boolean, false},
    {"soft", V::Boolean, false},
};
constexpr cSchemaAttribute kEnumAttributes[] = {
    {"id", V::String, true},         {"clientExtension", V::Guid, false}, {"key", V::String, false},
    {"valueName", V::String, false}, {"required", V::Boolean, false},
};
constexpr cSchemaAttribute kEnumItemAttributes[] = {{"displayName", V::StringReference, true}};
constexpr cSchemaAttribute kListAttributes[] = {
    {"id", V::String, true},
    {"clientExtension", V::Guid, false},
    {"key", V::String, false},
    {"valuePrefix", V::String, false},
    {"additive", V::Boolean, false},
    {"expandable", V::Boolean, false},
    {"explicitValue", V::Boolean, false},
};
constexpr cSchemaAttribute kIdAttributes[] = {{"id", V::ItemName, true}};
constexpr cSchemaAttribute kDecimalBoxAttributes[] = {
    {"refId", V::String, true},
    {"defaultValue", V::UnsignedInt, false},
    {"spinStep", V::UnsignedInt, false},
    {"spin", V::Boolean, false},
};
constexpr cSchemaAttribute kLongDecimalBoxAttributes[] = {
    {"refId", V::String, true},
    {"defaultValue", V::UnsignedLong, false},
    {"spinStep", V::UnsignedLong, false},
    {"spin", V::Boolean, false},
};
constexpr cSchemaAttribute kRefIdAttributes[] = {{"refId", V::String, true}};
constexpr cSchemaAttribute kComboAttributes[] = {
    {"refId", V::String, true},
    {"noSort", V::Boolean, false},
};
constexpr cSchemaAttribute kDropdownAttributes[] = {
    {"refId", V::String, true},
    {"noSort", V::Boolean, false},
    {"defaultItem", V::UnsignedInt, false},
};
constexpr cSchemaAttribute kCheckBoxAttributes[] = {
    {"refId", V::String, true},
    {"defaultChecked", V::Boolean, false},
};
constexpr cSchemaAttribute kMultiTextBoxAttributes[] = {
    {"refId", V::String, true},
    {"showAsDialog", V::Boolean, false},
    {"defaultHeight", V::UnsignedInt, false},
};

// ---- Children --------------------------------------------------------------------------------

constexpr cSchemaChild kPolicyDefinitionsChildren[] = {
    {"policyNamespaces", K::PolicyNamespaces, 0, 1, 1},
    {"supersededAdm", K::SupersededAdm, 1, 0, N},
    {"annotation", K::Annotation, 1, 0, N},
    {"resources", K::ResourceReference, 2, 1, 1},
    {"supportedOn", K::SupportedOnTable, 3, 0, 1},
    {"categories", K::Categories, 4, 0, 1},
    {"policies", K::Policies, 5, 0, 1},
};
constexpr cSchemaChild kNamespacesChildren[] = {
    {"target", K::NamespaceAssociation, 0, 1, 1},
    {"using", K::NamespaceAssociation, 1, 0, N},
};
constexpr cSchemaChild kSupportedOnTableChildren[] = {
    {"products", K::Products, 0, 0, 1},
    {"definitions", K::Definitions, 1, 0, 1},
};
constexpr cSchemaChild kProductsChildren[] = {{"product", K::Product, 0, 0, N}};
constexpr cSchemaChild kProductChildren[] = {{"majorVersion", K::MajorVersion, 0, 0, N}};
constexpr cSchemaChild kMajorVersionChildren[] = {{"minorVersion", K::MinorVersion, 0, 0, N}};
constexpr cSchemaChild kDefinitionsChildren[] = {{"definition", K::Definition, 0, 0, N}};
constexpr cSchemaChild kDefinitionChildren[] = {
    {"or", K::Condition, 0, 0, 1},
    {"and", K::Condition, 0, 0, 1},
};
constexpr cSchemaChild kConditionChildren[] = {
    {"range", K::Range, 0, 1, N},
    {"reference", K::ConditionReference, 0, 1, N},
};
constexpr cSchemaChild kCategoriesChildren[] = {{"category", K::Category, 0, 0, N}};
constexpr cSchemaChild kCategoryChildren[] = {
    {"annotation", K::Annotation, 0, 0, N},
    {"parentCategory", K::CategoryReference, 1, 0, 1},
    {"seeAlso", K::PlainText, 2, 0, N},
    {"keywords", K::PlainText, 3, 0, 1},
};
constexpr cSchemaChild kPoliciesChildren[] = {{"policy", K::Policy, 0, 0, N}};
constexpr cSchemaChild kPolicyChildren[] = {
    {"annotation", K::Annotation, 0, 0, N},
    {"parentCategory", K::CategoryReference, 1, 1, 1},
    {"seeAlso", K::PlainText, 2, 0, N},
    {"keywords", K::PlainText, 3, 0, 1},
    {"supportedOn", K::SupportedOnReference, 4, 1, 1},
    {"enabledValue", K::Value, 5, 0, 1},
    {"disabledValue", K::Value, 6, 0, 1},
    {"enabledList", K::ValueList, 7, 0, 1},
    {"disabledList", K::ValueList, 8, 0, 1},
    {"elements", K::Elements, 9, 0, 1},
};
constexpr cSchemaChild kValueChildren[] = {
    {"delete", K::Delete, 0, 1, 1},
    {"decimal", K::DecimalValue, 0, 1, 1},
    {"longDecimal", K::LongDecimalValue, 0, 1, 1},
    {"string", K::PlainText, 0, 1, 1},
};
constexpr cSchemaChild kValueListChildren[] = {{"item", K::ValueItem, 0, 0, N}};
constexpr cSchemaChild kValueItemChildren[] = {{"value", K::Value, 0, 1, 1}};
constexpr cSchemaChild kElementsChildren[] = {
    {"boolean", K::BooleanElement, 0, 0, N},     {"decimal", K::DecimalElement, 0, 0, N},
    {"text", K::TextElement, 0, 0, N},           {"enum", K::EnumElement, 0, 0, N},
    {"list", K::ListElement, 0, 0, N},           {"longDecimal", K::LongDecimalElement, 0, 0, N},
    {"multiText", K::MultiTextElement, 0, 0, N},
};
constexpr cSchemaChild kBooleanChildren[] = {
    {"trueValue", K::Value, 0, 0, 1},
    {"falseValue", K::Value, 1, 0, 1},
    {"trueList", K::ValueList, 2, 0, 1},
    {"falseList", K::ValueList, 3, 0, 1},
};
constexpr cSchemaChild kEnumChildren[] = {{"item", K::EnumItem, 0, 0, N}};
constexpr cSchemaChild kEnumItemChildren[] = {
    {"value", K::Value, 0, 1, 1},
    {"valueList", K::ValueList, 1, 0, 1},
};
constexpr cSchemaChild kResourcesFileChildren[] = {
    {"displayName", K::PlainText, 0, 1, 1},
    {"description", K::PlainText, 1, 1, 1},
    {"annotation", K::Annotation, 2, 0, N},
    {"resources", K::Resources, 3, 1, 1},
};
constexpr cSchemaChild kResourcesChildren[] = {
    {"stringTable", K::StringTable, 0, 0, 1},
    {"presentationTable", K::PresentationTable, 1, 0, 1},
};
constexpr cSchemaChild kStringTableChildren[] = {{"string", K::StringEntry, 0, 0, N}};
constexpr cSchemaChild kPresentationTableChildren[] = {{"presentation", K::Presentation, 0, 0, N}};
constexpr cSchemaChild kPresentationChildren[] = {
    {"text", K::PlainText, 0, 0, N},
    {"decimalTextBox", K::DecimalTextBox, 0, 0, N},
    {"textBox", K::TextBox, 0, 0, N},
    {"checkBox", K::CheckBox, 0, 0, N},
    {"comboBox", K::ComboBox, 0, 0, N},
    {"dropdownList", K::DropdownList, 0, 0, N},
    {"listBox", K::ListBox, 0, 0, N},
    {"longDecimalTextBox", K::LongDecimalTextBox, 0, 0, N},
    {"multiTextBox", K::MultiTextBox, 0, 0, N},
};
constexpr cSchemaChild kTextBoxChildren[] = {
    {"label", K::PlainText, 0, 1, 1},
    {"defaultValue", K::PlainText, 1, 0, 1},
};
constexpr cSchemaChild kComboBoxChildren[] = {
    {"label", K::PlainText, 0, 1, 1},
    {"default", K::PlainText, 1, 0, 1},
    {"suggestion", K::PlainText, 2, 0, N},
};

// ---- Elements --------------------------------------------------------------------------------

constexpr std::span<const cSchemaAttribute> kNoAttributes;
constexpr std::span<const cSchemaChild> kNoChildren;

// In the order of cSchemaKind.
constexpr cSchemaElement kElements[] = {
    {K::PolicyDefinitions, C::Elements, kFileAttributes, kPolicyDefinitionsChildren},
    {K::PolicyNamespaces, C::Elements, kNoAttributes, kNamespacesChildren},
    {K::NamespaceAssociation, C::Elements, kNamespaceAttributes, kNoChildren},
    {K::SupersededAdm, C::Elements, kSupersededAttributes, kNoChildren},
    {K::Annotation, C::Any, kAnnotationAttributes, kNoChildren},
    {K::ResourceReference, C::Elements, kResourceReferenceAttributes, kNoChildren},
    {K::SupportedOnTable, C::Elements, kNoAttributes, kSupportedOnTableChildren},
    {K::Products, C::Elements, kNoAttributes, kProductsChildren},
    {K::Product, C::Elements, kProductAttributes, kProductChildren},
    {K::MajorVersion, C::Elements, kVersionAttributes, kMajorVersionChildren},
    {K::MinorVersion, C::Elements, kVersionAttributes, kNoChildren},
    {K::Definitions, C::Elements, kNoAttributes, kDefinitionsChildren},
    {K::Definition, C::Elements, kProductAttributes, kDefinitionChildren},
    {K::Condition, C::Elements, kNoAttributes, kConditionChildren},
    {K::Range, C::Elements, kConditionAttributes, kNoChildren},
    {K::ConditionReference, C::Elements, kConditionAttributes, kNoChildren},
    {K::Categories, C::Elements, kNoAttributes, kCategoriesChildren},
    {K::Category, C::Elements, kCategoryAttributes, kCategoryChildren},
    {K::CategoryReference, C::Elements, kRefAttributes, kNoChildren},
    {K::PlainText, C::Text, kNoAttributes, kNoChildren},
    {K::Policies, C::Elements, kNoAttributes, kPoliciesChildren},
    {K::Policy, C::Elements, kPolicyAttributes, kPolicyChildren},
    {K::SupportedOnReference, C::Elements, kRefAttributes, kNoChildren},
    {K::Value, C::Elements, kNoAttributes, kValueChildren},
    {K::Delete, C::Elements, kNoAttributes, kNoChildren},
    {K::DecimalValue, C::Elements, kDecimalValueAttributes, kNoChildren},
    {K::LongDecimalValue, C::Elements, kLongDecimalValueAttributes, kNoChildren},
    {K::ValueList, C::Elements, kValueListAttributes, kValueListChildren},
    {K::ValueItem, C::Elements, kValueItemAttributes, kValueItemChildren},
    {K::Elements, C::Elements, kNoAttributes, kElementsChildren},
    {K::BooleanElement, C::Elements, kBooleanAttributes, kBooleanChildren},
    {K::DecimalElement, C::Elements, kDecimalAttributes, kNoChildren},
    {K::LongDecimalElement, C::Elements, kLongDecimalAttributes, kNoChildren},
    {K::TextElement, C::Elements, kTextAttributes, kNoChildren},
    {K::MultiTextElement, C::Elements, kMultiTextAttributes, kNoChildren},
    {K::EnumElement, C::Elements, kEnumAttributes, kEnumChildren},
    {K::EnumItem, C::Elements, kEnumItemAttributes, kEnumItemChildren},
    {K::ListElement, C::Elements, kListAttributes, kNoChildren},
    {K::PolicyDefinitionResources, C::Elements, kFileAttributes, kResourcesFileChildren},
    {K::Resources, C::Elements, kNoAttributes, kResourcesChildren},
    {K::StringTable, C::Elements, kNoAttributes, kStringTableChildren},
    {K::StringEntry, C::Text, kIdAttributes, kNoChildren},
    {K::PresentationTable, C::Elements, kNoAttributes, kPresentationTableChildren},
    {K::Presentation, C::Elements, kIdAttributes, kPresentationChildren},
    {K::DecimalTextBox, C::Text, kDecimalBoxAttributes, kNoChildren},
    {K::LongDecimalTextBox, C::Text, kLongDecimalBoxAttributes, kNoChildren},
    {K::TextBox, C::Elements, kRefIdAttributes, kTextBoxChildren},
    {K::ComboBox, C::Elements, kComboAttributes, kComboBoxChildren},
    {K::DropdownList, C::Text, kDropdownAttributes, kNoChildren},
    {K::ListBox, C::Text, kRefIdAttributes, kNoChildren},
    {K::CheckBox, C::Text, kCheckBoxAttributes, kNoChildren},
    {K::MultiTextBox, C::Text, kMultiTextBoxAttributes, kNoChildren},
};

constexpr bool ElementsInOrder() {
    for (size_t i = 0; i < std::size(kElements); ++i)
        if (static_cast<size_t>(kElements[i].kind) != i)
            return false;
    return std::size(kElements) == static_cast<size_t>(K::MultiTextBox) + 1;
}
static_assert(ElementsInOrder(), "kElements must list every kind in the order of cSchemaKind");

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Collapsed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHex(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// An unsigned number not above max: digits, an optional '+' before them.
bool FitsUnsigned(std::string_view text, unsigned long long max) {
    text = Collapsed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    unsigned long long value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
        const unsigned digit = unsigned(c - '0');
        if (value > (max - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

// Names as real files write them: ASCII letters, digits and "_.-", and any letter beyond
// ASCII (whatever its bytes in UTF-8). A leading digit occurs in vendors' files ("3DES").
bool IsItemName(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool ascii = IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           c == '_' || c == '.' || c == '-';
        if (!ascii && u < 0x80)
            return false;
    }
    return true;
}

bool IsReferenceTo(std::string_view text, std::string_view table) {
    if (text.size() < table.size() + 4 || text.substr(0, 2) != "$(" || text.back() != ')' ||
        text.substr(2, table.size()) != table || text[2 + table.size()] != '.')
        return false;
    return IsItemName(text.substr(table.size() + 3, text.size() - table.size() - 4));
}

bool IsGuid(std::string_view text) {
    constexpr std::string_view kForm = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (text.size() != kForm.size())
        return false;
    for (size_t i = 0; i < kForm.size(); ++i)
        if (kForm[i] == 'x' ? !IsHex(text[i]) : text[i] != kForm[i])
            return false;
    return true;
}

}  // namespace

const cSchemaElement& SchemaElement(cSchemaKind kind) {
    return kElements[static_cast<size_t>(kind)];
}

const cSchemaElement* SchemaRoot(std::string_view name) {
    if (name == "policyDefinitions")
        return &SchemaElement(K::PolicyDefinitions);
    if (name == "policyDefinitionResources")
        return &SchemaElement(K::PolicyDefinitionResources);
    return nullptr;
}

const cSchemaChild* SchemaChild(const cSchemaElement& element, std::string_view name) {
    for (const cSchemaChild& child : element.children)
        if (child.name == name)
            return &child;
    return nullptr;
}

const cSchemaAttribute* SchemaAttribute(const cSchemaElement& element, std::string_view name) {
    for (const cSchemaAttribute& attribute : element.attributes)
        if (attribute.name == name)
            return &attribute;
    return nullptr;
}

std::span<const cSchemaChild> SchemaGroup(const cSchemaElement& element, int group) {
    auto first = std::find_if(element.children.begin(), element.children.end(),
                              [&](const cSchemaChild& c) { return c.group == group; });
    auto last = std::find_if(first, element.children.end(),
                             [&](const cSchemaChild& c) { return c.group != group; });
    return {first, last};
}

bool SchemaValueFits(cSchemaValue type, std::string_view text) {
    switch (type) {
        case V::String:
            return true;
        case V::StringReference:
            return IsReferenceTo(text, "string");
        case V::PresentationReference:
            return IsReferenceTo(text, "presentation");
        case V::ItemName:
            return IsItemName(text);
        case V::ItemReference: {
            const size_t colon = text.find(':');
            return colon == std::string_view::npos
                       ? IsItemName(text)
                       : IsItemName(text.substr(0, colon)) && IsItemName(text.substr(colon + 1));
        }
        case V::Boolean: {
            const std::string_view value = Collapsed(text);
            return value == "true" || value == "false" || value == "1" || value == "0";
        }
        case V::UnsignedInt:
            return FitsUnsigned(text, 4294967295ULL);
        case V::UnsignedLong:
            return FitsUnsigned(text, 18446744073709551615ULL);
        case V::Version: {
            const std::string_view value = Collapsed(text);
            const size_t dot = value.find('.');
            auto digits = [](std::string_view part) {
                return !part.empty() && std::all_of(part.begin(), part.end(), IsDigit);
            };
            return dot != std::string_view::npos && digits(value.substr(0, dot)) &&
                   digits(value.substr(dot + 1));
        }
        case V::Guid:
            return IsGuid(Collapsed(text));
        case V::PolicyClass: {
            const std::string_view value = Collapsed(text);
            return value == "Machine" || value == "User" || value == "Both";
        }
    }
    return false;
}

std::string_view SchemaValueDescription(cSchemaValue type) {
    switch (type) {
        case V::String:
            return "a text";
        case V::StringReference:
            return "a reference $(string.ID)";
        case V::PresentationReference:
            return "a reference $(presentation.ID)";
        case V::ItemName:
            return "a name of letters, digits, '_', '.' and '-'";
        case V::ItemReference:
            return "a name, with a prefix such as windows: for another namespace";
        case V::Boolean:
            return "true or false";
        case V::UnsignedInt:
            return "a whole number from 0 to 4294967295";
        case V::UnsignedLong:
            return "a whole number from 0 to 18446744073709551615";
        case V::Version:
            return "a version such as 1.0";
        case V::Guid:
            return "a GUID in braces such as {00000000-0000-0000-0000-000000000000}";
        case V::PolicyClass:
            return "Machine, User or Both";
    }
    return "";
}
