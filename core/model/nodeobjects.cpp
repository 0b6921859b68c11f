#include "core/model/nodeobjects.h"

#include <algorithm>

#include "core/model/partkinds.h"
#include "core/model/templatetree.h"

namespace {

// The effective key of a category, policy or version node, found by walking up the tree
// instead of recursing once per level. A category or policy directly under a version node
// inherits that node's key, just as a version node passes on its parent's.
Text EffectiveKeyOf(const cData* node) {
    while (node) {
        if (node->kind == kKindCategory) {
            const auto* category = static_cast<const cCategory*>(node);
            if (!category->useDefaultKey)
                return category->keyName;
        } else if (node->kind == kKindPolicy) {
            const auto* policy = static_cast<const cPolicy*>(node);
            if (!policy->useDefaultKey)
                return policy->keyName;
        } else if (node->kind != kKindVersion) {
            return Text();
        }
        node = node->ParentObject();
        if (node && node->kind != kKindCategory && node->kind != kKindVersion)
            return Text();
    }
    return Text();
}

// The key a category, policy or version node inherits from its parent.
Text InheritedKeyOf(const cData* node) {
    const cData* parent = node->ParentObject();
    if (parent && (parent->kind == kKindCategory || parent->kind == kKindVersion))
        return EffectiveKeyOf(parent);
    return Text();
}

void ShowTreeLabel(cData& node, const Text& text) {
    if (node.treeItem && node.treeView && node.ownerView) {
        const bool topLevel = !node.treeItem->parent || !node.treeItem->parent->parent;
        node.treeView->SetItemText(
            node.treeItem, node.treeView->DisplayLabel(text) + AdmxLabelNote(node, topLevel));
    }
}

std::optional<long> LengthLimit(int flag, const Text& text) {
    if (!flag)
        return std::nullopt;
    bool ok = false;
    long limit = ParseLeadingInt(text, &ok);
    // A length that is no positive number leaves the control without a limit.
    if (!ok || limit <= 0)
        return std::nullopt;
    return limit;
}

}  // namespace

Text AdmxLabelNote(const cData& node, bool topLevel) {
    if (!node.admx)
        return Text();
    Text note = node.kind == kKindPolicy ? node.admx->policyClass : Text();
    if (topLevel && !node.admx->foreignParent.empty())
        note += (note.empty() ? u"in " : u", in ") + node.admx->foreignParent;
    return note.empty() ? note : u" (" + note + u")";
}

Text AdmxNodeFault(const cData& node, TextView label) {
    if (!node.admx)
        return Text();
    Text fault;
    // A name that resolves shows its text; one that does not shows the reference itself.
    const TextView head = u"$(string.";
    if (label.substr(0, head.size()) == head) {
        const size_t end = label.find(u')');
        fault = u"The display language's string table has no string " +
                Text(label.substr(head.size(),
                                  end == TextView::npos ? TextView::npos : end - head.size())) +
                u": add it in Policy > String table.";
    }
    // Placed in a category, the node has mended its reference.
    const bool topLevel =
        !node.treeItem || !node.treeItem->parent || !node.treeItem->parent->parent;
    if (node.admx->missingParent && topLevel)
        fault += Text(fault.empty() ? u"" : u"\n") + u"The parent category " +
                 node.admx->foreignParent +
                 u" is defined nowhere: move the node into a category of the tree.";
    return fault;
}

// ---- cCtrlList -------------------------------------------------------------------------

cCtrlList::~cCtrlList() = default;

int cCtrlList::DestroyPanel() {
    m_panel.reset();
    return 1;
}

int cCtrlList::ShowProperties(cPropertySheetSeam* sheet) {
    return GetData()->ShowProperties(sheet);
}

int cCtrlList::CreateFromTemplate(cPanelKind kind, const cRect& rect, cPanelHost* parent) {
    m_panelRect = rect;
    m_parent = parent;
    m_panel.reset();
    if (!parent)
        return 0;
    m_panel = parent->CreatePanelWindow(kind, rect, this);
    return m_panel ? 1 : 0;
}

int cEmptyPanelNode::CreatePanel(cRect& rect, cPanelHost* parent) {
    rect.right = rect.left;
    rect.bottom = rect.top;
    return CreateFromTemplate(cPanelKind::Empty, rect, parent);
}

cCtrlList* CtrlOf(cData* node) {
    return dynamic_cast<cCtrlList*>(node);
}

// ---- Structural node objects ----------------------------------------------------------

