#include "core/pages/supportedonedit.h"

#include <algorithm>

#include "core/admx/admxread.h"
#include "core/admx/admxset.h"
#include "core/check/regtext.h"
#include "core/document/document.h"
#include "core/model/nodetexts.h"
#include "core/pages/admxpages.h"

namespace {

// A version index: a whole number that fits 32 bits, digits only.
bool IsVersionIndex(const Text& text) {
    uint32_t value = 0;
    return !text.empty() && text[0] != u'-' && text[0] != u'+' && ParseRegistryDword(text, value);
}

uint64_t IndexValue(const Text& text) {
    uint64_t value = 0;
    for (char16_t c : text)
        value = value * 10 + uint64_t(c - u'0');
    return value;
}

Text Number(uint64_t value) {
    return FromUtf8(std::to_string(value));
}

// "2 policies and 1 definition".
Text Referrers(size_t policies, size_t definitions) {
    auto count = [](size_t n, const char16_t* one, const char16_t* many) {
        return Number(n) + u" " + (n == 1 ? one : many);
    };
    if (!definitions)
        return count(policies, u"policy", u"policies");
    if (!policies)
        return count(definitions, u"definition", u"definitions");
    return count(policies, u"policy", u"policies") + u" and " +
           count(definitions, u"definition", u"definitions");
}

bool SameVersionFields(const cSupportedOnVersion& version) {
    return version.origin && AttributeText(version.origin, "name") == version.name &&
           AttributeText(version.origin, "displayName") == version.displayName &&
           AttributeText(version.origin, "versionIndex") == version.versionIndex;
}

// Every version of a product with the text that names it in messages.
template <class Visit>
void ForEachVersion(const cSupportedOnProduct& product, Visit visit) {
    for (const cSupportedOnVersion& major : product.majors) {
        visit(major);
        for (const cSupportedOnVersion& minor : major.minors)
            visit(minor);
    }
}

}  // namespace

std::optional<cSupportedOnEdit> cSupportedOnEdit::Load(const CPelwinDoc& doc) {
    const auto* state = dynamic_cast<const cAdmxState*>(doc.FormatState());
    if (!state || !state->set)
        return std::nullopt;
    cSupportedOnEdit edit;
    edit.m_set = state->set.get();
    edit.m_read = edit.m_table = state->SupportedOn();
    edit.m_readStrings = edit.m_strings = doc.Strings();
    doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
        const cData* node = item->node.get();
        if (!node)
            return;
        const auto* policy =
            node->kind == kKindPolicy ? static_cast<const cPolicy*>(node) : nullptr;
        if (policy && policy->admx && !policy->admx->supportedOn.empty()) {
            std::string name;
            if (edit.m_set->Resolve(ToUtf8(policy->admx->supportedOn), name) ==
                cAdmxSet::cPlace::Here)
                ++edit.m_policyUses[FromUtf8(name)];
        }
        ForEachNodeText(*node, [&](const Text& text) {
            // A policy's supported-on text is its definition's display name, not a use of
            // its own.
            if (policy && &text == &policy->supportedText)
                return;
            const std::string utf8 = ToUtf8(text);
            if (std::string_view id = StringId(utf8); !id.empty())
                edit.m_nodeStrings.insert(FromUtf8(id));
        });
    });
    return edit;
}

Text cSupportedOnEdit::Shown(const Text& displayName) const {
    return ResolveAdmxText(m_strings, displayName);
}

