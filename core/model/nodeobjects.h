#pragma once

#include <memory>
#include <vector>

#include "core/model/nodedata.h"
#include "core/model/seams.h"

// A node object is a node's data together with its preview panel. The panel side reaches
// the user interface only through cPanelHost.
class cCtrlList {
public:
    cCtrlList() = default;
    cCtrlList(const cCtrlList&) = delete;
    cCtrlList& operator=(const cCtrlList&) = delete;
    virtual ~cCtrlList();

    // Creates the panel with its top-left at rect's top-left inside parent; on return rect's
    // right and bottom hold the extent used. 1 on success, 0 on failure.
    virtual int CreatePanel(cRect& rect, cPanelHost* parent) = 0;
    virtual int DestroyPanel();
    virtual cData* GetData() = 0;
    int ShowProperties(cPropertySheetSeam* sheet);

    bool HasPanel() const { return m_panel != nullptr; }
    const cRect& PanelRect() const { return m_panelRect; }
    cPanelHost* PanelParent() const { return m_parent; }

protected:
    int CreateFromTemplate(cPanelKind kind, const cRect& rect, cPanelHost* parent);
    cPanel* Panel() const { return m_panel.get(); }

private:
    cRect m_panelRect;
    cPanelHost* m_parent = nullptr;  // Not owned.
    std::unique_ptr<cPanel> m_panel;
};

// The panel of a node kind that shows nothing: zero size at the given top-left.
class cEmptyPanelNode : public cCtrlList {
public:
    int CreatePanel(cRect& rect, cPanelHost* parent) override;
};

class cObjClass : public cEmptyPanelNode, public cPolClass {
public:
    cObjClass() = default;
    cObjClass(const cObjClass& other) : cEmptyPanelNode(), cPolClass(other) {}

    std::unique_ptr<cData> Clone() const override;
    bool AssignData(const cData& from) override;
    Text GetInheritedKey() const override { return Text(); }
    Text GetEffectiveKey() const override { return Text(); }
    cData* GetData() override { return this; }
};

class cObjCategory : public cEmptyPanelNode, public cCategory {
public:
    cObjCategory() = default;
    cObjCategory(const cObjCategory& other) : cEmptyPanelNode(), cCategory(other) {}

    std::unique_ptr<cData> Clone() const override;
    bool AssignData(const cData& from) override;
    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override;
    void UpdateDisplay() override;
    cData* GetData() override { return this; }
};

class cObjVersion : public cEmptyPanelNode, public cPolVersion {
public:
    cObjVersion() = default;
    cObjVersion(const cObjVersion& other) : cEmptyPanelNode(), cPolVersion(other) {}

    std::unique_ptr<cData> Clone() const override;
    bool AssignData(const cData& from) override;
    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override { return GetInheritedKey(); }
    void UpdateDisplay() override;
    cData* GetData() override { return this; }
};

class cObjPolicy : public cCtrlList, public cPolicy {
public:
    // Part panels are 395 pixels wide.
    static constexpr int kPanelWidth = 395;

    cObjPolicy() = default;
    cObjPolicy(const cObjPolicy& other);
    ~cObjPolicy() override;

    std::unique_ptr<cData> Clone() const override;
    bool AssignData(const cData& from) override;
    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override;
    void UpdateDisplay() override;
    cData* GetData() override { return this; }

    int CreatePanel(cRect& rect, cPanelHost* parent) override;
    int DestroyPanel() override;

    // The parts in template order. The policy owns them.
    const std::vector<std::unique_ptr<cObjPolPart>>& Parts() const { return m_parts; }
    cObjPolPart* AppendPart(std::unique_ptr<cObjPolPart> part);
    // Inserts directly after `after` (at the head when after is null or not found).
    cObjPolPart* InsertPartAfter(const cObjPolPart* after, std::unique_ptr<cObjPolPart> part);
    // Unlinks and destroys the part; false when it is not one of this policy's parts.
    bool DeletePart(const cObjPolPart* part);
    // The part following `part`, or none.
    cObjPolPart* NextPart(const cObjPolPart* part) const;
    // Where part stands in the list; the list's size when it is not one of this policy's.
    size_t IndexOfPart(const cObjPolPart* part) const;
    // Unlinks the part at index and hands it over; null for an index past the end.
    std::unique_ptr<cObjPolPart> TakePart(size_t index);
    // Puts part at index (clamped to the end) and makes this its policy.
    cObjPolPart* InsertPart(size_t index, std::unique_ptr<cObjPolPart> part);
    // Puts parts in place of the whole list and hands the old list over.
    std::vector<std::unique_ptr<cObjPolPart>> ReplaceParts(
        std::vector<std::unique_ptr<cObjPolPart>> parts);

private:
    std::vector<std::unique_ptr<cObjPolPart>> m_parts;
};