Text cObjCategory::GetInheritedKey() const {
    return InheritedKeyOf(this);
}

Text cObjCategory::GetEffectiveKey() const {
    return useDefaultKey ? GetInheritedKey() : keyName;
}

void cObjCategory::UpdateDisplay() {
    ShowTreeLabel(*this, name);
}

Text cObjVersion::GetInheritedKey() const {
    return InheritedKeyOf(this);
}

void cObjVersion::UpdateDisplay() {
    ShowTreeLabel(*this, label);
}

// ---- cObjPolicy ------------------------------------------------------------------------

cObjPolicy::cObjPolicy(const cObjPolicy& other) : cObjNodeOf(other) {
    m_parts.reserve(other.m_parts.size());
    for (const auto& part : other.m_parts)
        m_parts.push_back(part->ClonePart(this));
}

cObjPolicy::~cObjPolicy() {
    // Parts go first: they may still reach their policy while they are destroyed.
    m_parts.clear();
}

Text cObjPolicy::GetInheritedKey() const {
    return InheritedKeyOf(this);
}

Text cObjPolicy::GetEffectiveKey() const {
    return useDefaultKey ? GetInheritedKey() : keyName;
}

void cObjPolicy::UpdateDisplay() {
    ShowTreeLabel(*this, name);
}

int cObjPolicy::CreatePanel(cRect& rect, cPanelHost* parent) {
    cRect own{rect.left, rect.top, rect.left, rect.top};
    if (!CreateFromTemplate(cPanelKind::Empty, own, parent))
        return 0;
    cRect partRect{rect.left, rect.top, rect.left + kPanelWidth, rect.top + 10};
    for (const auto& part : m_parts) {
        if (part->CreatePanel(partRect, parent) != 1)
            return 0;
        int height = partRect.Height();
        partRect.top += height;
        partRect.bottom += height;
    }
    rect.right = rect.left + kPanelWidth;
    rect.bottom = partRect.top;
    return 1;
}

int cObjPolicy::DestroyPanel() {
    int result = 1;
    for (const auto& part : m_parts)
        if (!part->DestroyPanel())
            result = 0;
    cCtrlList::DestroyPanel();
    return result;
}

cObjPolPart* cObjPolicy::AppendPart(std::unique_ptr<cObjPolPart> part) {
    part->SetPolicy(this);
    m_parts.push_back(std::move(part));
    return m_parts.back().get();
}

cObjPolPart* cObjPolicy::InsertPartAfter(const cObjPolPart* after,
                                         std::unique_ptr<cObjPolPart> part) {
    part->SetPolicy(this);
    auto at = m_parts.begin();
    for (auto it = m_parts.begin(); it != m_parts.end(); ++it) {
        if (it->get() == after) {
            at = it + 1;
            break;
        }
    }
    return m_parts.insert(at, std::move(part))->get();
}

bool cObjPolicy::DeletePart(const cObjPolPart* part) {
    for (auto it = m_parts.begin(); it != m_parts.end(); ++it) {
        if (it->get() == part) {
            // Unlink first so the part is not reachable while it is destroyed.
            std::unique_ptr<cObjPolPart> doomed = std::move(*it);
            m_parts.erase(it);
            return true;
        }
    }
    return false;
}

size_t cObjPolicy::IndexOfPart(const cObjPolPart* part) const {
    size_t index = 0;
    while (index < m_parts.size() && m_parts[index].get() != part)
        ++index;
    return index;
}

std::unique_ptr<cObjPolPart> cObjPolicy::TakePart(size_t index) {
    if (index >= m_parts.size())
        return nullptr;
    std::unique_ptr<cObjPolPart> part = std::move(m_parts[index]);
    m_parts.erase(m_parts.begin() + std::ptrdiff_t(index));
    return part;
}

cObjPolPart* cObjPolicy::InsertPart(size_t index, std::unique_ptr<cObjPolPart> part) {
    if (!part)
        return nullptr;
    part->SetPolicy(this);
    index = std::min(index, m_parts.size());
    return m_parts.insert(m_parts.begin() + std::ptrdiff_t(index), std::move(part))->get();
}

std::vector<std::unique_ptr<cObjPolPart>> cObjPolicy::ReplaceParts(
    std::vector<std::unique_ptr<cObjPolPart>> parts) {
    for (const auto& part : parts)
        part->SetPolicy(this);
    m_parts.swap(parts);
    return parts;
}

