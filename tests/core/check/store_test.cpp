#include "core/check/store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "tests/core/admx/admxsample.h"

namespace {

// An ADMX file targeting ns as prefix, using the namespaces given (prefix → namespace), with
// one category and one definition of its own and the policies given; line 4 is its target,
// line 5 on its usings.
std::string StoreAdmx(const std::string& prefix, const std::string& ns,
                      const std::map<std::string, std::string>& usings,
                      const std::string& policies) {
    std::string out = R"x(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitions revision="1.0" schemaVersion="1.0">
  <policyNamespaces>
    <target prefix=")x" +
                      prefix + R"x(" namespace=")x" + ns + R"x("/>
)x";
    for (const auto& [p, n] : usings)
        out += "    <using prefix=\"" + p + "\" namespace=\"" + n + "\"/>\n";
    out += R"x(  </policyNamespaces>
  <resources minRequiredRevision="1.0"/>
  <supportedOn><definitions><definition name="SUPPORTED_)x" +
           prefix +
           R"x(" displayName="$(string.Sup)"/></definitions></supportedOn>
  <categories><category name="Cat_)x" +
           prefix + R"x(" displayName="$(string.Cat)"/></categories>
  <policies>
)x" + policies +
           R"x(  </policies>
</policyDefinitions>
)x";
    return out;
}

std::string Policy(const std::string& name, const std::string& parent, const std::string& supported,
                   const std::string& value) {
    return "    <policy name=\"" + name + "\" class=\"Machine\" displayName=\"$(string.Pol)\" " +
           "key=\"Software\\Store\" valueName=\"" + value + "\">\n      <parentCategory ref=\"" +
           parent + "\"/>\n      <supportedOn ref=\"" + supported + "\"/>\n    </policy>\n";
}

const char kStoreAdml[] = R"x(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitionResources revision="1.0" schemaVersion="1.0">
  <displayName>x</displayName><description>x</description>
  <resources><stringTable>
    <string id="Sup">At least the base</string>
    <string id="Cat">Category</string>
    <string id="Pol">Policy</string>
  </stringTable></resources>
</policyDefinitionResources>
)x";

struct cStore : cTempSet {
    // NAME.admx with its ADML in each language folder given.
    void Add(const std::string& name, const std::string& admx,
             std::initializer_list<const char*> languages = {"en-US", "fr-FR"}) {
        Put(name + ".admx", admx);
        for (const char* language : languages)
            Put(std::string(language) + "/" + name + ".adml", kStoreAdml);
    }
    std::vector<cFinding> Lint(const std::string& joining = "") const {
        std::vector<cFinding> findings;
        Text problem;
        EXPECT_TRUE(LintStore(dir.string(), joining, findings, problem)) << ToUtf8(problem);
        return findings;
    }
};

// "FILE:LINE RULE SEVERITY" of each finding, the file without its folder.
std::vector<std::string> Shown(const std::vector<cFinding>& findings) {
    std::vector<std::string> out;
    for (const cFinding& f : findings)
        out.push_back(std::filesystem::path(ToUtf8(f.file)).filename().string() + ":" +
                      std::to_string(f.line) + " " + f.rule + " " + SeverityName(f.severity));
    std::sort(out.begin(), out.end());
    return out;
}

void AddCleanStore(cStore& store) {
    store.Add("base", StoreAdmx("base", "Store.Base", {},
                                Policy("BasePol", "Cat_base", "SUPPORTED_base", "One")));
    store.Add("user", StoreAdmx("user", "Store.User", {{"base", "Store.Base"}},
                                Policy("UserPol", "base:Cat_base", "base:SUPPORTED_base", "Two")));
}

}  // namespace

TEST(Store, CleanStoreHasNothingToSay) {
    cStore store;
    AddCleanStore(store);
    EXPECT_EQ(Shown(store.Lint()), std::vector<std::string>{});
}

TEST(Store, EachRuleAtItsFileAndLine) {
    cStore store;
    AddCleanStore(store);
    // Targets the base namespace again, and writes the base policy's value.
    store.Add("zagain", StoreAdmx("zagain", "Store.Base", {},
                                  Policy("AgainPol", "Cat_zagain", "SUPPORTED_zagain", "one")));
    // Uses a namespace nobody targets, and names a category the base does not define.
    store.Add("lost",
              StoreAdmx("lost", "Store.Lost", {{"base", "Store.Base"}, {"gone", "Store.Gone"}},
                        Policy("LostPol", "gone:Cat", "base:SUPPORTED_none", "Three")),
              {"en-US"});
    // No language folder holds its ADML.
    store.Add("bare", StoreAdmx("bare", "Store.Bare", {}, ""), {});
    const std::vector<std::string> expected = {
        "bare.admx:6 store-missing-adml error",
        "base.admx:4 store-duplicate-namespace error",
        "lost.admx:14 store-undefined-reference error",
        "lost.admx:6 store-missing-namespace error",
        "lost.admx:8 store-missing-adml warning",
        "zagain.admx:10 store-duplicate-value warning",
        "zagain.admx:4 store-duplicate-namespace error",
    };
    std::vector<std::string> store_rules;
    for (const std::string& finding : Shown(store.Lint()))
        if (finding.find(" store-") != std::string::npos)
            store_rules.push_back(finding);
    EXPECT_EQ(store_rules, expected);

    // One file checked against the store it joins: only its own findings, the store's file
    // of its name replaced.
    cTempSet outside;
    outside.Put("en-US/base.adml", kStoreAdml);
    outside.Put("fr-FR/base.adml", kStoreAdml);
    const auto joining = outside.Put(
        "base.admx", StoreAdmx("base", "Store.Base", {{"user", "Store.User"}},
                               Policy("BasePol", "user:Cat_nothing", "SUPPORTED_base", "One")));
    EXPECT_EQ(Shown(store.Lint(joining.string())),
              (std::vector<std::string>{"base.admx:12 store-undefined-reference error",
                                        "base.admx:4 store-duplicate-namespace error"}));
}

