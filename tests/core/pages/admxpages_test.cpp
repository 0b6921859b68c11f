#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>

#include "core/model/nodeobjects.h"
#include "core/pages/admxpages.h"
#include "core/pages/applystep.h"
#include "tests/core/admx/admxsample.h"

namespace {

template <class Kind>
Kind& Part(CPelwinDoc& doc, const char16_t* policy, size_t index) {
    auto* part = dynamic_cast<Kind*>(PolicyNamed(doc, policy).Parts().at(index).get());
    EXPECT_NE(part, nullptr);
    return *part;
}

// The pages the part kinds of UserOnly share with ADM, each loaded and applied unchanged.
void ApplySharedPagesUnchanged(CPelwinDoc& doc) {
    auto& p1 = Part<cObjPolPartCombo>(doc, u"UserOnly", 1);
    cComboPageValues::Load(p1).ApplyTo(p1);
    auto& p2 = Part<cObjPolPartNum>(doc, u"UserOnly", 2);
    cNumericPageValues::Load(p2).ApplyTo(p2);
    auto& p5 = Part<cObjPolPartDropDown>(doc, u"UserOnly", 5);
    cDropDownPageValues::Load(p5).ApplyTo(p5);
    auto& p6 = Part<cObjPolPartListBox>(doc, u"UserOnly", 6);
    cListBoxPageValues::Load(p6).ApplyTo(p6);
    auto& p7 = Part<cObjPolPartCheckBox>(doc, u"UserOnly", 7);
    cCheckBoxPageValues::Load(p7).ApplyTo(p7);
    auto& p8 = Part<cObjPolPartEditText>(doc, u"UserOnly", 8);
    cEditTextPageValues::Load(p8).ApplyTo(p8);
}

// The lines of `after` that `before` lacks and the other way round, as sets.
std::pair<std::multiset<std::string>, std::multiset<std::string>> Changed(
    const std::string& before, const std::string& after) {
    std::multiset<std::string> a = LineSet(before), b = LineSet(after), removed, added;
    for (const std::string& line : a)
        if (b.count(line) < a.count(line) && !removed.count(line))
            removed.insert(line);
    for (const std::string& line : b)
        if (a.count(line) < b.count(line) && !added.count(line))
            added.insert(line);
    return {removed, added};
}

// The line of the sample ADMX holding `containing`.
std::string Line(const std::string& containing) {
    std::istringstream in(kSampleAdmx);
    for (std::string line; std::getline(in, line);)
        if (line.find(containing) != std::string::npos)
            return line;
    return "no line holds " + containing;
}

std::string Replaced(std::string line, const std::string& from, const std::string& to) {
    return line.replace(line.find(from), from.size(), to);
}

}  // namespace

TEST(AdmxPages, NumbersOfTheNewPartKindsAreChecked) {
    auto longNum = [](auto edit) {
        cLongNumPageValues values;
        values.key = {true, u"K", u"K", true};
        edit(values);
        return values.Validate();
    };
    EXPECT_EQ(longNum([](cLongNumPageValues& v) {
                  v.max = {true, u"18446744073709551615"};
                  v.min = {true, u"0"};
                  v.defaultValue = {true, u"10000000000"};
              }),
              std::nullopt);
    // A box left clear is not looked at, whatever it holds.
    EXPECT_EQ(longNum([](cLongNumPageValues& v) { v.max = {false, u"x"}; }), std::nullopt);
    EXPECT_EQ(*longNum([](cLongNumPageValues& v) {
        v.max = {true, u"18446744073709551616"};
    }),
              u"Max. Value: \"18446744073709551616\" is not a whole number from 0 to "
              u"18446744073709551615.");
    EXPECT_TRUE(longNum([](cLongNumPageValues& v) { v.spin = {true, u""}; }));
    EXPECT_TRUE(longNum([](cLongNumPageValues& v) { v.defaultValue = {true, u"-1"}; }));
    EXPECT_EQ(*longNum([](cLongNumPageValues& v) {
        v.min = {true, u"20000000000"};
        v.max = {true, u"10000000000"};
    }),
              u"The minimum 20000000000 is above the maximum 10000000000.");
    EXPECT_TRUE(longNum([](cLongNumPageValues& v) {
        v.max = {true, u"10"};
        v.defaultValue = {true, u"11"};
    }));
    EXPECT_TRUE(longNum([](cLongNumPageValues& v) { v.key = {false, u"K", u"", true}; }));

    cMultiTextPageValues text;
    text.key = {true, u"K", u"K", true};
    text.maxStrings = {true, u"0"};
    EXPECT_EQ(text.Validate(), std::nullopt);
    text.defaultHeight = {true, u"0"};
    EXPECT_EQ(*text.Validate(),
              u"Height in lines: \"0\" is not a whole number from 1 to 4294967295.");
    text.defaultHeight = {true, u"3"};
    text.maxLength = {true, u"4294967296"};
    EXPECT_TRUE(text.Validate());
}

