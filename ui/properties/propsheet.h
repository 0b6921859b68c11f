#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/model/seams.h"

class cApplyPropertiesStep;
class cTemplateTree;
class cAppServices;
class cPropPage;
class cPPNull;
class cPPClass1;
class cPPCategory1;
class cPPPolicy1;
class cPPPolicy2;
class cPPVersion;
class cPPCheckBox1;
class cPPText1;
class cPPEditText1;
class cPPCombo1;
class cPPNum1;
class cPPDro1;
class cPPListBox1;
class cPPMultiText1;
class cPPLongNum1;
class cPPCategoryAdmx;
class cPPPolicyAdmx;
class cPPElementAdmx;
class QCheckBox;
class QPushButton;
class QTabWidget;

// The one modeless property sheet. It edits one node at a time through the pages of the
// node's kind, asks before leaving a node with edits not yet applied, and writes the pages
// back only on "Apply now" or a Yes to that question.
class cPropSheet : public QWidget, public cPropertySheetSeam {
    Q_OBJECT
public:
    // Takes every finished apply, to be undone later. Without one the apply is final.
    using StepSink = std::function<void(std::unique_ptr<cApplyPropertiesStep>)>;

    explicit cPropSheet(QWidget* owner = nullptr);
    ~cPropSheet() override;

    int SetObject(cData* node) override;
    cAnswer AskApply() override;
    void ApplyNow() override;
    void DropNode(cData* node) override;
    cData* CurrentNode() const override { return m_current; }
    void ShowWindow(bool activate) override;
    void NodeChanged(cData* node) override;

    // The first error text of the current node's pages, or none.
    std::optional<Text> Validate() const;
    // Writes the pages into the current node, refreshes its display and marks its template
    // modified, also when nothing changed.
    void Apply();
    // Keeps the sheet visible around a modal editor opened from a page: called once before
    // and once after.
    void HoldVisible();
    // Runs a change that a page makes to the current node directly (the action list
    // editor's OK): the pages keep what the user typed and has not applied yet, instead of
    // being filled again from the node.
    void KeepingPendingEdits(const std::function<void()>& change);

    void SetStepSink(StepSink sink) { m_stepSink = std::move(sink); }
    // The template of the active window: "Apply now" writes only into a node of it.
    void SetActiveTree(std::function<const cTemplateTree*()> activeTree) {
        m_activeTree = std::move(activeTree);
    }
    // Where the question about unapplied edits is asked; without it, with the dialogs.
    void SetServices(cAppServices* services) { m_services = services; }

    bool AnyPageModified() const;
    void ClearModified();
    // The pages now in the sheet, in tab order.
    const std::vector<cPropPage*>& Pages() const { return m_shown; }
    QTabWidget* Tabs() const { return m_tabs; }
    QCheckBox* KeepOnTop() const { return m_keepOnTop; }
    QPushButton* ApplyButton() const { return m_apply; }

    cPPNull* NullPage() const { return m_null; }
    cPPClass1* ClassPage() const { return m_class; }
    cPPCategory1* CategoryPage() const { return m_category; }
    cPPPolicy1* PolicyPage() const { return m_policy1; }
    cPPPolicy2* PolicySecondPage() const { return m_policy2; }
    cPPVersion* VersionPage() const { return m_version; }
    cPPCheckBox1* CheckBoxPage() const { return m_checkBox; }
    cPPText1* TextPage() const { return m_text; }
    cPPEditText1* EditTextPage() const { return m_editText; }
    cPPCombo1* ComboPage() const { return m_combo; }
    cPPNum1* NumericPage() const { return m_numeric; }
    cPPDro1* DropDownPage() const { return m_dropDown; }
    cPPListBox1* ListBoxPage() const { return m_listBox; }
    cPPMultiText1* MultiTextPage() const { return m_multiText; }
    cPPLongNum1* LongNumPage() const { return m_longNum; }
    // What an ADMX set adds: a policy's name, class and supported on; a part's element id.
    cPPCategoryAdmx* CategoryAdmxPage() const { return m_categoryAdmx; }
    cPPPolicyAdmx* PolicyAdmxPage() const { return m_policyAdmx; }
    cPPElementAdmx* ElementAdmxPage() const { return m_elementAdmx; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void RemovePages();
    void AddPage(cPropPage* page);
    void FillPages(cData& node);
    void ShowPagesOf(cData* node);
    // The first page of a part, chosen by its kind.
    cPropPage* PartPage(cObjPolPart& part) const;
    bool Shown(const cPropPage* page) const;

    cData* m_current = nullptr;  // Not owned.
    QCheckBox* m_keepOnTop;
    QPushButton* m_apply;
    QTabWidget* m_tabs;
    cPPNull* m_null;
    cPPVersion* m_version;
    cPPClass1* m_class;
    cPPCategory1* m_category;
    cPPPolicy2* m_policy2;
    cPPPolicy1* m_policy1;
    cPPCheckBox1* m_checkBox;
    cPPText1* m_text;
    cPPEditText1* m_editText;
    cPPCombo1* m_combo;
    cPPNum1* m_numeric;
    // The drop-down list's second page ("Item list"), filled and applied by its first page.
    cPropPage* m_itemList = nullptr;
    cPPDro1* m_dropDown;
    cPPListBox1* m_listBox;
    cPPMultiText1* m_multiText;
    cPPLongNum1* m_longNum;
    cPPCategoryAdmx* m_categoryAdmx;
    cPPPolicyAdmx* m_policyAdmx;
    cPPElementAdmx* m_elementAdmx;
    std::vector<cPropPage*> m_all;  // every page, in creation order
    std::vector<cPropPage*> m_shown;
    bool m_firstShow = false;
    bool m_keepPending = false;
    StepSink m_stepSink;
    std::function<const cTemplateTree*()> m_activeTree;
    cAppServices* m_services = nullptr;  // Not owned.
};
