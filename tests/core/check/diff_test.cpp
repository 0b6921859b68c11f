#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/check/diff.h"
#include "core/model/nodeobjects.h"
#include "tests/core/admx/admxsample.h"
#include "tests/core/check/checktest.h"

namespace {

std::vector<std::string> Lines(const cDiffResult& result) {
    std::vector<std::string> lines;
    for (const cDiffEntry& entry : result.entries)
        lines.push_back(ToUtf8(DiffLine(entry)));
    return lines;
}

std::vector<std::string> Diff(const std::string& older, const std::string& newer) {
    auto a = ReadTemplateText(older);
    auto b = ReadTemplateText(newer);
    return Lines(DiffTemplates(*a, *b));
}

#define HEAD "CLASS MACHINE\nCATEGORY Cat\n KEYNAME Software\\Test\n"
#define TAIL "END CATEGORY\n"

const char kBase[] = HEAD
    " POLICY \"Flag\" VALUENAME Flag VALUEON NUMERIC 1 VALUEOFF NUMERIC 0 END POLICY\n"
    " POLICY \"List\" PART \"Items\" LISTBOX KEYNAME Software\\Test\\Items END PART END POLICY\n"
    " POLICY \"Pick\" PART \"Mode\" DROPDOWNLIST VALUENAME Mode ITEMLIST\n"
    "   NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 2 END ITEMLIST END PART\n"
    "  PART \"Size\" NUMERIC VALUENAME Size MIN 1 MAX 10 END PART END POLICY\n" TAIL;

TEST(Diff, ATemplateAgainstItselfHasNoDifference) {
    auto doc = ReadTemplateText(kBase);
    cDiffResult result = DiffTemplates(*doc, *doc);
    EXPECT_TRUE(result.Empty());
    EXPECT_EQ(DiffSummary(result), "0 added, 0 removed, 0 changed");
}

TEST(Diff, KeysAndValueNamesCompareWithoutCase) {
    // The same registry value in other letters is the same policy; its display text,
    // compared exactly, has changed.
    EXPECT_EQ(
        Diff(HEAD " POLICY \"Flag\" VALUENAME Flag END POLICY\n" TAIL,
             "CLASS machine\nCATEGORY Cat\n KEYNAME SOFTWARE\\test\n"
             " POLICY \"FLAG\" VALUENAME flag END POLICY\n" TAIL),
        std::vector<std::string>{"~ MACHINE > Cat > FLAG: SOFTWARE\\test\\flag: display text"});
}

TEST(Diff, APolicyWithoutValueNameIsKnownByItsDisplayText) {
    EXPECT_EQ(
        Diff(HEAD " POLICY \"Old name\" PART P EDITTEXT VALUENAME v END PART END POLICY\n" TAIL,
             HEAD " POLICY \"New name\" PART P EDITTEXT VALUENAME v END PART END POLICY\n" TAIL),
        (std::vector<std::string>{"+ MACHINE > Cat > New name: Software\\Test",
                                  "- MACHINE > Cat > Old name: Software\\Test"}));
    // Display texts compare without case as well when they identify.
    EXPECT_EQ(
        Diff(HEAD " POLICY \"name\" END POLICY\n" TAIL, HEAD " POLICY \"NAME\" END POLICY\n" TAIL),
        std::vector<std::string>{"~ MACHINE > Cat > NAME: Software\\Test: display text"});
}

TEST(Diff, TheClassIsPartOfWhatAPolicyIs) {
    EXPECT_EQ(Diff(HEAD " POLICY \"Flag\" VALUENAME Flag END POLICY\n" TAIL,
                   "CLASS USER\nCATEGORY Cat\n KEYNAME Software\\Test\n"
                   " POLICY \"Flag\" VALUENAME Flag END POLICY\n" TAIL),
              (std::vector<std::string>{"- MACHINE > Cat > Flag: Software\\Test\\Flag",
                                        "+ USER > Cat > Flag: Software\\Test\\Flag"}));
}

struct cChangeCase {
    const char* name;
    const char* newer;  // kBase with one change
    const char* what;
};

void PrintTo(const cChangeCase& c, std::ostream* os) {
    *os << c.name;
}

class DiffChange : public ::testing::TestWithParam<cChangeCase> {};

TEST_P(DiffChange, NamesWhatChanged) {
    std::vector<std::string> lines = Diff(kBase, GetParam().newer);
    ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0].substr(lines[0].rfind(": ") + 2), GetParam().what) << lines[0];
}

