#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempDir.h"
#include "settings/IniWriteError.h"

namespace zuva::settings {
namespace {

using testing::TempDir;
using testing::readFile;
using testing::writeFile;
namespace fs = std::filesystem;

// A file with other sections, comments, blank lines and odd lines around "Config".
const std::string kRichFile =
    "; zuva-logger settings\r\n"
    "\r\n"
    "[TForm1]\r\n"
    "NormPos=10,20,800,600\r\n"
    "MinMaxPos(1024x768)=-1,-1,-1,-1\r\n"
    "\r\n"
    "[Config]\r\n"
    "ComPort=/dev/ttyUSB0\r\n"
    "; the gain index\r\n"
    "Gain = 2\r\n"
    "no equals sign here\r\n"
    "sensitivity=2,393E-5\r\n"
    "\r\n"
    "[Other]\r\n"
    "Gain=9\r\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto pos = text.find(from);
    EXPECT_NE(pos, std::string::npos) << from;
    if (pos != std::string::npos) text.replace(pos, from.size(), to);
    return text;
}

class IniFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("zuva.ini");
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndFirstWriteCreatesIt) {
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Config", "ComPort", "COM99"), "COM99");
    EXPECT_FALSE(fs::exists(path));
    ini.writeString("Config", "ComPort", "COM99");
    EXPECT_EQ(readFile(path), "[Config]\nComPort=COM99\n");
    ini.writeString("Config", "Gain", "0");
    ini.writeString("Config", "ComPort", "/dev/ttyS0");
    EXPECT_EQ(readFile(path), "[Config]\nComPort=/dev/ttyS0\nGain=0\n");
    EXPECT_EQ(ini.readString("config", "COMPORT", "COM99"), "/dev/ttyS0");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"zuva.ini"});
}

TEST_F(IniFileTest, WritesKeepEveryOtherByteOfTheFile) {
    writeFile(path, kRichFile);
    IniFile ini(path);

    ini.writeString("Config", "Gain", "3");
    std::string expected = replaced(kRichFile, "Gain = 2\r\n", "Gain=3\r\n");
    EXPECT_EQ(readFile(path), expected);

    ini.writeString("CONFIG", "Start", "Yes");
    expected = replaced(expected, "sensitivity=2,393E-5\r\n", "sensitivity=2,393E-5\r\nStart=Yes\r\n");
    EXPECT_EQ(readFile(path), expected);

    ini.writeString("TSelectDir", "Visible", "1");
    expected += "\r\n[TSelectDir]\r\nVisible=1\r\n";
    EXPECT_EQ(readFile(path), expected);

    EXPECT_EQ(ini.readString("Config", "Gain", "0"), "3");
    EXPECT_EQ(ini.readString("Other", "Gain", "0"), "9");
    EXPECT_EQ(ini.readString("tform1", "minmaxpos(1024X768)", ""), "-1,-1,-1,-1");
}

TEST_F(IniFileTest, ValueIsCutTo2047Characters) {
    const std::string longValue = std::string(2047, 'a') + "bcd";
    writeFile(path, "[Config]\nOutputDirectory=" + longValue + "\nGain=1\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Config", "OutputDirectory", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.readString("Config", "Gain", ""), "1");
    EXPECT_EQ(ini.readString("Config", "Missing", std::string(3000, 'd')), std::string(2047, 'd'));

    writeFile(path, "[Config]\nOutputDirectory=" + std::string(2047, 'x') + "\n");
    EXPECT_EQ(ini.readString("Config", "OutputDirectory", ""), std::string(2047, 'x'));
}

TEST_F(IniFileTest, HostileContentIsReadWithoutHarm) {
    std::string hostile = "[Config\n=\n==\n[]\n]\n[";
    hostile += std::string(3 * 1024 * 1024, 'z');  // one huge line
    hostile += "\n[Config]\n";
    for (int c = 0; c < 256; ++c) hostile.push_back(static_cast<char>(c));
    hostile += "\nGain=2\n[";
    writeFile(path, hostile);
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Config", "Gain", "0"), "2");
    EXPECT_EQ(ini.readString("", "", "d"), "d");

    ini.writeString("Config", "Start", "Not");
    EXPECT_EQ(readFile(path), hostile + "\nStart=Not\n");
}

// Kilobytes of address space the process has mapped (VmSize), or 0.
long mappedKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string field;
    long kb = 0;
    while (status >> field) {
        if (field == "VmSize:" && status >> kb) return kb;
    }
    return 0;
}

// A file within the size limit made of millions of empty lines: a write must cost
// memory in proportion to the file's bytes, not a record per line (which would be
// some 500 MB here). The write runs in a child process whose address space is
// limited to what it has plus 160 MB.
TEST_F(IniFileTest, WriteIntoAFileOfMillionsOfLinesNeedsNoMemoryPerLine) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit";
#endif
    const std::string original = std::string(15u * 1024u * 1024u, '\n') + "[Config]\nGain=1\n";
    writeFile(path, original);
    const long before = mappedKilobytes();
    ASSERT_GT(before, 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(before + 160 * 1024) * 1024;
        if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
        try {
            IniFile(path).writeString("Config", "Start", "Not");
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(path), original + "Start=Not\n");
}

