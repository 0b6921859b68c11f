#include "core/check/diff.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

#include "core/check/find.h"
#include "core/check/policyplace.h"
#include "core/check/regtext.h"
#include "core/model/partkinds.h"

namespace {

// One policy under one of its classes.
struct cSidePolicy {
    const CPelwinDoc* doc;
    const cTreeItem* item;
    const cObjPolicy* policy;
    Text className;
    Text identityKey;  // the identity as one text, for the index
    size_t occurrence = 0;
    size_t next = size_t(-1);  // the next policy known the same way, in tree order
};

// A display text as the template shows it, without a copy: a reference resolved through the
// string table, any other text as it is. breaks: the two characters "\n" stand for a line
// break (an ADM template's texts; an ADMX string holds its line breaks as they are).
struct cShown {
    TextView text;
    bool breaks = true;
};

cShown Resolved(const CPelwinDoc& doc, const Text& text) {
    if (const Text* found = ReferencedString(doc, text))
        return {*found, BackslashNIsLineBreak(doc)};
    return {text};
}

// Steps through a resolved text as it is shown: "\n" as a line break where it stands for one,
// carriage returns left out (a line break is a line break however the file wrote it).
class cShownReader {
public:
    explicit cShownReader(cShown text) : m_text(text.text), m_breaks(text.breaks) {}
    bool Next(char16_t& c) {
        while (m_at < m_text.size()) {
            c = m_text[m_at++];
            if (c == u'\r')
                continue;
            if (m_breaks && c == u'\\' && m_at < m_text.size() && m_text[m_at] == u'n') {
                ++m_at;
                c = u'\n';
            }
            return true;
        }
        return false;
    }

private:
    TextView m_text;
    bool m_breaks;
    size_t m_at = 0;
};

// Whether two resolved texts show the same. Most texts compared are equal as they stand;
// the texts run to megabytes, so nothing is copied.
bool SameShown(cShown a, cShown b) {
    if (a.text == b.text && a.breaks == b.breaks)
        return true;
    cShownReader x(a), y(b);
    char16_t c = 0, d = 0;
    while (true) {
        bool more = x.Next(c);
        if (more != y.Next(d))
            return false;
        if (!more)
            return true;
        if (c != d)
            return false;
    }
}

void AppendFolded(Text& out, TextView text) {
    for (char16_t c : text)
        out += FoldChar(c);
}

// The identity as one text: the class, the folded key, and the folded value name or the
// folded display text as shown.
Text IdentityKey(const Text& cls, TextView foldedKey, bool byValueName, cShown name) {
    Text key;
    key.reserve(cls.size() + foldedKey.size() + name.text.size() + 4);
    key += cls;
    key += u'\x1f';
    key += foldedKey;
    if (byValueName) {
        key += u"\x1fv";
        AppendFolded(key, name.text);
    } else {
        key +=
            u"\x1f"
            u"d";
        cShownReader reader(name);
        for (char16_t c = 0; reader.Next(c);)
            key += FoldChar(c);
    }
    return key;
}

// The identity as one text: class, folded key, and the folded value name or display text.
// The folded key of a policy that uses its category's key is found once per category.
class cIdentityKeys {
public:
    explicit cIdentityKeys(const CPelwinDoc& doc) : m_doc(doc) {}

