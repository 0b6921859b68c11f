#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "core/check/diff.h"
#include "core/check/docsite.h"
#include "core/check/policyplace.h"
#include "core/check/reference.h"
#include "core/check/storeread.h"
#include "tests/core/admx/admxsample.h"

namespace {

// The set that the sample's "windows:" references point into, with texts that would break
// a page that did not escape them.
const char kBaseAdmx[] = R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitions revision="2.0" schemaVersion="1.0">
  <policyNamespaces>
    <target prefix="windows" namespace="Microsoft.Policies.Windows"/>
  </policyNamespaces>
  <resources minRequiredRevision="1.0"/>
  <supportedOn>
    <definitions>
      <definition name="SUPPORTED_Windows7" displayName="$(string.SUPPORTED_Windows7)"/>
    </definitions>
  </supportedOn>
  <categories>
    <category name="WindowsComponents" displayName="$(string.WindowsComponents)"/>
    <category name="System" displayName="$(string.System)"/>
  </categories>
  <policies>
    <policy name="Hostile" class="Machine" displayName="$(string.Hostile)" explainText="$(string.Hostile_Explain)" key="Software\Base" valueName="H">
      <parentCategory ref="System"/>
    </policy>
  </policies>
</policyDefinitions>
)xml";

const char kBaseAdml[] = R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitionResources revision="2.0" schemaVersion="1.0">
  <displayName>Base</displayName>
  <description>Base</description>
  <resources>
    <stringTable>
      <string id="SUPPORTED_Windows7">At least Windows 7</string>
      <string id="WindowsComponents">Windows Components</string>
      <string id="System">System &lt;/script&gt;&lt;b&gt;</string>
      <string id="Hostile">&lt;/script&gt;&lt;img src=x onerror=alert(1)&gt; "q" &amp; 'a' &#x2028;</string>
      <string id="Hostile_Explain">First paragraph
goes on.

- one &lt;i&gt;
- two

Last.</string>
    </stringTable>
  </resources>
</policyDefinitionResources>
)xml";

// A store of the sample set and the base set in a folder of its own.
struct cStoreFixture {
    cTempSet folder;
    cStore store;
    std::vector<const CPelwinDoc*> docs;

    explicit cStoreFixture(const std::string& sampleAdmx = kSampleAdmx,
                           const std::string& language = "") {
        folder.Put("sample.admx", sampleAdmx);
        folder.Put("en-US/sample.adml", SampleAdml("en-US"));
        folder.Put("fr-FR/sample.adml", SampleAdml("fr-FR"));
        folder.Put("Windows.admx", kBaseAdmx);
        folder.Put("en-US/Windows.adml", kBaseAdml);
        cMessageRecorder messages;
        EXPECT_TRUE(ReadStore({folder.dir.string()}, language, store));
        EXPECT_TRUE(messages.texts.empty()) << messages.Utf8().front();
        for (const auto& doc : store.docs)
            docs.push_back(doc.get());
    }
};

std::map<std::string, std::string> Files(const std::vector<cSiteFile>& files) {
    std::map<std::string, std::string> out;
    for (const cSiteFile& file : files)
        out[file.path] = file.bytes;
    return out;
}

// text with its one occurrence of from replaced by to.
void Replace(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

const std::string& PageOf(const std::map<std::string, std::string>& files,
                          const std::string& policyName) {
    for (const auto& [path, bytes] : files)
        if (path.rfind("policies/", 0) == 0 &&
            path.find("." + policyName + ".html") != std::string::npos)
            return bytes;
    static const std::string none;
    ADD_FAILURE() << "no page of " << policyName;
    return none;
}

}  // namespace