TEST(AdmxPages, PolicyPageLoadsAndChecksWhatChanged) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));

    auto everyone = cAdmxPolicyPageValues::Load(PolicyNamed(doc, u"Everyone"));
    EXPECT_EQ(everyone.policyClass, cAdmxClass::Both);
    EXPECT_EQ(cAdmxPolicyPageValues::Load(PolicyNamed(doc, u"MachineOnly")).policyClass,
              cAdmxClass::Machine);
    cObjPolicy& user = PolicyNamed(doc, u"UserOnly");
    auto values = cAdmxPolicyPageValues::Load(user);
    EXPECT_EQ(values.name, u"UserOnly");
    EXPECT_EQ(values.policyClass, cAdmxClass::User);
    EXPECT_EQ(values.supportedOn, u"windows:SUPPORTED_Windows7");
    // The file's definitions with what they show, then the other namespace's references.
    EXPECT_EQ(values.choices,
              (std::vector<cSupportedChoice>{{u"SUPPORTED_Sample", u"At least Sample 2"},
                                             {u"windows:SUPPORTED_Windows7", u""}}));
    EXPECT_EQ(values.Validate(user), std::nullopt);

    auto refused = [&](const char16_t* name, const char16_t* supportedOn) {
        cAdmxPolicyPageValues changed = values;
        changed.name = name;
        changed.supportedOn = supportedOn;
        return changed.Validate(user).value_or(u"accepted");
    };
    EXPECT_EQ(refused(u"machineONLY", u""),
              u"Another policy of this file is named \"MachineOnly\". A policy's name must be "
              u"unique in its file.");
    EXPECT_NE(refused(u"2nd", u"").find(u"cannot be used"), Text::npos);
    EXPECT_NE(refused(u"", u"").find(u"cannot be used"), Text::npos);
    EXPECT_NE(refused(u"Has space", u"").find(u"cannot be used"), Text::npos);
    EXPECT_EQ(refused(u"Renamed", u"sample:SUPPORTED_Sample"), u"accepted");
    EXPECT_EQ(refused(u"UserOnly", u"windows:SUPPORTED_Anything"), u"accepted");
    EXPECT_EQ(refused(u"UserOnly", u"SUPPORTED_Missing"),
              u"Supported on \"SUPPORTED_Missing\" names no definition or product of this file.");
    EXPECT_NE(refused(u"UserOnly", u"office:SUPPORTED_X").find(u"does not use"), Text::npos);
    // The policy editor refuses a policy without one: it cannot be emptied, while a policy
    // read without one keeps its other fields editable.
    EXPECT_NE(refused(u"UserOnly", u"").find(u"Supported on is empty"), Text::npos);
    EXPECT_EQ(everyone.Validate(PolicyNamed(doc, u"Everyone")), std::nullopt);

    // An element's id is checked within its policy only.
    cPolicyPart& big = *user.Parts().at(3);
    EXPECT_EQ(cAdmxElementPageValues::Load(big).id, u"Big");
    EXPECT_EQ(cAdmxElementPageValues{u"Big"}.Validate(big), std::nullopt);
    EXPECT_NE(cAdmxElementPageValues{u"count"}.Validate(big).value_or(u"").find(u"unique"),
              Text::npos);
    EXPECT_EQ(cAdmxElementPageValues{u"UserOnly"}.Validate(big), std::nullopt);

    // Soft is loaded as read, and only a text or a number takes it.
    EXPECT_FALSE(cAdmxElementPageValues::Load(big).soft);
    for (const auto& part : user.Parts()) {
        const bool hidden = part->admx && part->admx->name == u"Hidden";
        EXPECT_EQ(cAdmxElementPageValues::Load(*part).soft, hidden);
    }
    cPolicyPart& hosts = *user.Parts().at(6);
    ASSERT_EQ(hosts.admx->name, u"Hosts");
    cAdmxElementPageValues{u"Hosts", true}.ApplyTo(hosts);
    EXPECT_FALSE(hosts.admx->soft);

    // What the pages only show: the element's seeAlso, which a copy keeps; none for a node
    // the editor made.
    const std::vector<cAdmxKeptEntry> kept{{u"See also", u"the other policies"}};
    EXPECT_EQ(AdmxKeptEntries(PolicyNamed(doc, u"Everyone")), kept);
    EXPECT_EQ(AdmxKeptEntries(*PolicyNamed(doc, u"Everyone").Clone()), kept);
    EXPECT_TRUE(AdmxKeptEntries(user).empty());
    EXPECT_TRUE(AdmxKeptEntries(cObjPolicy()).empty());
}