#define FLAG(body) HEAD " POLICY \"Flag\" VALUENAME Flag " body " END POLICY\n"
#define REST                                                                                      \
    " POLICY \"List\" PART \"Items\" LISTBOX KEYNAME Software\\Test\\Items END PART END POLICY\n" \
    " POLICY \"Pick\" PART \"Mode\" DROPDOWNLIST VALUENAME Mode ITEMLIST\n"                       \
    "   NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 2 END ITEMLIST END PART\n"        \
    "  PART \"Size\" NUMERIC VALUENAME Size MIN 1 MAX 10 END PART END POLICY\n" TAIL
#define PICK(parts)                                                                            \
    HEAD " POLICY \"Flag\" VALUENAME Flag VALUEON NUMERIC 1 VALUEOFF NUMERIC 0 END POLICY\n"   \
         " POLICY \"List\" PART \"Items\" LISTBOX KEYNAME Software\\Test\\Items END PART END " \
         "POLICY\n"                                                                            \
         " POLICY \"Pick\" " parts " END POLICY\n" TAIL
#define MODE "PART \"Mode\" DROPDOWNLIST VALUENAME Mode ITEMLIST\n"

const cChangeCase kChanges[] = {
    {"Explain", FLAG("VALUEON NUMERIC 1 VALUEOFF NUMERIC 0 EXPLAIN \"Why\"") REST, "explain text"},
    {"Supported", FLAG("VALUEON NUMERIC 1 VALUEOFF NUMERIC 0 SUPPORTED \"Win\"") REST,
     "supported on"},
    {"OnValue", FLAG("VALUEON NUMERIC 2 VALUEOFF NUMERIC 0") REST, "on value"},
    {"OffValueAsString", FLAG("VALUEON NUMERIC 1 VALUEOFF \"0\"") REST, "off value"},
    {"OffValueRemoved", FLAG("VALUEON NUMERIC 1") REST, "off value"},
    {"OnList",
     FLAG("VALUEON NUMERIC 1 VALUEOFF NUMERIC 0 ACTIONLISTON VALUENAME x VALUE 1 "
          "END ACTIONLISTON") REST,
     "on list"},
    {"ItemValue",
     PICK(MODE "NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 3 END ITEMLIST END PART\n"
               "PART \"Size\" NUMERIC VALUENAME Size MIN 1 MAX 10 END PART"),
     "part Mode changed (items)"},
    {"ItemName",
     PICK(MODE "NAME \"One\" VALUE NUMERIC 1 NAME \"Deux\" VALUE NUMERIC 2 END ITEMLIST END PART\n"
               "PART \"Size\" NUMERIC VALUENAME Size MIN 1 MAX 10 END PART"),
     "part Mode changed (items)"},
    {"Range",
     PICK(MODE "NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 2 END ITEMLIST END PART\n"
               "PART \"Size\" NUMERIC VALUENAME Size MIN 1 MAX 20 END PART"),
     "part Size changed (range)"},
    {"PartRemoved",
     PICK(MODE "NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 2 END ITEMLIST END PART"),
     "part Size removed"},
    {"PartAdded",
     PICK(MODE "NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 2 END ITEMLIST END PART\n"
               "PART \"Size\" NUMERIC VALUENAME Size MIN 1 MAX 10 END PART\n"
               "PART \"Note\" EDITTEXT VALUENAME Note END PART"),
     "part Note added"},
    {"PartKind",
     PICK(MODE "NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 2 END ITEMLIST END PART\n"
               "PART \"Size\" EDITTEXT VALUENAME Size END PART"),
     "part Size changed (kind NUMERIC to EDITTEXT)"},
    {"ListKey",
     HEAD " POLICY \"Flag\" VALUENAME Flag VALUEON NUMERIC 1 VALUEOFF NUMERIC 0 END POLICY\n"
          " POLICY \"List\" PART \"Items\" LISTBOX KEYNAME Software\\Test\\Other END PART END "
          "POLICY\n"
          " POLICY \"Pick\" PART \"Mode\" DROPDOWNLIST VALUENAME Mode ITEMLIST\n"
          "   NAME \"One\" VALUE NUMERIC 1 NAME \"Two\" VALUE NUMERIC 2 END ITEMLIST END PART\n"
          "  PART \"Size\" NUMERIC VALUENAME Size MIN 1 MAX 10 END PART END POLICY\n" TAIL,
     "part Software\\Test\\Items removed, part Software\\Test\\Other added"},
};