TEST(StoreRead, ListsTheAdmxFilesAndFallsBackToTheSetsOwnLanguage) {
    cStoreFixture fixture(kSampleAdmx, "fr-FR");
    ASSERT_EQ(fixture.docs.size(), 2u);
    // Sorted whatever the case: sample before Windows.
    EXPECT_EQ(ToUtf8(fixture.docs[0]->DisplayLanguage()), "fr-FR");
    EXPECT_EQ(ToUtf8(fixture.docs[1]->DisplayLanguage()), "en-US");
    EXPECT_EQ(TargetNamespace(*fixture.docs[1]), "Microsoft.Policies.Windows");
    auto index = NamespaceIndex(fixture.docs);
    EXPECT_EQ(index.at("Sample.Policies"), 0u);

    cMessageRecorder messages;
    cStore empty;
    cTempSet nothing;
    EXPECT_FALSE(ReadStore({nothing.dir.string()}, "", empty));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.Utf8()[0].find("holds no ADMX file"), std::string::npos);
}

TEST(DocSite, MergesCategoriesAcrossSetsAndResolvesTheirSupportedOnTexts) {
    cStoreFixture fixture;
    auto files = Files(BuildSite(fixture.docs, {}));
    // One page per policy read, one per set.
    size_t policies = 0;
    for (const CPelwinDoc* doc : fixture.docs)
        ForEachPolicy(*doc, [&](const cTreeItem&, const cObjPolicy&) { ++policies; });
    EXPECT_EQ(SitePolicyCount(BuildSite(fixture.docs, {})), policies);
    EXPECT_TRUE(files.count("sets/sample.html") && files.count("sets/Windows.html"));

    const std::string& index = files.at("index.html");
    // The sample's Root stands in the base set's Windows Components, once per side that has
    // policies there: Everyone (Both) makes it appear under User as well.
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = index.find(what); at != std::string::npos; at = index.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("<summary>Windows Components"), 2u);
    EXPECT_EQ(count("<summary>Sample root"), 2u);
    EXPECT_LT(index.find("<summary>Windows Components"), index.find("<summary>Sample root"));
    // Outside goes under the base set's System with the base set's own policy.
    size_t system = index.find("<summary>System &lt;/script&gt;&lt;b&gt; <span class=\"count\">2");
    EXPECT_NE(system, std::string::npos);

    const std::string& userOnly = PageOf(files, "UserOnly");
    EXPECT_NE(userOnly.find("At least Windows 7"), std::string::npos);
    EXPECT_NE(userOnly.find("User Configuration \xE2\x80\xBA Windows Components \xE2\x80\xBA "
                            "Sample root \xE2\x80\xBA Child"),
              std::string::npos);
    EXPECT_NE(userOnly.find("<code>Software\\Sample\\User</code>"), std::string::npos);
    // A drop-down list's items, a number's bounds and the .reg text of the enabled state.
    EXPECT_NE(userOnly.find("&quot;fast&quot; = Fast"), std::string::npos);
    EXPECT_NE(userOnly.find("from 1 to 50"), std::string::npos);
    EXPECT_NE(userOnly.find("Windows Registry Editor Version 5.00"), std::string::npos);
    EXPECT_NE(userOnly.find("[HKEY_CURRENT_USER\\Software\\Sample\\User]"), std::string::npos);
    // The languages whose ADML names the policy.
    EXPECT_NE(userOnly.find("<dt>Languages</dt><dd>en-US, fr-FR</dd>"), std::string::npos);
}

TEST(DocSite, EscapesEveryTextAndLoadsNothingFromElsewhere) {
    cStoreFixture fixture;
    auto files = Files(BuildSite(fixture.docs, {}));
    const std::string& hostile = PageOf(files, "Hostile");
    EXPECT_NE(hostile.find("&lt;/script&gt;&lt;img src=x onerror=alert(1)&gt; &quot;q&quot; &amp;"),
              std::string::npos);
    // Paragraphs and lists of the explain text stay apart, their texts escaped.
    EXPECT_NE(hostile.find("<p>First paragraph<br>\ngoes on.</p>\n<ul>\n<li>one &lt;i&gt;</li>\n"
                           "<li>two</li>\n</ul>\n<p>Last.</p>"),
              std::string::npos);
    const std::regex outside(R"((src|href)\s*=\s*["']?\s*(https?:|//|javascript:))",
                             std::regex::icase);
    for (const auto& [path, bytes] : files) {
        EXPECT_EQ(bytes.find("<img"), std::string::npos) << path;
        EXPECT_FALSE(std::regex_search(bytes, outside)) << path;
    }
    // The search index: ASCII alone, nothing that could end its strings or a script.
    const std::string& search = files.at("search-index.js");
    EXPECT_TRUE(std::all_of(search.begin(), search.end(),
                            [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7f); }));
    EXPECT_EQ(search.find('<'), std::string::npos);
    EXPECT_NE(search.find("\\u003c/script\\u003e\\u003cimg src=x onerror=alert(1)\\u003e "
                          "\\u0022q\\u0022 \\u0026 'a' \\u2028"),
              std::string::npos);
}