// Each apply goes through the sheet's step and changes only what it touches in the written
// files; pages applied without a change write the set back as it was read.
TEST(AdmxPages, AnApplyWritesOnlyWhatItChanges) {
    struct cCase {
        const char* name;
        std::function<void(CPelwinDoc&)> edit;
        std::vector<std::string> removed;  // of the ADMX
        std::vector<std::string> added;
        std::vector<std::string> admlAdded;  // of each language's ADML
    };
    const cCase cases[] = {
        {"every page unchanged",
         [](CPelwinDoc& doc) {
             for (const char16_t* name : {u"MachineOnly", u"UserOnly", u"Everyone"}) {
                 cObjPolicy& policy = PolicyNamed(doc, name);
                 cAdmxPolicyPageValues::Load(policy).ApplyTo(policy);
                 for (const auto& part : policy.Parts())
                     cAdmxElementPageValues::Load(*part).ApplyTo(*part);
             }
             // The pages the part kinds share with ADM, too.
             ApplySharedPagesUnchanged(doc);
             auto& big = Part<cObjPolPartLongNum>(doc, u"UserOnly", 3);
             cLongNumPageValues::Load(big).ApplyTo(big);
             auto& lines = Part<cObjPolPartMultiText>(doc, u"UserOnly", 4);
             cMultiTextPageValues::Load(lines).ApplyTo(lines);
         },
         {},
         {},
         {}},
        {"a class",
         [](CPelwinDoc& doc) {
             cObjPolicy& policy = PolicyNamed(doc, u"MachineOnly");
             auto values = cAdmxPolicyPageValues::Load(policy);
             values.policyClass = cAdmxClass::User;
             values.ApplyTo(policy);
         },
         {Line("name=\"MachineOnly\"")},
         {Replaced(Line("name=\"MachineOnly\""), "class=\"Machine\"", "class=\"User\"")},
         {}},
        {"a name and a supported-on reference",
         [](CPelwinDoc& doc) {
             cObjPolicy& policy = PolicyNamed(doc, u"UserOnly");
             auto values = cAdmxPolicyPageValues::Load(policy);
             values.name = u"Renamed";
             values.supportedOn = u"SUPPORTED_Sample";
             values.ApplyTo(policy);
             EXPECT_EQ(policy.supportedText, u"$(string.SUPPORTED_Sample)");
         },
         {Line("name=\"UserOnly\""), R"(      <supportedOn ref="windows:SUPPORTED_Windows7"/>)"},
         {Replaced(Line("name=\"UserOnly\""), "\"UserOnly\" class", "\"Renamed\" class"),
          R"(      <supportedOn ref="SUPPORTED_Sample"/>)"},
         {}},
        {"a 64-bit maximum",
         [](CPelwinDoc& doc) {
             // The pages the part kinds share with ADM, too.
             ApplySharedPagesUnchanged(doc);
             auto& big = Part<cObjPolPartLongNum>(doc, u"UserOnly", 3);
             auto values = cLongNumPageValues::Load(big);
             values.max.text = u"20000000000";
             values.txtConvert = true;
             values.ApplyTo(big);
         },
         {R"(        <longDecimal id="Big" valueName="Big" maxValue="10000000000"/>)"},
         {R"(        <longDecimal id="Big" valueName="Big" maxValue="20000000000" storeAsText="true"/>)"},
         {}},
        {"an element's id",
         [](CPelwinDoc& doc) {
             auto& lines = Part<cObjPolPartMultiText>(doc, u"UserOnly", 4);
             cAdmxElementPageValues{u"Many"}.ApplyTo(lines);
             auto values = cMultiTextPageValues::Load(lines);
             values.maxStrings.text = u"9";
             values.ApplyTo(lines);
         },
         {R"(        <multiText id="Lines" valueName="Lines" maxStrings="5"/>)"},
         {R"(        <multiText id="Many" valueName="Lines" maxStrings="9"/>)"},
         {R"(refId="Many")"}},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cTempSet set;
        CPelwinDoc doc;
        ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
        c.edit(doc);
        cMessageRecorder messages;
        ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())))
            << ::testing::PrintToString(messages.Utf8());
        auto [removed, added] = Changed(kSampleAdmx, set.Read("sample.admx"));
        EXPECT_EQ(removed, std::multiset<std::string>(c.removed.begin(), c.removed.end()));
        EXPECT_EQ(added, std::multiset<std::string>(c.added.begin(), c.added.end()));
        for (const auto& [file, language] :
             {std::pair{"en-US/sample.adml", "en-US"}, std::pair{"FR-fr/sample.adml", "fr-FR"}}) {
            auto [lost, gained] = Changed(SampleAdml(language), set.Read(file));
            EXPECT_EQ(lost.size(), c.admlAdded.size()) << file;
            ASSERT_EQ(gained.size(), c.admlAdded.size()) << file;
            auto line = gained.begin();
            for (const std::string& part : c.admlAdded)
                EXPECT_NE((line++)->find(part), std::string::npos) << file;
        }
    }
}