INSTANTIATE_TEST_SUITE_P(Each, DiffChange, ::testing::ValuesIn(kChanges), CaseName<cChangeCase>);

TEST(Diff, WhatWritesTheSameIsNoChange) {
    // A default VALUEON is NUMERIC 1, numbers compare by value, an item list shown sorted
    // may come in another order, a part's label and text parts are not compared.
    EXPECT_TRUE(Diff(FLAG("VALUEON NUMERIC 1 VALUEOFF NUMERIC 0") TAIL,
                     FLAG("VALUEON NUMERIC 01 VALUEOFF NUMERIC 0") TAIL)
                    .empty());
    EXPECT_TRUE(
        Diff(FLAG("VALUEOFF NUMERIC 0") TAIL, FLAG("VALUEON NUMERIC 1 VALUEOFF NUMERIC 0") TAIL)
            .empty());
    EXPECT_TRUE(
        Diff(kBase, PICK(MODE "NAME \"Two\" VALUE NUMERIC 2 NAME \"One\" VALUE NUMERIC 1 "
                              "END ITEMLIST END PART\n"
                              "PART \"Extent\" NUMERIC VALUENAME Size MIN 1 MAX 10 END PART\n"
                              "PART \"Read this\" TEXT END PART"))
            .empty());
}

// The text as a UTF-16 file with its byte-order mark, which holds any character.
std::string Utf16File(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : FromUtf8(utf8)) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}

TEST(Diff, ALineIsOneLineWhateverTheNamesHold) {
    auto a = ReadTemplateText(HEAD TAIL);
    auto b = ReadTemplateText(
        Utf16File(HEAD " POLICY !!Two VALUENAME v END POLICY\n" TAIL
                       "[strings]\nTwo=\"Line\\none \xF0\x9F\x94\x92 \xC3\xA9\"\n"));
    cDiffResult result = DiffTemplates(*a, *b);
    ASSERT_EQ(result.entries.size(), 1u);
    std::string line;
    AppendDiffLine(line, result.entries[0]);
    EXPECT_EQ(line, "+ MACHINE > Cat > Line one \xF0\x9F\x94\x92 \xC3\xA9: Software\\Test\\v\n");
    EXPECT_EQ(line, ToUtf8(DiffLine(result.entries[0])) + "\n");
}

TEST(Diff, LinesAreSortedByPathAndTheSummaryCounts) {
    const char newer[] = HEAD
        " POLICY \"Flag\" VALUENAME Flag VALUEON NUMERIC 1 VALUEOFF NUMERIC 0 EXPLAIN x END "
        "POLICY\n"
        " POLICY \"Another\" VALUENAME Other END POLICY\n" TAIL
        "CATEGORY \"A first\"\n KEYNAME K\n POLICY \"Zed\" VALUENAME z END POLICY\n" TAIL;
    auto a = ReadTemplateText(kBase);
    auto b = ReadTemplateText(newer);
    cDiffResult result = DiffTemplates(*a, *b);
    EXPECT_EQ(Lines(result), (std::vector<std::string>{
                                 "+ MACHINE > A first > Zed: K\\z",
                                 "+ MACHINE > Cat > Another: Software\\Test\\Other",
                                 "~ MACHINE > Cat > Flag: Software\\Test\\Flag: explain text",
                                 "- MACHINE > Cat > List: Software\\Test",
                                 "- MACHINE > Cat > Pick: Software\\Test",
                             }));
    EXPECT_EQ(DiffSummary(result), "2 added, 2 removed, 1 changed");
    // The same in JSON, with the lines of both sides.
    std::string json = DiffJson(result, "old.adm", "new \"x\".adm");
    EXPECT_NE(json.find("\"newer\": \"new \\\"x\\\".adm\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"added\": 2,\n  \"removed\": 2,\n  \"changed\": 1"), std::string::npos);
    EXPECT_NE(
        json.find("{\"change\": \"changed\", \"class\": \"MACHINE\", \"categories\": "
                  "[\"Cat\"], \"name\": \"Flag\", \"path\": \"MACHINE > Cat > Flag\", \"key\": "
                  "\"Software\\\\Test\", \"valueName\": \"Flag\", \"olderLine\": 4, "
                  "\"newerLine\": 4, \"changes\": [\"explain text\"]}"),
        std::string::npos)
        << json;
    EXPECT_NE(json.find("\"valueName\": null, \"olderLine\": 5, \"newerLine\": null"),
              std::string::npos);
}

