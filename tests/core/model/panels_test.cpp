#include <gtest/gtest.h>

#include "core/model/nodeobjects.h"
#include "tests/core/model/fakes.h"

namespace {

cObjPolPart* Add(cObjPolicy& policy, const char16_t* keyword) {
    return policy.AppendPart(CreatePartFromKeyword(keyword, &policy, false));
}

TEST(PanelLayout, PoliciesStackTheirPartsInListOrder) {
    cFakePanelHost host;
    cObjPolicy empty;
    cRect rect{0, 0, 600, 400};
    ASSERT_EQ(empty.CreatePanel(rect, &host), 1);
    EXPECT_EQ(rect, (cRect{0, 0, 395, 0}));

    cObjPolicy policy;
    Add(policy, u"CHECKBOX");
    Add(policy, u"EDITTEXT");
    Add(policy, u"TEXT");
    rect = cRect{0, 0, 600, 400};
    ASSERT_EQ(policy.CreatePanel(rect, &host), 1);
    EXPECT_EQ(rect, (cRect{0, 0, 395, 135}));
    std::vector<cRect> parts;
    for (const auto& r : host.records)
        if (r->kind != cPanelKind::Empty)
            parts.push_back(r->rect);
    EXPECT_EQ(parts, (std::vector<cRect>{{0, 0, 395, 35}, {0, 35, 395, 100}, {0, 100, 395, 135}}));
    EXPECT_EQ(host.Alive(), 3);
    EXPECT_EQ(policy.DestroyPanel(), 1);
    EXPECT_EQ(host.Alive(), 0);

    // Structural nodes show nothing, at a zero-size rectangle.
    cObjCategory category;
    rect = cRect{0, 0, 600, 400};
    ASSERT_EQ(category.CreatePanel(rect, &host), 1);
    EXPECT_EQ(rect, (cRect{0, 0, 0, 0}));

    cObjPolicy twenty;
    for (int i = 0; i < 20; ++i)
        Add(twenty, u"CHECKBOX");
    rect = cRect{};
    ASSERT_EQ(twenty.CreatePanel(rect, &host), 1);
    EXPECT_EQ(rect.bottom, 700);
}

TEST(PanelLayout, AFailedPanelStopsTheRest) {
    cFakePanelHost host;
    cObjPolicy policy;
    for (int i = 0; i < 4; ++i)
        Add(policy, u"NUMERIC");
    host.failAfter = 3;  // the policy's own panel and two parts
    cRect rect{};
    EXPECT_EQ(policy.CreatePanel(rect, &host), 0);
    EXPECT_EQ(host.Alive(), 2);
    EXPECT_FALSE(policy.Parts()[2]->HasPanel());
    EXPECT_FALSE(policy.Parts()[3]->HasPanel());
}

TEST(PanelContent, FillsAndRefreshesPerKind) {
    cStringMap strings;
    strings.Set(u"Label", u"Resolved label");
    strings.Set(u"Def", u"Resolved default");
    cFakePanelHost host;
    host.strings = &strings;

    cObjPolicy policy;
    auto* edit = static_cast<cObjPolPartEditText*>(Add(policy, u"EDITTEXT"));
    edit->name = u"!!Label";
    edit->defaultFlag = 1;
    edit->defaultText = u"!!Def";
    edit->maxLenFlag = 1;
    edit->maxLen = u"10";
    auto* combo = static_cast<cObjPolPartCombo*>(Add(policy, u"COMBOBOX"));
    combo->name = u"!!Nowhere";
    combo->suggestions = {{u"b"}, {u"!!Label"}};
    combo->maxLen = u"10";
    combo->defaultFlag = 1;
    combo->defaultText = u"!!Def";
    auto* num = static_cast<cObjPolPartNum*>(Add(policy, u"NUMERIC"));
    num->defaultFlag = 1;
    num->defaultValue = u"!!Def";
    cRect rect{};
    ASSERT_EQ(policy.CreatePanel(rect, &host), 1);

    const auto& editShown = host.records[1]->content;
    EXPECT_EQ(editShown.label, u"Resolved label");
    EXPECT_EQ(editShown.editText, Text(u"Resolved default"));
    EXPECT_EQ(editShown.textLimit, 10);
    const auto& comboShown = host.records[2]->content;
    EXPECT_EQ(comboShown.label, u"!!Nowhere");  // a missing name shows as written
    EXPECT_EQ(comboShown.list, (std::vector<Text>{u"b", u"Resolved label"}));
    EXPECT_FALSE(comboShown.textLimit.has_value());  // the flag is off
    EXPECT_EQ(comboShown.editText, Text(u"Resolved default"));
    EXPECT_EQ(host.records[3]->content.editText, Text(u"!!Def"));  // numbers stay as stored
    EXPECT_FALSE(host.records[1]->selected);

    edit->defaultFlag = 0;
    edit->UpdateDisplay();
    EXPECT_EQ(editShown.editText, Text());
    num->defaultFlag = 0;
    num->UpdateDisplay();
    EXPECT_EQ(host.records[3]->content.editText, Text(u"!!Def"));

    edit->ShowSelection(1);
    EXPECT_EQ(edit->IsSelected(), 1);
    policy.DestroyPanel();
    EXPECT_EQ(edit->IsSelected(), 0);
    edit->UpdateDisplay();  // no panel: nothing happens
}

}  // namespace