void cSupportedOnEdit::SetDisplayText(Text& displayName, const Text& name, const Text& text) {
    if (Shown(displayName) == text && !displayName.empty())
        return;
    const Text id = FromUtf8(StringId(ToUtf8(displayName)));
    size_t sharing = 0;
    auto count = [&](const Text& other) { sharing += other == displayName ? 1 : 0; };
    for (const cSupportedOnDefinition& d : m_table.definitions)
        count(d.displayName);
    for (const cSupportedOnProduct& p : m_table.products) {
        count(p.displayName);
        ForEachVersion(p, [&](const cSupportedOnVersion& v) { count(v.displayName); });
    }
    if (!id.empty() && m_strings.Contains(id) && sharing <= 1 && !m_nodeStrings.count(id)) {
        m_strings.Set(id, text);
        return;
    }
    const Text base = IsAdmxName(name) ? name : Text(u"SUPPORTED");
    Text fresh = base;
    for (int n = 2; m_strings.Contains(fresh) || m_readStrings.Contains(fresh); ++n)
        fresh = base + u"_" + Number(uint64_t(n));
    m_strings.Set(fresh, text);
    displayName = StringReference(ToUtf8(fresh));
}

Text cSupportedOnEdit::UniqueName(const Text& base) const {
    const std::vector<Text> names = m_table.Names();
    Text name = base;
    for (int n = 2; std::find(names.begin(), names.end(), name) != names.end(); ++n)
        name = base + u"_" + Number(uint64_t(n));
    return name;
}

size_t cSupportedOnEdit::AddDefinition() {
    cSupportedOnDefinition definition;
    definition.name = UniqueName(u"NewDefinition");
    m_table.definitions.push_back(definition);
    cSupportedOnDefinition& added = m_table.definitions.back();
    SetDisplayText(added.displayName, added.name, added.name);
    return m_table.definitions.size() - 1;
}

size_t cSupportedOnEdit::AddProduct() {
    cSupportedOnProduct product;
    product.name = UniqueName(u"NewProduct");
    m_table.products.push_back(product);
    cSupportedOnProduct& added = m_table.products.back();
    SetDisplayText(added.displayName, added.name, added.name);
    return m_table.products.size() - 1;
}

namespace {

// The version index after the last one given.
Text NextIndex(const std::vector<cSupportedOnVersion>& versions) {
    uint64_t next = 0;
    for (const cSupportedOnVersion& v : versions)
        if (IsVersionIndex(v.versionIndex))
            next = std::max(next, IndexValue(v.versionIndex) + 1);
    return Number(std::min<uint64_t>(next, 4294967295ULL));
}

}  // namespace

size_t cSupportedOnEdit::AddMajorVersion(size_t product) {
    std::vector<cSupportedOnVersion>& majors = m_table.products.at(product).majors;
    cSupportedOnVersion version;
    version.name = UniqueName(u"NewVersion");
    version.versionIndex = NextIndex(majors);
    majors.push_back(version);
    SetDisplayText(majors.back().displayName, majors.back().name, majors.back().name);
    return majors.size() - 1;
}

size_t cSupportedOnEdit::AddMinorVersion(size_t product, size_t major) {
    std::vector<cSupportedOnVersion>& minors = m_table.products.at(product).majors.at(major).minors;
    cSupportedOnVersion version;
    version.name = UniqueName(u"NewVersion");
    version.versionIndex = NextIndex(minors);
    minors.push_back(version);
    SetDisplayText(minors.back().displayName, minors.back().name, minors.back().name);
    return minors.size() - 1;
}

size_t cSupportedOnEdit::PolicyUses(const Text& name) const {
    auto found = m_policyUses.find(name);
    return found == m_policyUses.end() ? 0 : found->second;
}

