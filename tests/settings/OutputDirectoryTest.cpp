#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "fakes/RecordingLog.h"
#include "settings/DirectoryListing.h"
#include "settings/OutputDirectoryModel.h"
#include "settings/SettingsFile.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::writeFile;
using Kind = DirectoryListing::Kind;
namespace fs = std::filesystem;

std::string describe(const std::vector<DirectoryListing::Row>& rows) {
    std::string out;
    for (const auto& r : rows) {
        const char* kind = r.kind == Kind::Root ? "root" : r.kind == Kind::Above ? "above"
                           : r.kind == Kind::Current ? "current" : "sub";
        out += std::string(kind) + ":" + r.name + "=" + r.path + "\n";
    }
    return out;
}

TEST(DirectoryListing, RowsRunFromTheRootToTheSubdirectories) {
    struct Case {
        std::string current;
        std::vector<std::string> subdirectories;
        std::string rows;
    };
    const Case cases[] = {
        {"/home/op/logs", {"data", "old"},
         "root:/=/\nabove:home=/home\nabove:op=/home/op\ncurrent:logs=/home/op/logs\n"
         "sub:data=/home/op/logs/data\nsub:old=/home/op/logs/old\n"},
        {"/", {"home", "tmp"}, "root:/=/\nsub:home=/home\nsub:tmp=/tmp\n"},
        {"//home/./op/../op2///", {}, "root:/=/\nabove:home=/home\ncurrent:op2=/home/op2\n"},
        {"/a b/c", {"x y"}, "root:/=/\nabove:a b=/a b\ncurrent:c=/a b/c\nsub:x y=/a b/c/x y\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describe(DirectoryListing::rows(c.current, c.subdirectories)), c.rows) << c.current;
    }
    EXPECT_EQ(DirectoryListing::join("/", "data"), "/data");
    EXPECT_EQ(DirectoryListing::join("/logs", "data"), "/logs/data");
    EXPECT_EQ(DirectoryListing::join("/logs/", "data"), "/logs/data");
    EXPECT_EQ(DirectoryListing::normalPath("rel"), (fs::current_path() / "rel").string());
}

TEST(DirectoryListing, ReadsOnlyDirectoriesSorted) {
    TempDir dir;
    fs::create_directory(dir.path() / "b");
    fs::create_directory(dir.path() / "a");
    fs::create_directory(dir.path() / ".hidden");
    writeFile(dir.file("file"), "x");
    fs::create_directory_symlink(dir.path() / "a", dir.path() / "link");
    fs::create_symlink(dir.path() / "gone", dir.path() / "dangling");
    EXPECT_EQ(DirectoryListing::subdirectoriesOf(dir.path().string()),
              (std::vector<std::string>{".hidden", "a", "b", "link"}));
    EXPECT_TRUE(DirectoryListing::subdirectoriesOf(dir.file("missing")).empty());
    EXPECT_TRUE(DirectoryListing::subdirectoriesOf(dir.file("file")).empty());
}

class OutputDirectoryModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "logs" / "data");
        fs::create_directories(dir.path() / "logs" / "old");
        logs = DirectoryListing::normalPath(dir.file("logs"));
    }

    std::size_t rowOf(const std::string& path) const {
        const auto& rows = model.rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].path == path) return i;
        }
        ADD_FAILURE() << "no row for " << path << " in\n" << describe(rows);
        return rows.size();
    }

    TempDir dir;
    std::string logs;
    SettingsFile file{dir.file("zuva.ini")};
    fakes::RecordingLog log;
    OutputDirectoryModel model{log};
};