TEST_F(IniFileTest, FileOverTheSizeLimitIsNeitherReadNorOverwritten) {
    const std::string big = "[Config]\nGain=2\n" + std::string(200, ';') + "\n";
    writeFile(path, big);
    IniFile ini(path, 100);
    EXPECT_EQ(ini.readString("Config", "Gain", "0"), "0");
    try {
        ini.writeString("Config", "Gain", "1");
        FAIL() << "write of an oversized file went through";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path + ": file is larger than 100 bytes");
    }
    EXPECT_EQ(readFile(path), big);
    EXPECT_EQ(IniFile(path, big.size()).readString("Config", "Gain", "0"), "2");
}

TEST_F(IniFileTest, RefusedWriteNamesThePathAndLeavesNothingBehind) {
    // A parent that is a regular file stops the write whatever the process's rights.
    writeFile(dir.file("plain"), "not a directory");
    const std::string blocked = dir.file("plain") + "/zuva.ini";
    IniFile ini(blocked);
    EXPECT_EQ(ini.readString("Config", "Gain", "0"), "0");
    try {
        ini.writeString("Config", "Gain", "1");
        FAIL() << "write below a regular file went through";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked);
        EXPECT_EQ(e.path(), blocked);
    }
    EXPECT_EQ(readFile(dir.file("plain")), "not a directory");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"plain"});
}

TEST_F(IniFileTest, PathThatIsADirectoryIsRefused) {
    fs::create_directory(path);
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Config", "Gain", "0"), "0");
    EXPECT_THROW(ini.writeString("Config", "Gain", "1"), IniWriteError);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"zuva.ini"});
}

TEST_F(IniFileTest, ContentThatCannotBeOneLineIsRefusedUnwritten) {
    writeFile(path, "[Config]\nGain=1\n");
    IniFile ini(path);
    try {
        ini.writeString("Config", "OutputDirectory", "/tmp/a\n[Config]\nGain=3");
        FAIL() << "a value with line breaks was written";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path + ": line break in section, key or value");
    }
    EXPECT_THROW(ini.writeString("Config", "Ga=in", "1"), IniWriteError);
    EXPECT_EQ(readFile(path), "[Config]\nGain=1\n");
}

TEST_F(IniFileTest, FailedWriteLeavesTheOriginalIntact) {
    // The file size limit of the process makes the write of the temporary file fail
    // part-way, as a full disk would.
    const std::string original = "[Config]\nGain=1\n";
    writeFile(path, original);
    IniFile ini(path);
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit oldLimit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    rlimit small = oldLimit;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        ini.writeString("Config", "OutputDirectory", std::string(200, 'd'));
    } catch (const IniWriteError& e) {
        threw = true;
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_TRUE(threw);
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"zuva.ini"});
}

TEST_F(IniFileTest, TemporaryFilesOfKilledWritersAreRemovedByTheNextWrite) {
    // A process that has ended: its id names no process any more.
    const pid_t dead = ::fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string deadId = std::to_string(dead);
    const std::string liveId = std::to_string(::getppid());  // the process that started this test
    writeFile(path, "[Config]\nGain=1\n");
    for (const std::string& name : {".zuva.ini.tmp-" + deadId + "-0", ".zuva.ini.tmp-" + deadId + "-7",
                                     ".zuva.ini.tmp-" + liveId + "-0", ".other.ini.tmp-" + deadId + "-0",
                                     ".zuva.ini.tmp-" + deadId + "-x", ".zuva.ini.tmp-" + deadId}) {
        writeFile(dir.file(name), "[Config]\nGa");
    }
    IniFile(path).writeString("Config", "Gain", "2");
    EXPECT_EQ(readFile(path), "[Config]\nGain=2\n");
    // Only the dead writer's own temporary files go: not a live writer's, not those
    // of another file, not names a writer does not make.
    std::vector<std::string> kept{".other.ini.tmp-" + deadId + "-0", ".zuva.ini.tmp-" + deadId,
                                  ".zuva.ini.tmp-" + deadId + "-x", ".zuva.ini.tmp-" + liveId + "-0", "zuva.ini"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(dir.entries(), kept);
}

TEST_F(IniFileTest, KeepsPermissionsAndFollowsSymbolicLinks) {
    writeFile(path, "[Config]\nGain=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string link = dir.file("link.ini");
    fs::create_symlink("zuva.ini", link);

    IniFile(link).writeString("Config", "Gain", "2");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(path), "[Config]\nGain=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link.ini", "zuva.ini"}));
}

TEST_F(IniFileTest, NewFileTakesTheUmask) {
    const mode_t old = ::umask(027);
    IniFile(path).writeString("Config", "Gain", "0");
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(IniFileTest, ReadOnlyFileIsRefusedForOrdinaryUsers) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root";
    writeFile(path, "[Config]\nGain=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_THROW(IniFile(path).writeString("Config", "Gain", "2"), IniWriteError);
    EXPECT_EQ(readFile(path), "[Config]\nGain=1\n");
}

TEST_F(IniFileTest, UnreadableFileIsRefusedNotOverwritten) {
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root";
    writeFile(path, "[Config]\nGain=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Config", "Gain", "0"), "0");
    EXPECT_THROW(ini.writeString("Config", "Start", "Yes"), IniWriteError);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(readFile(path), "[Config]\nGain=1\n");
}

}  // namespace
}  // namespace zuva::settings