cObjPolPart* cObjPolicy::NextPart(const cObjPolPart* part) const {
    for (size_t i = 0; i + 1 < m_parts.size(); ++i)
        if (m_parts[i].get() == part)
            return m_parts[i + 1].get();
    return nullptr;
}

// ---- Parts -----------------------------------------------------------------------------

cObjPolPart::~cObjPolPart() {
    SharedState().copy.PartLeaving(*this);
}

Text cObjPolPart::GetInheritedKey() const {
    return m_policy ? m_policy->GetEffectiveKey() : Text();
}

Text cObjPolPart::GetEffectiveKey() const {
    return useDefaultKey ? GetInheritedKey() : keyName;
}

void cObjPolPart::UpdateDisplay() {
    if (Panel())
        Panel()->Fill(PanelContent(true));
}

int cObjPolPart::PanelHeight() const {
    cPanelKind kind = PanelKind();
    return kind == cPanelKind::CheckBox || kind == cPanelKind::Text ? kShortHeight : kTallHeight;
}

int cObjPolPart::CreatePanel(cRect& rect, cPanelHost* parent) {
    rect.bottom = rect.top + PanelHeight();
    if (!CreateFromTemplate(PanelKind(), rect, parent))
        return 0;
    Panel()->Fill(PanelContent(false));
    Panel()->ShowSelection(false);
    return 1;
}

void cObjPolPart::SetModified(int flag) {
    if (m_policy)
        m_policy->MarkModified(flag);
}

void cObjPolPart::ShowSelection(int flag) {
    if (Panel())
        Panel()->ShowSelection(flag == 1);
}

int cObjPolPart::IsSelected() const {
    return Panel() && Panel()->IsSelected() ? 1 : 0;
}

Text cObjPolPart::Resolve(const Text& text) const {
    return PanelParent() ? PanelParent()->ResolveText(text) : text;
}

cPanelContent cObjPolPart::PanelContent(bool) const {
    cPanelContent content;
    content.label = Resolve(name);
    return content;
}

cPanelContent cObjPolPart::TextEntryContent(const cTextEntryFields& entry, bool refresh) const {
    cPanelContent content = cObjPolPart::PanelContent(refresh);
    if (entry.defaultFlag)
        content.editText = Resolve(entry.defaultText);
    else if (refresh)
        content.editText = Text();
    content.textLimit = LengthLimit(entry.maxLenFlag, entry.maxLen);
    return content;
}

cPanelContent cObjPolPartEditText::PanelContent(bool refresh) const {
    return TextEntryContent(*this, refresh);
}

cPanelContent cObjPolPartCombo::PanelContent(bool refresh) const {
    cPanelContent content = TextEntryContent(*this, refresh);
    std::vector<Text> list;
    list.reserve(suggestions.size());
    for (const cSuggestion& suggestion : suggestions)
        list.push_back(Resolve(suggestion.text));
    content.list = std::move(list);
    return content;
}

cPanelContent cObjPolPartDropDown::PanelContent(bool refresh) const {
    cPanelContent content = cObjPolPart::PanelContent(refresh);
    std::vector<Text> list;
    list.reserve(itemList.size());
    for (const cItemList& item : itemList) {
        list.push_back(Resolve(item.name));
        if (item.defaultFlag == 1)
            content.selected = list.back();
    }
    content.list = std::move(list);
    return content;
}

namespace {

// The number is shown as stored, never resolved; a refresh without a default keeps whatever
// the panel shows.
cPanelContent NumberContent(cPanelContent content, int defaultFlag, const Text& defaultValue) {
    if (defaultFlag)
        content.editText = defaultValue;
    return content;
}

}  // namespace

cPanelContent cObjPolPartNum::PanelContent(bool refresh) const {
    return NumberContent(cObjPolPart::PanelContent(refresh), defaultFlag, defaultValue);
}

cPanelContent cObjPolPartLongNum::PanelContent(bool refresh) const {
    return NumberContent(cObjPolPart::PanelContent(refresh), defaultFlag, defaultValue);
}

std::unique_ptr<cObjPolPart> CreatePartFromKeyword(TextView keyword, cObjPolicy* policy,
                                                   bool ignoreCase) {
    std::unique_ptr<cObjPolPart> part;
    ForEachPartKind([&](auto kind) {
        using Kind = typename decltype(kind)::type;
        if constexpr (requires { Kind::kAdmxOnly; })
            return;
        bool same = ignoreCase ? KeywordEquals(keyword, Kind::kKeyword) : keyword == Kind::kKeyword;
        if (same && !part)
            part = std::make_unique<Kind>(policy);
    });
    return part;
}