// The sheet's step takes the record along: undo gives the class back, and the set is
// written as it was read.
// A list box whose values are named by their content gets no prefix from its page: in an
// ADMX set an empty prefix would name them 1, 2, 3.
TEST(AdmxPages, ListNamedByContentKeepsNoPrefix) {
    std::string admx = kSampleAdmx;
    const std::string prefix = " valuePrefix=\"Host\"";
    admx.erase(admx.find(prefix), prefix.size());
    cTempSet set;
    set.Put("en-US/sample.adml", SampleAdml("en-US"));
    set.Put("FR-fr/sample.adml", SampleAdml("fr-FR"));
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.Put("sample.admx", admx)));
    auto& list = Part<cObjPolPartListBox>(doc, u"UserOnly", 6);
    auto values = cListBoxPageValues::Load(list);
    EXPECT_EQ(values.naming, cListBoxPageValues::Naming::ValueContent);
    values.ApplyTo(list);
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())));
    EXPECT_EQ(set.Read("sample.admx"), admx);
}

TEST(AdmxPages, UndoOfAClassChangeWritesTheSetAsRead) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    cObjPolicy& policy = PolicyNamed(doc, u"Everyone");
    cApplyPropertiesStep step(policy);
    auto values = cAdmxPolicyPageValues::Load(policy);
    values.policyClass = cAdmxClass::User;
    values.ApplyTo(policy);
    step.Finish(policy);
    EXPECT_EQ(cAdmxPolicyPageValues::Load(policy).policyClass, cAdmxClass::User);
    step.Undo();
    EXPECT_EQ(cAdmxPolicyPageValues::Load(policy).policyClass, cAdmxClass::Both);
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())));
    EXPECT_EQ(set.Read("sample.admx"), kSampleAdmx);
    step.Redo();
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())));
    EXPECT_NE(set.Read("sample.admx").find(R"(<policy name="Everyone" class="User")"),
              std::string::npos);
}