    Text Key(const cTreeItem& item, const cObjPolicy& policy, const Text& cls) {
        const Text* key = &policy.keyName;
        Text own;
        if (policy.useDefaultKey) {
            auto [cached, added] = m_inherited.try_emplace(item.parent);
            if (added)
                cached->second = FoldCase(policy.GetInheritedKey());
            key = &cached->second;
        } else {
            own = FoldCase(policy.keyName);
            key = &own;
        }
        return policy.valueNameFlag ? IdentityKey(cls, *key, true, {policy.valueName})
                                    : IdentityKey(cls, *key, false, Resolved(m_doc, policy.name));
    }

private:
    const CPelwinDoc& m_doc;
    std::unordered_map<const cTreeItem*, Text> m_inherited;
};

// Every policy of a template under each of its classes, in tree order, numbered within
// their identity and chained to the next of the same identity; index maps an identity to its
// first and last policy.
using cIdentityIndex = std::unordered_map<TextView, std::pair<size_t, size_t>>;

std::vector<cSidePolicy> Collect(const std::vector<const CPelwinDoc*>& docs,
                                 cIdentityIndex& index) {
    std::vector<cSidePolicy> out;
    for (const CPelwinDoc* doc : docs) {
        cIdentityKeys keys(*doc);
        ForEachPolicy(*doc, [&](const cTreeItem& item, const cObjPolicy& policy) {
            for (Text& cls : PolicyClasses(item)) {
                Text key = keys.Key(item, policy, cls);
                out.push_back({doc, &item, &policy, std::move(cls), std::move(key)});
            }
        });
    }
    // Each identity's first and last policy; the keys are viewed where the policies hold them.
    index.reserve(out.size());
    for (size_t i = 0; i < out.size(); ++i) {
        auto [at, added] = index.try_emplace(out[i].identityKey, i, i);
        if (!added) {
            size_t& last = at->second.second;
            out[last].next = i;
            out[i].occurrence = out[last].occurrence + 1;
            last = i;
        }
    }
    return out;
}

// ---- What changed in a policy ----------------------------------------------------------

// A value record by what it writes: a number compares by its value, texts as they are.
Text ValueKey(const cDescVal* value, const Text& absent) {
    if (!value)
        return absent;
    if (value->IsDelete())
        return u"delete";
    if (value->IsNumeric()) {
        uint32_t number = 0;
        if (ParseRegistryDword(value->valueText, number))
            return u"dword " + FromUtf8(std::to_string(number));
        return u"numeric " + value->valueText;
    }
    return u"string " + value->valueText;
}

// A value record by what it writes, without a copy; a missing record stands for `absent`.
struct cValueView {
    int kind = 0;  // 0 removal, 1 DWORD, 2 NUMERIC that is no number, 3 string
    uint32_t number = 0;
    TextView text;
    bool operator==(const cValueView&) const = default;
};

cValueView ViewOf(const cDescVal* value, const cDescVal& absent) {
    if (!value)
        value = &absent;
    cValueView view;
    if (value->IsDelete())
        return view;
    if (value->IsNumeric()) {
        view.kind = ParseRegistryDword(value->valueText, view.number) ? 1 : 2;
        if (view.kind == 2)
            view.text = value->valueText;
        return view;
    }
    view.kind = 3;
    view.text = value->valueText;
    return view;
}

bool SameValue(const cOptionalValue& a, const cOptionalValue& b, const cDescVal& absent) {
    return ViewOf(a ? &*a : nullptr, absent) == ViewOf(b ? &*b : nullptr, absent);
}

// What a missing VALUEON and VALUEOFF write: a DWORD 1, and the removal of the value.
const cDescVal kDefaultOn{{}, u"1", 1, 0};
const cDescVal kDefaultOff{{}, {}, 0, 1};

// An action list as the set of what it writes: keys and value names without regard to case.
std::vector<Text> ListKey(const cActionList& list) {
    std::vector<Text> out;
    for (const cActionKey& group : list)
        for (const cActionValue& entry : group.entries)
            out.push_back(FoldCase(group.keyName) + u'\x1f' + FoldCase(entry.valueName) + u'\x1f' +
                          ValueKey(&entry, {}));
    std::sort(out.begin(), out.end());
    return out;
}

// How a part is known within its policy: by its key and value name, a list box by its key.
// Text parts write nothing and are not compared.
Text PartIdentity(const cObjPolPart& part) {
    if (!UsesKey(part))
        return {};
    Text key = FoldCase(part.GetEffectiveKey());
    if (!UsesValueName(part))
        return u"L\x1f" + key;
    return u"V\x1f" + key + u'\x1f' + FoldCase(part.valueName);
}

Text PartName(const cObjPolPart& part) {
    return UsesValueName(part) ? part.valueName : part.GetEffectiveKey();
}

const char16_t* KindName(const cObjPolPart& part) {
    return VisitPart(part, [](const auto& kind) { return kind.kKeyword.data(); });
}

class cPolicyComparer {
public:
    // a of the older template, b of the newer one.
    std::vector<Text> Changes(const cSidePolicy& older, const cSidePolicy& newer) const {
        m_older = older.doc;
        m_newer = newer.doc;
        const cObjPolicy& a = *older.policy;
        const cObjPolicy& b = *newer.policy;
        std::vector<Text> changes;
        auto note = [&](bool differs, const char16_t* what) {
            if (differs)
                changes.push_back(what);
        };
        note(!SameShown(Resolved(*m_older, a.name), Resolved(*m_newer, b.name)), u"display text");
        note(!SameShown(Optional(*m_older, a.explainFlag, a.explainText),
                        Optional(*m_newer, b.explainFlag, b.explainText)),
             u"explain text");
        // Most policies share one supported-on text: it is looked up once per text.
        note(!SameShown(m_olderSupported.Of(*m_older, a.supportedFlag, a.supportedText),
                        m_newerSupported.Of(*m_newer, b.supportedFlag, b.supportedText)),
             u"supported on");
        if (a.valueNameFlag || b.valueNameFlag) {
            note(!SameValue(a.valueOn, b.valueOn, kDefaultOn), u"on value");
            note(!SameValue(a.valueOff, b.valueOff, kDefaultOff), u"off value");
        }
        note(!SameList(a.actionListOn, b.actionListOn), u"on list");
        note(!SameList(a.actionListOff, b.actionListOff), u"off list");
        if (!a.Parts().empty() || !b.Parts().empty())
            Parts(a, b, changes);
        return changes;
    }

private:
    // The last text resolved and what it resolved to.
    struct cLastResolved {
        const CPelwinDoc* doc = nullptr;
        const Text* text = nullptr;
        cShown resolved;
        cShown Of(const CPelwinDoc& in, int flag, const Text& raw) {
            if (!flag)
                return {};
            // One reference resolves differently in another template of a store.
            if (!text || doc != &in || *text != raw) {
                doc = &in;
                text = &raw;
                resolved = Resolved(in, raw);
            }
            return resolved;
        }
    };