std::optional<Text> cSupportedOnEdit::CheckUnreferenced(const std::vector<Text>& names,
                                                        size_t skipDefinition,
                                                        const Text& what) const {
    auto among = [&](const Text& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    size_t policies = 0;
    for (const Text& name : names)
        policies += PolicyUses(name);
    size_t definitions = 0;
    for (size_t i = 0; i < m_table.definitions.size(); ++i) {
        if (i == skipDefinition)
            continue;
        bool refers = false;
        for (const cSupportedOnReference& reference : m_table.definitions[i].references) {
            std::string local;
            refers =
                refers || (m_set->Resolve(ToUtf8(reference.ref), local) == cAdmxSet::cPlace::Here &&
                           among(FromUtf8(local)));
        }
        definitions += refers ? 1 : 0;
    }
    if (!policies && !definitions)
        return std::nullopt;
    return FormatText(
        u"\"%.50s\" cannot be deleted: %s %s to it. Let them refer to "
        u"something else first.",
        {what, Referrers(policies, definitions),
         Text(policies + definitions == 1 ? u"refers" : u"refer")});
}

std::optional<Text> cSupportedOnEdit::DeleteDefinition(size_t index) {
    const cSupportedOnDefinition& definition = m_table.definitions.at(index);
    if (auto refused = CheckUnreferenced({definition.name}, index, definition.name))
        return refused;
    m_table.definitions.erase(m_table.definitions.begin() + std::ptrdiff_t(index));
    return std::nullopt;
}

std::optional<Text> cSupportedOnEdit::DeleteProduct(size_t index) {
    const cSupportedOnProduct& product = m_table.products.at(index);
    std::vector<Text> names{product.name};
    ForEachVersion(product, [&](const cSupportedOnVersion& v) { names.push_back(v.name); });
    if (auto refused = CheckUnreferenced(names, size_t(-1), product.name))
        return refused;
    m_table.products.erase(m_table.products.begin() + std::ptrdiff_t(index));
    return std::nullopt;
}

std::optional<Text> cSupportedOnEdit::DeleteVersion(size_t product, size_t major,
                                                    std::optional<size_t> minor) {
    cSupportedOnVersion& majorVersion = m_table.products.at(product).majors.at(major);
    if (minor) {
        const cSupportedOnVersion& minorVersion = majorVersion.minors.at(*minor);
        if (auto refused = CheckUnreferenced({minorVersion.name}, size_t(-1), minorVersion.name))
            return refused;
        majorVersion.minors.erase(majorVersion.minors.begin() + std::ptrdiff_t(*minor));
        return std::nullopt;
    }
    std::vector<Text> names{majorVersion.name};
    for (const cSupportedOnVersion& v : majorVersion.minors)
        names.push_back(v.name);
    if (auto refused = CheckUnreferenced(names, size_t(-1), majorVersion.name))
        return refused;
    auto& majors = m_table.products.at(product).majors;
    majors.erase(majors.begin() + std::ptrdiff_t(major));
    return std::nullopt;
}

std::optional<Text> cSupportedOnEdit::CheckReference(const cSupportedOnReference& reference) const {
    std::string local;
    const cAdmxSet::cPlace place = m_set->Resolve(ToUtf8(reference.ref), local);
    if (reference.ref.empty() || !IsAdmxName(FromUtf8(local)))
        return FormatText(
            u"The reference \"%.50s\" is not a name of a product, version or "
            u"definition.",
            {reference.ref});
    if (place == cAdmxSet::cPlace::Nowhere)
        return FormatText(u"The reference \"%.50s\" names a namespace this file does not use.",
                          {reference.ref});
    if (place == cAdmxSet::cPlace::Here && !m_table.DisplayNameOf(FromUtf8(local)))
        return FormatText(
            u"The reference \"%.50s\" names no product, version or definition of "
            u"this file.",
            {reference.ref});
    if (!reference.range)
        return std::nullopt;
    for (const Text* index : {&reference.minVersionIndex, &reference.maxVersionIndex})
        if (!index->empty() && !IsVersionIndex(*index))
            return FormatText(
                u"The range of \"%.50s\": \"%.20s\" is not a whole number from 0 "
                u"to 4294967295.",
                {reference.ref, *index});
    if (!reference.minVersionIndex.empty() && !reference.maxVersionIndex.empty() &&
        IndexValue(reference.minVersionIndex) > IndexValue(reference.maxVersionIndex))
        return FormatText(u"The range of \"%.50s\": the minimum %s is above the maximum %s.",
                          {reference.ref, reference.minVersionIndex, reference.maxVersionIndex});
    return std::nullopt;
}

bool cSupportedOnEdit::TextChanged(const Text& displayName) const {
    return Shown(displayName) != ResolveAdmxText(m_readStrings, displayName);
}

std::optional<Text> cSupportedOnEdit::Validate() const {
    const std::vector<Text> names = m_table.Names();
    // The fields an entry new or changed must have.
    auto checkEntry = [&](const Text& name, const Text& displayName,
                          const char16_t* kind) -> std::optional<Text> {
        if (!IsAdmxName(name))
            return FormatText(
                u"The %s name \"%.50s\" cannot be used: a name begins with a "
                u"letter or an underscore and holds only letters, digits, "
                u"underscores, hyphens and periods.",
                {Text(kind), name});
        if (std::count(names.begin(), names.end(), name) > 1)
            return FormatText(
                u"The name \"%.50s\" is given twice. Products, versions and "
                u"definitions each need a name of their own.",
                {name});
        if (Shown(displayName).empty())
            return FormatText(u"The %s \"%.50s\" needs a display name.", {Text(kind), name});
        return std::nullopt;
    };
    for (const cSupportedOnProduct& product : m_table.products) {
        if (!product.origin || AttributeText(product.origin, "name") != product.name ||
            AttributeText(product.origin, "displayName") != product.displayName ||
            TextChanged(product.displayName))
            if (auto error = checkEntry(product.name, product.displayName, u"product"))
                return error;
        std::optional<Text> error;
        ForEachVersion(product, [&](const cSupportedOnVersion& version) {
            if (error || (SameVersionFields(version) && !TextChanged(version.displayName)))
                return;
            error = checkEntry(version.name, version.displayName, u"version");
            if (!error && !IsVersionIndex(version.versionIndex))
                error = FormatText(
                    u"The version index \"%.20s\" of \"%.50s\" is not a whole "
                    u"number from 0 to 4294967295.",
                    {version.versionIndex, version.name});
        });
        if (error)
            return error;
    }
    for (const cSupportedOnDefinition& definition : m_table.definitions) {
        if (definition.origin &&
            definition == cSupportedOnTable::ReadDefinition(definition.origin) &&
            !TextChanged(definition.displayName))
            continue;
        if (auto error = checkEntry(definition.name, definition.displayName, u"definition"))
            return error;
        for (const cSupportedOnReference& reference : definition.references)
            if (auto error = CheckReference(reference))
                return FormatText(u"Definition \"%.50s\": %s", {definition.name, *error});
    }
    // What policies and definitions refer to stays (a rename or a deletion is refused).
    auto kept = [&](const Text& name, size_t policies, size_t definitions) -> std::optional<Text> {
        if (!m_read.DisplayNameOf(name) || m_table.DisplayNameOf(name))
            return std::nullopt;
        return FormatText(
            u"%s refer to \"%.50s\", which is no longer in the table. Keep its "
            u"name, or let them refer to something else first.",
            {Referrers(policies, definitions), name});
    };
    for (const auto& [name, count] : m_policyUses)
        if (auto error = kept(name, count, 0))
            return error;
    for (const cSupportedOnDefinition& definition : m_table.definitions)
        for (const cSupportedOnReference& reference : definition.references) {
            std::string local;
            if (m_set->Resolve(ToUtf8(reference.ref), local) == cAdmxSet::cPlace::Here)
                if (auto error = kept(FromUtf8(local), 0, 1))
                    return error;
        }
    return std::nullopt;
}

bool cSupportedOnEdit::Changed() const {
    if (!(m_table == m_read))
        return true;
    // The strings made here are shown by entries of the table, which then differs.
    for (const auto& [id, text] : m_readStrings.Entries())
        if (*m_strings.Find(id) != text)
            return true;
    return false;
}

std::unique_ptr<cEditStep> cSupportedOnEdit::MakeStep(CPelwinDoc& doc) const {
    if (!Changed())
        return nullptr;
    // A definition's references are joined by "or" unless the dialog chose "and"; one
    // without references has no condition.
    cSupportedOnTable table = m_table;
    for (cSupportedOnDefinition& definition : table.definitions)
        if (definition.references.empty())
            definition.join = cSupportedOnJoin::None;
        else if (definition.join == cSupportedOnJoin::None)
            definition.join = cSupportedOnJoin::Or;
    // The strings as read with their texts now; a string made here goes under an id derived
    // from its entry's final name, and one no entry shows any more is left out.
    cStringMap strings;
    for (const auto& [id, text] : m_strings.Entries())
        if (m_readStrings.Contains(id))
            strings.Set(id, text);
    auto place = [&](Text& displayName, const Text& name) {
        const Text id = FromUtf8(StringId(ToUtf8(displayName)));
        const Text* text = m_strings.Find(id);
        if (id.empty() || m_readStrings.Contains(id) || !text)
            return;
        const Text base = IsAdmxName(name) ? name : Text(u"SUPPORTED");
        Text fresh = base;
        for (int n = 2; strings.Contains(fresh); ++n)
            fresh = base + u"_" + Number(uint64_t(n));
        strings.Set(fresh, *text);
        displayName = StringReference(ToUtf8(fresh));
    };
    for (cSupportedOnProduct& p : table.products) {
        place(p.displayName, p.name);
        for (cSupportedOnVersion& major : p.majors) {
            place(major.displayName, major.name);
            for (cSupportedOnVersion& minor : major.minors)
                place(minor.displayName, minor.name);
        }
    }
    for (cSupportedOnDefinition& d : table.definitions)
        place(d.displayName, d.name);
    // The supported-on texts that follow their definition's display name.
    std::vector<std::pair<cTreePath, Text>> texts;
    doc.Tree().ForEachPreOrder([&](cTreeItem* item) {
        const auto* policy = dynamic_cast<const cPolicy*>(item->node.get());
        if (!policy || !policy->admx || !policy->supportedFlag || policy->admx->supportedOn.empty())
            return;
        const std::string reference = ToUtf8(policy->admx->supportedOn);
        const Text before = SupportedOnText(m_read, *m_set, reference);
        const Text after = SupportedOnText(table, *m_set, reference);
        if (policy->supportedText == before && after != before)
            texts.emplace_back(cTreePath::Of(item), after);
    });
    return std::make_unique<cSupportedOnStep>(std::move(table), std::move(strings),
                                              std::move(texts));
}

bool cSupportedOnStep::Swap(CPelwinDoc& doc) {
    auto* state = dynamic_cast<cAdmxState*>(doc.FormatState());
    if (!state)
        return false;
    std::swap(state->supportedOn, m_table);
    for (auto& [path, text] : m_texts)
        if (auto* policy = dynamic_cast<cPolicy*>(path.Find(doc.Tree())))
            std::swap(policy->supportedText, text);
    m_strings = SetStringTable(doc, std::move(m_strings));
    ShowFileChange(doc);
    return true;
}

Text AppliesToText(const cSupportedOnDefinition& definition) {
    Text text;
    const Text join = definition.join == cSupportedOnJoin::And ? u" and " : u" or ";
    for (const cSupportedOnReference& reference : definition.references) {
        if (!text.empty())
            text += join;
        if (!reference.range) {
            text += reference.ref;
            continue;
        }
        text += u"Range of " + reference.ref;
        const Text& min = reference.minVersionIndex;
        const Text& max = reference.maxVersionIndex;
        if (!min.empty() && !max.empty())
            text += u" " + min + u"\u2013" + max;
        else if (!min.empty())
            text += u" \u2265 " + min;
        else if (!max.empty())
            text += u" \u2264 " + max;
    }
    return text;
}