TEST(DocSite, StoresCompareAcrossFilesAndMarkWhatChanged) {
    cStoreFixture older;
    // The newer release drops MachineOnly and Outside and gives Everyone an explain text.
    std::string sample = kSampleAdmx;
    auto cut = [&](const std::string& from, const std::string& to) {
        size_t start = sample.find(from);
        size_t end = sample.find(to, start) + to.size();
        std::string piece = sample.substr(start, end - start);
        sample.erase(start, end - start);
        return piece;
    };
    std::string moved = cut("<policy name=\"MachineOnly\"", "</policy>");
    cut("<policy name=\"Outside\"", "</policy>");
    Replace(sample, "displayName=\"$(string.Everyone)\"",
            "displayName=\"$(string.Everyone)\" explainText=\"$(string.Root_Explain)\"");
    cStoreFixture newer(sample);
    cDiffResult result = DiffStores(older.docs, newer.docs);
    EXPECT_EQ(result.added, 0u);
    EXPECT_EQ(result.removed, 2u);  // MachineOnly and Outside: gone from the newer store
    EXPECT_EQ(result.changed, 2u);  // Everyone, under each class
    for (const cDiffEntry& entry : result.entries) {
        if (entry.kind == cDiffKind::Changed) {
            EXPECT_EQ(entry.changes, std::vector<Text>{u"explain text"});
        }
    }

    // Moved to another file it is the same policy: put MachineOnly into the base set.
    std::string base = kBaseAdmx;
    std::string machine = moved;
    Replace(machine, "<parentCategory ref=\"Child\"/>", "<parentCategory ref=\"System\"/>");
    Replace(machine, "$(string.MachineOnly_Explain)", "$(string.System)");
    Replace(machine, "$(string.MachineOnly)", "$(string.System)");
    Replace(machine, "<supportedOn ref=\"SUPPORTED_Sample\"/>", "");
    base.insert(base.find("  </policies>"), machine + "\n");
    newer.folder.Put("Windows.admx", base);
    cStore moveStore;
    cMessageRecorder messages;
    ASSERT_TRUE(ReadStore({newer.folder.dir.string()}, "", moveStore));
    std::vector<const CPelwinDoc*> moveDocs;
    for (const auto& doc : moveStore.docs)
        moveDocs.push_back(doc.get());
    result = DiffStores(older.docs, moveDocs);
    EXPECT_EQ(result.removed, 1u);  // Outside alone
    bool movedChanged = false;
    for (const cDiffEntry& entry : result.entries)
        movedChanged |= entry.kind == cDiffKind::Changed && entry.valueName == u"On";
    EXPECT_TRUE(movedChanged);  // its texts and supported-on differ, not its identity

    cSiteOptions options;
    options.older = &older.docs;
    options.olderName = "old-store";
    auto files = Files(BuildSite(moveDocs, options));
    ASSERT_TRUE(files.count("changes.html"));
    EXPECT_NE(files.at("changes.html").find("<h2>Removed</h2>"), std::string::npos);
    EXPECT_NE(PageOf(files, "Everyone").find("Changed since old-store (MACHINE): explain text."),
              std::string::npos);
    EXPECT_EQ(PageOf(files, "UserOnly").find("since old-store"), std::string::npos);
}

