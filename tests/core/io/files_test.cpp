#include "core/io/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "testsupport.h"

namespace {

namespace fs = std::filesystem;

class ReplaceFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tessary-files-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    void Put(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Every entry below dir, to see that a failed replace leaves nothing behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            out.push_back(entry.path().lexically_relative(dir).string());
        std::sort(out.begin(), out.end());
        return out;
    }
    Text Path(const fs::path& path) const { return FromUtf8(path.string()); }

    fs::path dir;
};

}  // namespace

// All files take their new text, missing folders are made, and each file keeps its mode,
// the file a link points to, and its further names.
TEST_F(ReplaceFilesTest, ReplacesEveryFileKeepingLinksAndModes) {
    Put(dir / "set.admx", "old admx");
    ::chmod((dir / "set.admx").c_str(), 0640);
    fs::create_directories(dir / "real");
    Put(dir / "real" / "set.adml", "old adml");
    fs::create_symlink(dir / "real", dir / "en-US");
    Put(dir / "other.adml", "old other");
    fs::create_hard_link(dir / "other.adml", dir / "second-name.adml");

    cMessageRecorder messages;
    ASSERT_TRUE(ReplaceFiles({{Path(dir / "set.admx"), "new admx"},
                              {Path(dir / "en-US" / "set.adml"), "new adml"},
                              {Path(dir / "other.adml"), "new other"},
                              {Path(dir / "fr-FR" / "set.adml"), "new french"}}));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(Get(dir / "set.admx"), "new admx");
    EXPECT_EQ(fs::status(dir / "set.admx").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(fs::is_symlink(dir / "en-US"));
    EXPECT_EQ(Get(dir / "real" / "set.adml"), "new adml");
    EXPECT_EQ(Get(dir / "second-name.adml"), "new other");
    EXPECT_EQ(fs::hard_link_count(dir / "other.adml"), 2u);
    EXPECT_EQ(Get(dir / "fr-FR" / "set.adml"), "new french");
    // Nothing is left beside the targets.
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"en-US", "fr-FR", "fr-FR/set.adml", "other.adml", "real",
                                        "real/set.adml", "second-name.adml", "set.admx"}));
}

// When one file cannot be replaced, none is: the old files stay, and neither new files nor
// the folders made for them remain.
TEST_F(ReplaceFilesTest, OneFileThatCannotBeWrittenStopsThemAll) {
    Put(dir / "set.admx", "old admx");
    Put(dir / "blocker", "a file where a folder should be");
    fs::create_directories(dir / "folder");
    struct cCase {
        const char* name;
        fs::path target;
        const char* words;
    };
    const cCase cases[] = {
        {"a folder is in the way", dir / "folder", "Is a directory"},
        {"a file is in the way of a folder", dir / "blocker" / "x" / "set.adml", "Not a directory"},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> before = Entries();
        cMessageRecorder messages;
        EXPECT_FALSE(ReplaceFiles({{Path(dir / "set.admx"), "new admx"},
                                   {Path(dir / "de-DE" / "set.adml"), "new adml"},
                                   {Path(c.target), "new"}}));
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_NE(messages.Utf8()[0].find(c.words), std::string::npos) << messages.Utf8()[0];
        EXPECT_EQ(Get(dir / "set.admx"), "old admx");
        EXPECT_EQ(Entries(), before);
    }
}

// A check sees what the new files hold on the disk before any of them is put in place; its
// refusal leaves every target as it was, new folders included, and reports nothing itself.
// A folder nobody may write to takes no new file, whoever asks.
TEST_F(ReplaceFilesTest, ReadBackCheckAndReadOnlyFolders) {
    Put(dir / "set.admx", "old admx");
    const std::vector<std::string> before = Entries();
    std::vector<std::string> seen;
    cMessageRecorder messages;
    EXPECT_FALSE(ReplaceFiles(
        {{Path(dir / "set.admx"), "new admx"}, {Path(dir / "en-US" / "set.adml"), "new adml"}},
        [&](const std::vector<std::string>& readBack) {
            seen = readBack;
            EXPECT_EQ(Get(dir / "set.admx"), "old admx");
            return false;
        }));
    EXPECT_EQ(seen, (std::vector<std::string>{"new admx", "new adml"}));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(Get(dir / "set.admx"), "old admx");
    EXPECT_EQ(Entries(), before);

    EXPECT_TRUE(ReplaceFiles({{Path(dir / "set.admx"), "new admx"}},
                             [](const std::vector<std::string>&) { return true; }));
    EXPECT_EQ(Get(dir / "set.admx"), "new admx");

    fs::create_directories(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0555);
    EXPECT_FALSE(ReplaceFiles({{Path(dir / "locked" / "new.admx"), "text"}}));
    EXPECT_FALSE(fs::exists(dir / "locked" / "new.admx"));
    ::chmod((dir / "locked").c_str(), 0755);
}