TEST(Diff, PoliciesKnownTheSameWayArePairedInOrderAndFoundAgain) {
    const char older[] = HEAD
        " POLICY \"P\" VALUENAME v EXPLAIN one END POLICY\n"
        " POLICY \"P\" VALUENAME v EXPLAIN two END POLICY\n" TAIL;
    const char newer[] = HEAD
        " POLICY \"P\" VALUENAME v EXPLAIN one END POLICY\n"
        " POLICY \"P\" VALUENAME V EXPLAIN changed END POLICY\n"
        " POLICY \"P\" VALUENAME v EXPLAIN three END POLICY\n" TAIL;
    auto a = ReadTemplateText(older);
    auto b = ReadTemplateText(newer);
    cDiffResult result = DiffTemplates(*a, *b);
    ASSERT_EQ(Lines(result), (std::vector<std::string>{"+ MACHINE > Cat > P: Software\\Test\\v",
                                                       "~ MACHINE > Cat > P: Software\\Test\\V: "
                                                       "explain text"}));
    // Each entry leads back to its own policy.
    const cDiffEntry& added = result.entries[0];
    const cDiffEntry& changed = result.entries[1];
    EXPECT_EQ(added.occurrence, 2u);
    EXPECT_EQ(changed.occurrence, 1u);
    const cTreeItem* item = FindPolicy(*b, added.Identity(), added.occurrence);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->node->line, added.newerLine);
    item = FindPolicy(*b, changed.Identity(), changed.occurrence);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->node->line, 5);
    EXPECT_EQ(FindPolicy(*a, added.Identity(), added.occurrence), nullptr);
}

TEST(Diff, CorpusReleasesCountTheSameBothWays) {
    SKIP_WITHOUT_CORPUS();
    auto older = ReadCorpusTemplate("chrome-older-en.adm");
    auto newer = ReadCorpusTemplate("chrome-en-US.adm");
    ASSERT_TRUE(older && newer);
    cDiffResult forward = DiffTemplates(*older, *newer);
    cDiffResult back = DiffTemplates(*newer, *older);
    EXPECT_GT(forward.added, 0u);
    EXPECT_GT(forward.changed, 0u);
    EXPECT_EQ(forward.added, back.removed);
    EXPECT_EQ(forward.removed, back.added);
    EXPECT_EQ(forward.changed, back.changed);
    EXPECT_EQ(forward.entries.size(), forward.added + forward.removed + forward.changed);
    EXPECT_TRUE(DiffTemplates(*newer, *newer).Empty());
    // Every entry is found again in the template it names, and its line is written alike
    // for the editor and for tessary-cli.
    for (const cDiffEntry& entry : forward.entries) {
        std::string line;
        AppendDiffLine(line, entry);
        EXPECT_EQ(line, ToUtf8(DiffLine(entry)) + "\n");
        const CPelwinDoc& side = entry.kind == cDiffKind::Removed ? *older : *newer;
        const cTreeItem* item = FindPolicy(side, entry.Identity(), entry.occurrence);
        ASSERT_NE(item, nullptr) << ToUtf8(DiffLine(entry));
        EXPECT_EQ(item->node->line,
                  entry.kind == cDiffKind::Removed ? entry.olderLine : entry.newerLine);
    }
}

}  // namespace