    static bool SameList(const cActionList& a, const cActionList& b) {
        return (a.empty() && b.empty()) || ListKey(a) == ListKey(b);
    }

    static Text Shown(const CPelwinDoc& doc, const Text& text) {
        Text out;
        cShownReader reader(Resolved(doc, text));
        for (char16_t c = 0; reader.Next(c);)
            out += c;
        return out;
    }
    static cShown Optional(const CPelwinDoc& doc, int flag, const Text& text) {
        return flag ? Resolved(doc, text) : cShown();
    }

    void Parts(const cObjPolicy& a, const cObjPolicy& b, std::vector<Text>& changes) const {
        // Parts known the same way several times are paired in order.
        std::vector<std::pair<Text, const cObjPolPart*>> older;
        for (const auto& part : a.Parts())
            if (Text id = PartIdentity(*part); !id.empty())
                older.emplace_back(std::move(id), part.get());
        std::vector<bool> paired(older.size(), false);
        std::vector<Text> added;
        for (const auto& part : b.Parts()) {
            Text id = PartIdentity(*part);
            if (id.empty())
                continue;
            size_t i = 0;
            while (i < older.size() && (paired[i] || older[i].first != id))
                ++i;
            if (i == older.size()) {
                added.push_back(u"part " + PartName(*part) + u" added");
                continue;
            }
            paired[i] = true;
            std::vector<Text> what = PartChanges(*older[i].second, *part);
            if (what.empty())
                continue;
            Text line = u"part " + PartName(*part) + u" changed (";
            for (size_t k = 0; k < what.size(); ++k)
                line += (k ? u", " : u"") + what[k];
            changes.push_back(line + u")");
        }
        for (size_t i = 0; i < older.size(); ++i)
            if (!paired[i])
                changes.push_back(u"part " + PartName(*older[i].second) + u" removed");
        changes.insert(changes.end(), added.begin(), added.end());
    }

    std::vector<Text> PartChanges(const cObjPolPart& a, const cObjPolPart& b) const {
        std::vector<Text> what;
        if (a.PanelKind() != b.PanelKind()) {
            what.push_back(u"kind " + Text(KindName(a)) + u" to " + KindName(b));
            return what;
        }
        VisitPart(a, [&](const auto& x) {
            using Kind = std::decay_t<decltype(x)>;
            const Kind& y = static_cast<const Kind&>(b);
            Compare(x, y, what);
        });
        return what;
    }