// The operating system's sample store: every reference into the namespace its Windows.admx
// targets resolves where Windows.admx defines the name; only those it lacks are reported.
TEST(Store, SampleStoreResolvesWindowsReferences) {
    SKIP_WITHOUT_CORPUS();
    const std::filesystem::path dir = CorpusDir() / "store-sample";
    std::ifstream in(dir / "Windows.admx", std::ios::binary);
    const std::string windows((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    std::vector<cFinding> findings;
    Text problem;
    ASSERT_TRUE(LintStore(dir.string(), "", findings, problem)) << ToUtf8(problem);
    int intoWindows = 0;
    for (const cFinding& f : findings) {
        const std::string text = ToUtf8(f.text);
        if (std::string(f.rule) == "store-missing-namespace") {
            EXPECT_EQ(text.find("Microsoft.Policies.Windows"), std::string::npos) << text;
        }
        if (std::string(f.rule) != "store-undefined-reference")
            continue;
        const size_t at = text.find("refers to windows:");
        if (at == std::string::npos)
            continue;
        ++intoWindows;
        const size_t start = at + std::string("refers to windows:").size();
        const std::string name = text.substr(start, text.find(',', start) - start);
        EXPECT_EQ(windows.find("name=\"" + name + "\""), std::string::npos)
            << ToUtf8(f.file) << ":" << f.line << " " << text;
    }
    // The sample holds references to definitions of a later release than its Windows.admx.
    EXPECT_GT(intoWindows, 0);
}

// The relations are checked once every set is read, whichever comes first: a reference into
// a file read later, a value written again by a later file, and a file that cannot be read in
// between, which the others' checks pass over. Each finding names the other file and line.
TEST(Store, RelationsOfSetsReadBeforeAndAfterEachOther) {
    cStore store;
    store.Add("aref", StoreAdmx("aref", "Store.A", {{"z", "Store.Z"}},
                                Policy("APol", "z:Cat_none", "z:SUPPORTED_z", "Same")));
    store.Add("mid", "<policyDefinitions>\n<broken");
    store.Add("zdef",
              StoreAdmx("z", "Store.Z", {}, Policy("ZPol", "Cat_z", "SUPPORTED_z", "SAME")));
    const std::vector<cFinding> findings = store.Lint();
    std::vector<std::string> shown;
    for (const std::string& finding : Shown(findings))
        if (finding.find(" store-") != std::string::npos ||
            finding.find(" xml") != std::string::npos)
            shown.push_back(finding);
    EXPECT_EQ(shown, (std::vector<std::string>{"aref.admx:12 store-undefined-reference error",
                                               "mid.admx:2 xml error",
                                               "zdef.admx:10 store-duplicate-value warning"}));
    const std::string aref = (store.dir / "aref.admx").string();
    const std::string zdef = (store.dir / "zdef.admx").string();
    for (const cFinding& f : findings) {
        const std::string text = ToUtf8(f.text);
        if (std::string(f.rule) == "store-undefined-reference") {
            EXPECT_EQ(text, "parentCategory refers to z:Cat_none, but " + zdef +
                                ", which targets Store.Z, defines no category Cat_none");
        }
        if (std::string(f.rule) == "store-duplicate-value") {
            EXPECT_EQ(text,
                      "policy ZPol writes HKLM\\SOFTWARE\\STORE\\SAME, which policy APol of " +
                          aref + " (line 11) writes too");
        }
    }
}

// A prefix bound by a using to a namespace no file targets is reported once, at its using,
// however many references use it; references with the file's own prefix stay within it.
TEST(Store, MissingNamespaceOnceAtItsUsing) {
    cStore store;
    store.Add("only", StoreAdmx("only", "Store.Only", {{"a", "Store.Gone"}, {"b", "Store.Gone2"}},
                                Policy("P1", "b:Cat", "b:SUPPORTED", "One") +
                                    Policy("P2", "only:Cat_only", "b:SUPPORTED", "Two")));
    std::vector<std::string> shown;
    for (const std::string& finding : Shown(store.Lint()))
        if (finding.find(" store-") != std::string::npos)
            shown.push_back(finding);
    EXPECT_EQ(shown, std::vector<std::string>{"only.admx:6 store-missing-namespace error"});
}

// A set joining the store with its ADML only in a folder that is no language folder has
// none the policy editor would find.
TEST(Store, JoiningSetWithItsAdmlOutsideLanguageFolders) {
    cStore store;
    AddCleanStore(store);
    cTempSet outside;
    outside.Put("backup/base.adml", kStoreAdml);
    const auto joining =
        outside.Put("base.admx", StoreAdmx("base", "Store.Base", {},
                                           Policy("BasePol", "Cat_base", "SUPPORTED_base", "One")));
    std::vector<std::string> shown;
    for (const std::string& finding : Shown(store.Lint(joining.string())))
        if (finding.find(" store-") != std::string::npos)
            shown.push_back(finding);
    EXPECT_EQ(shown, std::vector<std::string>{"base.admx:6 store-missing-adml error"});
}