// The sample ADMX set as an ADM template: the same policies, the same texts, class Both as a
// policy under each class; the user policy without its parts.
const char kSampleAsAdm[] =
    "CLASS MACHINE\n"
    "CATEGORY !!Root\n"
    " CATEGORY !!Child\n"
    "  POLICY !!MachineOnly KEYNAME \"Software\\Sample\" EXPLAIN !!MachineOnly_Explain\n"
    "   SUPPORTED !!SUPPORTED_Sample VALUENAME On VALUEON NUMERIC 1 VALUEOFF DELETE\n"
    "  END POLICY\n"
    " END CATEGORY\n"
    " POLICY !!Everyone KEYNAME \"Software\\Sample\" VALUENAME Everyone\n"
    "  ACTIONLISTON VALUENAME A VALUE \"a\" END ACTIONLISTON\n"
    " END POLICY\n"
    "END CATEGORY\n"
    "CATEGORY \"Elsewhere\"\n"
    " POLICY !!Outside KEYNAME \"Software\\Sample\" VALUENAME Outside END POLICY\n"
    "END CATEGORY\n"
    "CLASS USER\n"
    "CATEGORY !!Root\n"
    " CATEGORY !!Child\n"
    "  POLICY !!UserOnly KEYNAME \"Software\\Sample\\User\"\n"
    "   SUPPORTED \"windows:SUPPORTED_Windows7\" END POLICY\n"
    " END CATEGORY\n"
    "EVERYONE"
    "END CATEGORY\n"
    "[strings]\n"
    "Root=\"Sample root\"\nChild=\"Child\"\nMachineOnly=\"Machine only\"\n"
    "MachineOnly_Explain=\"Turns it on\"\nSUPPORTED_Sample=\"At least Sample 2\"\n"
    "Everyone=\"Everyone\"\nOutside=\"Outside\"\nUserOnly=\"User only\"\n";

std::string SampleAsAdm(bool userEveryone) {
    std::string text = kSampleAsAdm;
    text.replace(text.find("EVERYONE"), 8,
                 userEveryone ? " POLICY !!Everyone KEYNAME \"Software\\Sample\" VALUENAME "
                                "Everyone\n  ACTIONLISTON VALUENAME A VALUE \"a\" END "
                                "ACTIONLISTON\n END POLICY\n"
                              : "");
    return text;
}

TEST(Diff, AnAdmxSetAgainstTheSameTemplateInAdm) {
    cTempSet set;
    CPelwinDoc admx;
    ASSERT_TRUE(ReadDocument(admx, set.PutSample()));
    // Identity, texts and values alike in both formats: only the parts ADM lacks differ.
    auto adm = ReadTemplateText(SampleAsAdm(true));
    for (const cDiffResult& result : {DiffTemplates(*adm, admx), DiffTemplates(admx, *adm)}) {
        std::vector<std::string> lines = Lines(result);
        ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
        EXPECT_EQ(lines[0].rfind("~ USER > Sample root > Child > User only: "
                                 "Software\\Sample\\User: part Name ",
                                 0),
                  0u)
            << lines[0];
        EXPECT_EQ(result.added + result.removed, 0u);
    }
    // The policy of class Both counts under USER too.
    adm = ReadTemplateText(SampleAsAdm(false));
    std::vector<std::string> lines = Lines(DiffTemplates(*adm, admx));
    ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[1], "+ USER > Sample root > Everyone: Software\\Sample\\Everyone");
}

TEST(Diff, NamesakesPairInACategoryOfTheSameNameFirst) {
    // One display text and key twice, once under a subcategory; the other template lists the
    // subcategory first, as an ADMX set does.
    const std::string older = HEAD
        " POLICY \"Sites\" PART \"New\" LISTBOX KEYNAME Software\\Test\\New END PART END POLICY\n"
        " CATEGORY \"Removed\"\n"
        "  POLICY \"Sites\" PART \"Old\" LISTBOX KEYNAME Software\\Test\\Old END PART END POLICY\n"
        " END CATEGORY\n" TAIL;
    const std::string newer = HEAD
        " CATEGORY \"Removed\"\n"
        "  POLICY \"Sites\" PART \"Old\" LISTBOX KEYNAME Software\\Test\\Old END PART END POLICY\n"
        " END CATEGORY\n"
        " POLICY \"Sites\" PART \"New\" LISTBOX KEYNAME Software\\Test\\New END PART END "
        "POLICY\n" TAIL;
    EXPECT_TRUE(Diff(older, newer).empty()) << ::testing::PrintToString(Diff(older, newer));
}