// Base of the seven part node objects. The part data (name, key, value name) is shared with
// the kind class through the virtual base cPolicyPart.
class cObjPolPart : public cCtrlList, public virtual cPolicyPart {
public:
    static constexpr int kShortHeight = 35;
    static constexpr int kTallHeight = 65;

    explicit cObjPolPart(cObjPolicy* policy) : m_policy(policy) {}
    ~cObjPolPart() override;

    cObjPolPart* GetPartObject() override { return this; }
    Text GetInheritedKey() const override;
    Text GetEffectiveKey() const override;
    // Refreshes the part's panel while it exists.
    void UpdateDisplay() override;
    cData* GetData() override { return this; }
    std::unique_ptr<cData> Clone() const override { return nullptr; }
    // Any part of the same kind.
    bool AssignData(const cData& from) override;

    int CreatePanel(cRect& rect, cPanelHost* parent) override;

    virtual std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const = 0;
    void SetModified(int flag);
    void ShowSelection(int flag);
    int IsSelected() const;

    virtual cPanelKind PanelKind() const = 0;
    int PanelHeight() const;
    // What the panel shows; `refresh` tells a refresh from the first fill.
    virtual cPanelContent PanelContent(bool refresh) const;

    cObjPolicy* Policy() const { return m_policy; }
    void SetPolicy(cObjPolicy* policy) { m_policy = policy; }

protected:
    Text Resolve(const Text& text) const;

private:
    cObjPolicy* m_policy;  // Not owned: the policy owns this part.
};

class cObjPolPartCheckBox : public cObjPolPart, public cPolPartCheckBox {
public:
    explicit cObjPolPartCheckBox(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartCheckBox(const cObjPolPartCheckBox& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartCheckBox(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartCheckBox;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::CheckBox;
    cPanelKind PanelKind() const override { return kKind; }
};

class cObjPolPartCombo : public cObjPolPart, public cPolPartCombo {
public:
    explicit cObjPolPartCombo(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartCombo(const cObjPolPartCombo& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartCombo(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartCombo;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::Combo;
    cPanelKind PanelKind() const override { return kKind; }
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartDropDown : public cObjPolPart, public cPolPartDropDown {
public:
    explicit cObjPolPartDropDown(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartDropDown(const cObjPolPartDropDown& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartDropDown(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartDropDown;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::DropDown;
    cPanelKind PanelKind() const override { return kKind; }
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartEditText : public cObjPolPart, public cPolPartEditText {
public:
    explicit cObjPolPartEditText(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartEditText(const cObjPolPartEditText& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartEditText(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartEditText;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::EditText;
    cPanelKind PanelKind() const override { return kKind; }
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartListBox : public cObjPolPart, public cPolPartListBox {
public:
    explicit cObjPolPartListBox(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartListBox(const cObjPolPartListBox& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartListBox(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartListBox;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::ListBox;
    cPanelKind PanelKind() const override { return kKind; }
};

class cObjPolPartNum : public cObjPolPart, public cPolPartNum {
public:
    explicit cObjPolPartNum(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartNum(const cObjPolPartNum& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartNum(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartNum;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::Numeric;
    cPanelKind PanelKind() const override { return kKind; }
    cPanelContent PanelContent(bool refresh) const override;
};

class cObjPolPartText : public cObjPolPart, public cPolPartText {
public:
    explicit cObjPolPartText(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartText(const cObjPolPartText& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartText(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartText;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::Text;
    cPanelKind PanelKind() const override { return kKind; }
};

// ---- Part kinds that ADMX adds ----------------------------------------------------------

class cObjPolPartMultiText : public cObjPolPart, public cPolPartMultiText {
public:
    explicit cObjPolPartMultiText(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartMultiText(const cObjPolPartMultiText& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartMultiText(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartMultiText;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::MultiText;
    cPanelKind PanelKind() const override { return kKind; }
};

class cObjPolPartLongNum : public cObjPolPart, public cPolPartLongNum {
public:
    explicit cObjPolPartLongNum(cObjPolicy* policy) : cObjPolPart(policy) {}
    cObjPolPartLongNum(const cObjPolPartLongNum& other, cObjPolicy* policy)
        : cPolicyPart(other), cObjPolPart(policy), cPolPartLongNum(other) {}
    // The data class of the kind, which the property pages and undo write.
    using Data = cPolPartLongNum;
    std::unique_ptr<cObjPolPart> ClonePart(cObjPolicy* policy) const override;
    static constexpr cPanelKind kKind = cPanelKind::LongNumeric;
    cPanelKind PanelKind() const override { return kKind; }
    cPanelContent PanelContent(bool refresh) const override;
};

// A fresh part of the kind named by a type keyword, or none for any other keyword and for
// the kinds that only ADMX has. The editor's commands match the keyword exactly; the reader
// ignores the case of A-Z.
std::unique_ptr<cObjPolPart> CreatePartFromKeyword(TextView keyword, cObjPolicy* policy,
                                                   bool ignoreCase);

// The panel side of a node's data, or none.
cCtrlList* CtrlOf(cData* node);
