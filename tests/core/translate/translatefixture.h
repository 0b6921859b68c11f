#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/document/document.h"
#include "core/edit/editstep.h"
#include "core/translate/translationset.h"
#include "tests/testsupport.h"

// A template in English with its German translation, as two files in a folder of their own.
// The German file sorts its categories and policies by its own texts and lacks one string.
inline const char kEnglish[] = R"(CLASS MACHINE
  CATEGORY !!Browser
    KEYNAME "Software\Vendor\Browser"
    POLICY !!Homepage
      EXPLAIN !!Homepage_Explain
      PART !!Url EDITTEXT
        VALUENAME "HomeUrl"
      END PART
      PART !!Mode DROPDOWNLIST
        VALUENAME "Mode"
        ITEMLIST
          NAME !!ModeOn VALUE NUMERIC 1
          NAME !!ModeOff VALUE NUMERIC 0
        END ITEMLIST
      END PART
    END POLICY
    POLICY !!Proxy
      VALUENAME "ProxyMode"
    END POLICY
  END CATEGORY
  CATEGORY !!Printing
    KEYNAME "Software\Vendor\Print"
    POLICY !!Headers
      VALUENAME "HeaderFooter"
    END POLICY
  END CATEGORY

[strings]
Browser="Web browser"
Homepage="Home page"
Homepage_Explain="Sets the page shown at start.\n\nA long text."
Url="Start address"
Mode="Mode"
ModeOn="On"
ModeOff="Off"
Proxy="Proxy"
Printing="Printing"
Headers="Print headers"
)";

inline const char kGerman[] = R"(; German
CLASS MACHINE
  CATEGORY !!Printing
    KEYNAME "Software\Vendor\Print"
    POLICY !!Headers
      VALUENAME "HeaderFooter"
    END POLICY
  END CATEGORY
  CATEGORY !!Browser
    KEYNAME "Software\Vendor\Browser"
    POLICY !!Proxy
      VALUENAME "ProxyMode"
    END POLICY
    POLICY !!Homepage
      EXPLAIN !!Homepage_Explain
      PART !!Url EDITTEXT
        VALUENAME "HomeUrl"
      END PART
      PART !!Mode DROPDOWNLIST
        VALUENAME "Mode"
        ITEMLIST
          NAME !!ModeOn VALUE NUMERIC 1
          NAME !!ModeOff VALUE NUMERIC 0
        END ITEMLIST
      END PART
    END POLICY
  END CATEGORY

[strings]
Printing="Drucken"
Browser="Webbrowser"
Proxy="Proxy"
Homepage="Startseite"
Homepage_Explain="Legt die Startseite fest.\n\nEin langer Text."
Url="Startadresse"
Mode="Modus"
ModeOn="Ein"
ModeOff="Aus"
)";

// A folder of template files, removed with everything in it.
class cTempFolder {
public:
    cTempFolder() {
        static int counter = 0;
        path =
            std::filesystem::temp_directory_path() /
            ("tessary-translate-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path);
    }
    ~cTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    cTempFolder(const cTempFolder&) = delete;
    cTempFolder& operator=(const cTempFolder&) = delete;

    Text Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
        return File(name);
    }
    Text File(const std::string& name) const { return FromUtf8((path / name).string()); }
    static std::string Read(const Text& file) {
        std::ifstream in(ToUtf8(file), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // Every file of the folder with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            files[entry.path().filename().string()] = Read(FromUtf8(entry.path().string()));
        return files;
    }

    std::filesystem::path path;
};

// The document's history as the editor keeps it: steps applied, undone and redone in order.
class cTestHistory : public cStepSink {
public:
    bool Push(std::unique_ptr<cEditStep> step) override {
        if (!step || !step->Apply(*doc))
            return false;
        steps.resize(done);
        steps.push_back(std::move(step));
        ++done;
        return true;
    }
    bool Undo() { return done > 0 && steps[done - 1]->Revert(*doc) && (--done, true); }
    bool Redo() { return done < steps.size() && steps[done]->Apply(*doc) && (++done, true); }

    CPelwinDoc* doc = nullptr;
    std::vector<std::unique_ptr<cEditStep>> steps;
    size_t done = 0;
};

// A template read from a file, its own tree standing in for the view.
struct cTestDocReader {
    explicit cTestDocReader(const Text& path) {
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        ok = doc.ReadFile(path);
    }
    CPelwinDoc doc;
    bool ok = false;
};

// The English template open, its German file beside it.
class TranslationFixture : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        english = folder.Write("app-en-US.adm", kEnglish);
        german = folder.Write("app-de-DE.adm", kGerman);
        ASSERT_TRUE(doc.ReadFile(english));
        doc.SetPath(english);
        history.doc = &doc;
        doc.SetStepSink(&history);
    }
    void TearDown() override { doc.SetStepSink(nullptr); }

    // The set with German added from its file.
    cTranslationSet& WithGerman() {
        set = std::make_unique<cTranslationSet>(doc);
        Text problem;
        EXPECT_TRUE(set->Languages()->AddFromFile(german, u"de-DE", problem)) << ToUtf8(problem);
        set->Refresh();
        return *set;
    }
    size_t Row(const char16_t* name) const { return set->RowOf(name); }
    cCellState GermanState(const char16_t* name) const {
        return set->State(Row(name), set->IndexOf(u"de-DE"));
    }

    cTempFolder folder;
    Text english, german;
    CPelwinDoc doc;
    cTestHistory history;
    std::unique_ptr<cTranslationSet> set;
};