    static Text Number(int flag, const Text& text) {
        if (!flag)
            return {};
        uint32_t number = 0;
        return ParseRegistryDword(text, number) ? FromUtf8(std::to_string(number)) : text;
    }

    void Compare(const cObjPolPartNum& a, const cObjPolPartNum& b, std::vector<Text>& what) const {
        if (Number(a.minFlag, a.min) != Number(b.minFlag, b.min) ||
            Number(a.maxFlag, a.max) != Number(b.maxFlag, b.max))
            what.push_back(u"range");
        if (a.txtConvert != b.txtConvert)
            what.push_back(u"value type");
    }
    // An edit text or a combo box: the fields of the text typed.
    void Compare(const cTextEntryFields& a, const cTextEntryFields& b,
                 std::vector<Text>& what) const {
        if (Number(a.maxLenFlag, a.maxLen) != Number(b.maxLenFlag, b.maxLen))
            what.push_back(u"range");
        if (a.expandableText != b.expandableText)
            what.push_back(u"value type");
    }
    void Compare(const cObjPolPartDropDown& a, const cObjPolPartDropDown& b,
                 std::vector<Text>& what) const {
        if (Items(*m_older, a) != Items(*m_newer, b))
            what.push_back(u"items");
    }
    void Compare(const cObjPolPartCheckBox& a, const cObjPolPartCheckBox& b,
                 std::vector<Text>& what) const {
        auto value = [](const cOptionalValue& v, const Text& absent) {
            return ValueKey(v.has_value() ? &*v : nullptr, absent);
        };
        if (value(a.valueOn, u"dword 1") != value(b.valueOn, u"dword 1") ||
            value(a.valueOff, u"dword 0") != value(b.valueOff, u"dword 0") ||
            ListKey(a.actionListOn) != ListKey(b.actionListOn) ||
            ListKey(a.actionListOff) != ListKey(b.actionListOff))
            what.push_back(u"values");
    }
    void Compare(const cObjPolPartListBox& a, const cObjPolPartListBox& b,
                 std::vector<Text>& what) const {
        if (a.additive != b.additive || a.explicitValue != b.explicitValue ||
            a.valuePrefixFlag != b.valuePrefixFlag ||
            (a.valuePrefixFlag && FoldCase(a.valuePrefix) != FoldCase(b.valuePrefix)))
            what.push_back(u"value names");
    }
    void Compare(const cObjPolPartText&, const cObjPolPartText&, std::vector<Text>&) const {}
    void Compare(const cObjPolPartLongNum& a, const cObjPolPartLongNum& b,
                 std::vector<Text>& what) const {
        auto bound = [](int flag, const Text& text) {
            return flag ? Text(TrimBlanks(text)) : Text();
        };
        if (bound(a.minFlag, a.min) != bound(b.minFlag, b.min) ||
            bound(a.maxFlag, a.max) != bound(b.maxFlag, b.max))
            what.push_back(u"range");
        if (a.txtConvert != b.txtConvert)
            what.push_back(u"value type");
    }
    void Compare(const cObjPolPartMultiText& a, const cObjPolPartMultiText& b,
                 std::vector<Text>& what) const {
        if (Number(a.maxLenFlag, a.maxLen) != Number(b.maxLenFlag, b.maxLen) ||
            Number(a.maxStringsFlag, a.maxStrings) != Number(b.maxStringsFlag, b.maxStrings))
            what.push_back(u"range");
    }

    // The items of a drop-down list by what they show and write; the order counts only
    // where the list is shown unsorted.
    static std::vector<Text> Items(const CPelwinDoc& doc, const cObjPolPartDropDown& list) {
        std::vector<Text> out;
        for (const cItemList& item : list.itemList) {
            Text line = Shown(doc, item.name) + u'\x1f' + ValueKey(&item.value, {});
            for (const Text& entry : ListKey(item.actionList))
                line += u'\x1e' + entry;
            out.push_back(std::move(line));
        }
        if (!list.noSort)
            std::sort(out.begin(), out.end());
        return out;
    }

