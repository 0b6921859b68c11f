#include "core/check/storeread.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/core/admx/admxsample.h"

// A set's ADML is found in a folder of any case under a name of any case, in whatever
// folder holds it; a language is found only in its own folder.
TEST(StoreRead, AdmlFoldersWhateverTheCase) {
    cTempSet set;
    const std::string admx = set.Put("Joined.admx", "").string();
    set.Put("EN-us/JOINED.ADML", "<x/>");
    set.Put("backup/joined.adml", "<x/>");
    set.Put("fr-FR/other.adml", "<x/>");
    set.Put("de-DE/joined.adml.old", "<x/>");
    std::vector<std::string> folders = AdmlFolders(admx);
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"EN-us", "backup"}));
    EXPECT_TRUE(HasAdmlLanguage(admx, "en-US"));
    EXPECT_FALSE(HasAdmlLanguage(admx, "fr-FR"));
    EXPECT_FALSE(HasAdmlLanguage(admx, "de-DE"));
    EXPECT_TRUE(AdmlFolders((set.dir / "missing" / "none.admx").string()).empty());
}