// A stored directory that is missing (a disk not mounted) stands in the field as the
// current directory but stays what shut-down stores, until it appears or the user
// chooses another.
TEST_F(OutputDirectoryModelTest, AMissingStoredDirectoryIsKeptAsTheSettingUntilReplaced) {
    const std::string missing = dir.file("disk");
    writeFile(file.path(), "[Config]\nOutputDirectory=" + missing + "\n");
    model.FormCreate(file, logs);
    EXPECT_EQ(model.fieldText(), logs);
    EXPECT_EQ(model.settingText(), missing);
    EXPECT_EQ(model.missingStored(), missing);

    fs::create_directory(missing);
    model.adoptStored();
    EXPECT_EQ(model.fieldText(), missing);
    EXPECT_EQ(model.settingText(), missing);
    EXPECT_EQ(model.missingStored(), "");

    fs::remove(missing);
    model.FormCreate(file, logs);
    ASSERT_TRUE(model.DirectoryListBox1Click(rowOf(logs + "/data")));
    EXPECT_EQ(model.settingText(), logs + "/data");
    EXPECT_EQ(model.missingStored(), "");
    model.adoptStored();  // nothing waits any more
    EXPECT_EQ(model.fieldText(), logs + "/data");

    // An existing or no stored directory: the field is the setting.
    writeFile(file.path(), "[Config]\nOutputDirectory=" + logs + "\n");
    model.FormCreate(file, "/somewhere/current");
    EXPECT_EQ(model.settingText(), logs);
    model.FormCreate(SettingsFile(dir.file("none.ini")), "/somewhere/current");
    EXPECT_EQ(model.settingText(), "/somewhere/current");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(OutputDirectoryModelTest, CreationTakesAnExistingStoredDirectoryOrTheCurrentOne) {
    model.FormCreate(file, "/somewhere/current");
    EXPECT_EQ(model.fieldText(), "/somewhere/current");

    writeFile(file.path(), "[Config]\nOutputDirectory=" + dir.file("missing") + "\n");
    model.FormCreate(file, "/somewhere/current");
    EXPECT_EQ(model.fieldText(), "/somewhere/current");

    writeFile(file.path(), "[Config]\nOutputDirectory=" + logs + "\n");
    model.FormCreate(file, "/somewhere/current");
    EXPECT_EQ(model.fieldText(), logs);
    EXPECT_EQ(model.listDirectory(), logs);
    ASSERT_TRUE(model.selectedRow().has_value());
    EXPECT_EQ(model.rows()[*model.selectedRow()].path, logs);
    EXPECT_TRUE(log.lines.empty());

    model.FormCreate(SettingsFile(dir.file("none.ini")));
    EXPECT_EQ(model.fieldText(), fs::current_path().string());
}

TEST_F(OutputDirectoryModelTest, ClickChoosesWithoutOpeningAndExitKeepsItUnlogged) {
    writeFile(file.path(), "[Config]\nOutputDirectory=" + logs + "\n");
    model.FormCreate(file, "/");
    model.show();
    ASSERT_TRUE(model.DirectoryListBox1Click(rowOf(logs + "/data")));
    EXPECT_EQ(model.fieldText(), logs + "/data");
    EXPECT_EQ(model.listDirectory(), logs);  // not opened
    model.Button2Click();
    EXPECT_FALSE(model.visible());
    EXPECT_EQ(model.fieldText(), logs + "/data");
    EXPECT_TRUE(log.lines.empty());

    model.show();
    ASSERT_TRUE(model.DirectoryListBox1Click(0));  // the root row
    EXPECT_EQ(model.fieldText(), "/");
    ASSERT_TRUE(model.DirectoryListBox1Click(rowOf(logs + "/old")));
    model.Button1Click();
    EXPECT_FALSE(model.visible());
    EXPECT_EQ(log.lines, std::vector<std::string>{"Output directory: " + logs + "/old"});

    EXPECT_FALSE(model.DirectoryListBox1Click(model.rows().size()));
    EXPECT_EQ(model.fieldText(), logs + "/old");
}

TEST_F(OutputDirectoryModelTest, OpeningARowMakesItTheCurrentDirectory) {
    writeFile(file.path(), "[Config]\nOutputDirectory=" + logs + "\n");
    model.FormCreate(file, "/");
    ASSERT_TRUE(model.openRow(rowOf(logs + "/data")));
    EXPECT_EQ(model.listDirectory(), logs + "/data");
    EXPECT_EQ(model.fieldText(), logs + "/data");
    EXPECT_EQ(model.rows().back().kind, Kind::Current);

    ASSERT_TRUE(model.openRow(0));
    EXPECT_EQ(model.listDirectory(), "/");
    EXPECT_EQ(model.fieldText(), "/");

    // A directory removed after it was listed is not opened.
    model.FormCreate(file, "/");
    const std::size_t old = rowOf(logs + "/old");
    fs::remove(logs + "/old");
    EXPECT_FALSE(model.openRow(old));
    EXPECT_EQ(model.listDirectory(), logs);
    EXPECT_EQ(model.fieldText(), logs);
    EXPECT_EQ(describe(model.rows()).find("/old"), std::string::npos);
}

}  // namespace
}  // namespace zuva::settings