    // The templates of the pair being compared.
    mutable const CPelwinDoc* m_older = nullptr;
    mutable const CPelwinDoc* m_newer = nullptr;
    mutable cLastResolved m_olderSupported;
    mutable cLastResolved m_newerSupported;
};

Text PathOf(const cDiffEntry& entry) {
    Text path;
    size_t size = entry.className.size() + entry.name.size() + 3;
    for (const Text& category : entry.categories)
        size += category.size() + 3;
    path.reserve(size);
    path += entry.className;
    for (const Text& category : entry.categories) {
        if (!path.empty())
            path += u" > ";
        path += category;
    }
    if (!path.empty())
        path += u" > ";
    return path += entry.name;
}

// The categories of the policies under one parent, found once.
using cCategoryCache = std::unordered_map<const cTreeItem*, std::vector<Text>>;

// place: set to the categories the entry was made with, which entries of one parent share.
cDiffEntry MakeEntry(cDiffKind kind, const cSidePolicy& side, cCategoryCache& categories,
                     std::vector<const void*>& places) {
    const CPelwinDoc& doc = *side.doc;
    cDiffEntry entry;
    entry.kind = kind;
    entry.className = side.className;
    auto [cached, added] = categories.try_emplace(side.item->parent);
    if (added)
        cached->second = PolicyCategories(doc, *side.item);
    entry.categories = cached->second;
    places.push_back(&cached->second);
    entry.name = ShownText(doc, side.policy->name);
    entry.key = side.policy->GetEffectiveKey();
    entry.hasValueName = side.policy->valueNameFlag != 0;
    if (entry.hasValueName)
        entry.valueName = side.policy->valueName;
    entry.path = PathOf(entry);
    entry.occurrence = side.occurrence;
    entry.doc = side.doc;
    entry.policy = side.policy;
    return entry;
}

}  // namespace

cPolicyIdentity cDiffEntry::Identity() const {
    return {IdentityKey(className, FoldCase(key), hasValueName,
                        {hasValueName ? valueName : name, false})};
}

Text cDiffEntry::KeyText() const {
    return hasValueName ? key + u"\\" + valueName : key;
}

cDiffResult DiffTemplates(const CPelwinDoc& older, const CPelwinDoc& newer) {
    return DiffStores({&older}, {&newer});
}