// The store sample: every policy has its page, which names its key and value name as lint's
// read has them, and nothing is said while the site is built.
TEST(DocSite, StoreSampleBuildsWithoutAMessage) {
    SKIP_WITHOUT_CORPUS();
    const std::filesystem::path folder = CorpusDir() / "store-sample";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no store sample";
    cMessageRecorder messages;
    cStore store;
    ASSERT_TRUE(ReadStore({folder.string()}, "en-US", store));
    std::vector<const CPelwinDoc*> docs;
    std::vector<cReferencePolicy> expected;
    for (const auto& doc : store.docs) {
        docs.push_back(doc.get());
        for (cReferencePolicy& policy : BuildReference(*doc))
            expected.push_back(std::move(policy));
    }
    std::vector<cSiteFile> files = BuildSite(docs, {});
    EXPECT_TRUE(messages.texts.empty()) << messages.Utf8().front();
    ASSERT_EQ(SitePolicyCount(files), expected.size());
    std::vector<const cSiteFile*> pages;
    for (const cSiteFile& file : files)
        if (file.path.rfind("policies/", 0) == 0)
            pages.push_back(&file);
    // Pages come in the order the policies were read.
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_NE(pages[i]->bytes.find("<dt>Registry key</dt><dd><code>" +
                                       HtmlEscaped(expected[i].key) + "</code>"),
                  std::string::npos)
            << pages[i]->path;
        if (!expected[i].valueName.empty()) {
            EXPECT_NE(pages[i]->bytes.find("<dt>Value name</dt><dd><code>" +
                                           HtmlEscaped(expected[i].valueName) + "</code>"),
                      std::string::npos)
                << pages[i]->path;
        }
    }
}

// Two sets whose categories name each other as parent: the tree shows each once on the way
// down instead of going round for ever.
TEST(DocSite, CategoriesThatGoRoundThroughTwoSetsEndTheTree) {
    auto set = [](const std::string& own, const std::string& other) {
        return R"x(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitions revision="1.0" schemaVersion="1.0">
  <policyNamespaces><target prefix=")x" +
               own + R"x(" namespace="Test.)x" + own + R"x("/>
    <using prefix=")x" +
               other + R"x(" namespace="Test.)x" + other + R"x("/></policyNamespaces>
  <resources minRequiredRevision="1.0"/>
  <categories><category name="C" displayName="$(string.C)"><parentCategory ref=")x" +
               other +
               R"x(:C"/></category></categories>
  <policies><policy name="P" class="Machine" displayName="$(string.C)" key="K" valueName=")x" +
               own + R"x("><parentCategory ref="C"/></policy></policies>
</policyDefinitions>
)x";
    };
    auto adml = [](const std::string& own) {
        return R"x(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitionResources revision="1.0" schemaVersion="1.0"><displayName>x</displayName>
<description>x</description><resources><stringTable><string id="C">Category )x" +
               own +
               R"x(</string></stringTable></resources></policyDefinitionResources>
)x";
    };
    cTempSet folder;
    folder.Put("a.admx", set("a", "b"));
    folder.Put("en-US/a.adml", adml("a"));
    folder.Put("b.admx", set("b", "a"));
    folder.Put("en-US/b.adml", adml("b"));
    cMessageRecorder messages;
    cStore store;
    ASSERT_TRUE(ReadStore({folder.dir.string()}, "", store));
    std::vector<const CPelwinDoc*> docs{store.docs[0].get(), store.docs[1].get()};
    auto files = Files(BuildSite(docs, {}));
    EXPECT_EQ(SitePolicyCount(BuildSite(docs, {})), 2u);
    const std::string& index = files.at("index.html");
    // Each category at the top with the other below it, and no deeper.
    EXPECT_NE(index.find("<summary>Category a <span class=\"count\">2</span></summary>\n<ul>\n"
                         "<li><details><summary>Category b"),
              std::string::npos);
    EXPECT_EQ(index.find("<summary>Category a", index.find("<summary>Category a") + 1),
              index.find("<summary>Category a", index.find("<summary>Category b")));
}