cDiffResult DiffStores(const std::vector<const CPelwinDoc*>& older,
                       const std::vector<const CPelwinDoc*>& newer) {
    cIdentityIndex olderIndex, newerIndex;
    std::vector<cSidePolicy> before = Collect(older, olderIndex);
    const std::vector<cSidePolicy> after = Collect(newer, newerIndex);

    cDiffResult result;
    cPolicyComparer comparer;
    cCategoryCache olderCategories, newerCategories;
    std::vector<const void*> places;  // one per entry
    std::vector<bool> paired(before.size(), false);
    // Room for the most there can be; only what is used is ever touched.
    result.entries.reserve(before.size() + after.size());
    // Each identity's policies are paired in tree order: the k-th of the newer template with
    // the k-th of the older one. Where an identity stands several times, those in a category
    // of the same name pair first: the formats order a category's policies and subcategories
    // differently, and a policy should meet its namesake in the same place.
    std::vector<size_t> olderChain, newerChain, pairOf;
    for (size_t start = 0; start < after.size(); ++start) {
        if (after[start].occurrence != 0)
            continue;
        auto found = olderIndex.find(after[start].identityKey);
        olderChain.clear();
        newerChain.clear();
        if (found != olderIndex.end())
            for (size_t at = found->second.first; at != size_t(-1); at = before[at].next)
                olderChain.push_back(at);
        for (size_t at = start; at != size_t(-1); at = after[at].next)
            newerChain.push_back(at);
        pairOf.assign(newerChain.size(), size_t(-1));
        if (olderChain.size() > 1 || newerChain.size() > 1) {
            auto place = [](const cSidePolicy& side) {
                const CPelwinDoc& doc = *side.doc;
                const cTreeItem* parent = side.item->parent;
                return parent && parent->node && parent->node->kind == kKindCategory
                           ? FoldCase(
                                 ShownText(doc, static_cast<const cCategory&>(*parent->node).name))
                           : Text();
            };
            std::vector<Text> olderPlaces;
            for (size_t old : olderChain)
                olderPlaces.push_back(place(before[old]));
            for (size_t k = 0; k < newerChain.size(); ++k) {
                const Text here = place(after[newerChain[k]]);
                for (size_t o = 0; o < olderChain.size(); ++o)
                    if (!paired[olderChain[o]] && olderPlaces[o] == here) {
                        pairOf[k] = olderChain[o];
                        paired[olderChain[o]] = true;
                        break;
                    }
            }
        }
        size_t next = 0;  // the first older policy of the identity not yet paired
        for (size_t k = 0; k < newerChain.size(); ++k) {
            if (pairOf[k] != size_t(-1))
                continue;
            while (next < olderChain.size() && paired[olderChain[next]])
                ++next;
            if (next < olderChain.size()) {
                pairOf[k] = olderChain[next];
                paired[olderChain[next]] = true;
            }
        }
        for (size_t k = 0; k < newerChain.size(); ++k) {
            const cSidePolicy& side = after[newerChain[k]];
            if (pairOf[k] == size_t(-1)) {
                cDiffEntry entry = MakeEntry(cDiffKind::Added, side, newerCategories, places);
                entry.newerLine = side.policy->line;
                result.entries.push_back(std::move(entry));
                ++result.added;
                continue;
            }
            const cSidePolicy& pair = before[pairOf[k]];
            std::vector<Text> changes = comparer.Changes(pair, side);
            if (changes.empty())
                continue;
            cDiffEntry entry = MakeEntry(cDiffKind::Changed, side, newerCategories, places);
            entry.olderLine = pair.policy->line;
            entry.newerLine = side.policy->line;
            entry.changes = std::move(changes);
            result.entries.push_back(std::move(entry));
            ++result.changed;
        }
    }
    for (size_t i = 0; i < before.size(); ++i) {
        if (paired[i])
            continue;
        cDiffEntry entry = MakeEntry(cDiffKind::Removed, before[i], olderCategories, places);
        entry.olderLine = before[i].policy->line;
        result.entries.push_back(std::move(entry));
        ++result.removed;
    }
    // Sorted by path.
    struct cSortKey {
        const Text* path;
        const void* place;
        const cDiffEntry* entry;
        size_t index;
    };
    std::vector<cSortKey> order;
    order.reserve(result.entries.size());
    for (size_t i = 0; i < result.entries.size(); ++i)
        order.push_back({&result.entries[i].path, places[i], &result.entries[i], i});
    std::sort(order.begin(), order.end(), [](const cSortKey& a, const cSortKey& b) {
        // Paths of one class and place differ in their policy names alone; the shared
        // beginning, which is most of them, need not be compared again and again.
        const bool samePlace = a.place == b.place && a.entry->className == b.entry->className;
        if (int c = samePlace ? a.entry->name.compare(b.entry->name) : a.path->compare(*b.path);
            c != 0)
            return c < 0;
        if (a.entry->kind != b.entry->kind)
            return a.entry->kind < b.entry->kind;
        if (int c = a.entry->key.compare(b.entry->key); c != 0)
            return c < 0;
        if (int c = a.entry->valueName.compare(b.entry->valueName); c != 0)
            return c < 0;
        return a.index < b.index;
    });
    // Into that order where they stand, each cycle of the permutation followed once.
    std::vector<size_t> target(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        target[order[i].index] = i;
    for (size_t i = 0; i < target.size(); ++i)
        while (target[i] != i) {
            std::swap(result.entries[i], result.entries[target[i]]);
            std::swap(target[i], target[target[i]]);
        }
    return result;
}

Text DiffLine(const cDiffEntry& entry) {
    const char16_t* mark = entry.kind == cDiffKind::Added     ? u"+ "
                           : entry.kind == cDiffKind::Removed ? u"- "
                                                              : u"~ ";
    Text line;
    line.reserve(160);
    line += mark;
    line += entry.Path();
    line += u": ";
    line += entry.KeyText();
    if (entry.kind == cDiffKind::Changed) {
        line += u": ";
        for (size_t i = 0; i < entry.changes.size(); ++i)
            line += (i ? u", " : u"") + entry.changes[i];
    }
    // One policy, one line, whatever breaks its names hold.
    for (char16_t& c : line)
        if (c == u'\n' || c == u'\r')
            c = u' ';
    return line;
}

void AppendDiffLine(std::string& out, const cDiffEntry& entry) {
    // Straight into the output: tessary-cli writes thousands of these.
    auto append = [&out](TextView text) {
        size_t at = out.size();
        out.resize(at + text.size() * 3);
        char* p = out.data() + at;
        for (size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c < 0x80) {
                *p++ = c == u'\n' || c == u'\r' ? ' ' : char(c);
                continue;
            }
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            else if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            if (c < 0x800) {
                *p++ = char(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                *p++ = char(0xE0 | (c >> 12));
                *p++ = char(0x80 | ((c >> 6) & 0x3F));
            } else {
                *p++ = char(0xF0 | (c >> 18));
                *p++ = char(0x80 | ((c >> 12) & 0x3F));
                *p++ = char(0x80 | ((c >> 6) & 0x3F));
            }
            *p++ = char(0x80 | (c & 0x3F));
        }
        out.resize(size_t(p - out.data()));
    };
    out += entry.kind == cDiffKind::Added ? "+ " : entry.kind == cDiffKind::Removed ? "- " : "~ ";
    append(entry.path);
    out += ": ";
    append(entry.key);
    if (entry.hasValueName) {
        out += '\\';
        append(entry.valueName);
    }
    if (entry.kind == cDiffKind::Changed) {
        out += ": ";
        for (size_t i = 0; i < entry.changes.size(); ++i) {
            if (i)
                out += ", ";
            append(entry.changes[i]);
        }
    }
    out += '\n';
}

std::string DiffSummary(const cDiffResult& result) {
    return std::to_string(result.added) + " added, " + std::to_string(result.removed) +
           " removed, " + std::to_string(result.changed) + " changed";
}

namespace {

std::string JsonString(TextView text) {
    return JsonQuoted(ToUtf8(text));
}

std::string JsonLine(int line) {
    return line ? std::to_string(line) : "null";
}

}  // namespace

std::string DiffJson(const cDiffResult& result, const std::string& olderName,
                     const std::string& newerName) {
    std::string out = "{\n  \"older\": " + JsonString(FromUtf8(olderName)) +
                      ",\n  \"newer\": " + JsonString(FromUtf8(newerName)) +
                      ",\n  \"added\": " + std::to_string(result.added) +
                      ",\n  \"removed\": " + std::to_string(result.removed) +
                      ",\n  \"changed\": " + std::to_string(result.changed) +
                      ",\n  \"policies\": [";
    for (size_t i = 0; i < result.entries.size(); ++i) {
        const cDiffEntry& entry = result.entries[i];
        const char* kind = entry.kind == cDiffKind::Added     ? "added"
                           : entry.kind == cDiffKind::Removed ? "removed"
                                                              : "changed";
        out += i ? ",\n    {" : "\n    {";
        out += "\"change\": \"" + std::string(kind) + "\"";
        out += ", \"class\": " + JsonString(entry.className);
        out += ", \"categories\": [";
        for (size_t k = 0; k < entry.categories.size(); ++k)
            out += (k ? ", " : "") + JsonString(entry.categories[k]);
        out += "], \"name\": " + JsonString(entry.name);
        out += ", \"path\": " + JsonString(entry.Path());
        out += ", \"key\": " + JsonString(entry.key);
        out += ", \"valueName\": " + (entry.hasValueName ? JsonString(entry.valueName) : "null");
        out += ", \"olderLine\": " + JsonLine(entry.olderLine);
        out += ", \"newerLine\": " + JsonLine(entry.newerLine);
        out += ", \"changes\": [";
        for (size_t k = 0; k < entry.changes.size(); ++k)
            out += (k ? ", " : "") + JsonString(entry.changes[k]);
        out += "]}";
    }
    out += result.entries.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

const cTreeItem* FindPolicy(const CPelwinDoc& doc, const cPolicyIdentity& identity,
                            size_t occurrence) {
    const cTreeItem* found = nullptr;
    size_t seen = 0;
    cIdentityKeys keys(doc);
    ForEachPolicy(doc, [&](const cTreeItem& item, const cObjPolicy& policy) {
        if (found)
            return;
        for (const Text& cls : PolicyClasses(item))
            if (keys.Key(item, policy, cls) == identity.key) {
                if (seen++ == occurrence)
                    found = &item;
                break;
            }
    });
    return found;
}
