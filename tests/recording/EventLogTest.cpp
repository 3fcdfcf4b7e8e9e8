#include "recording/EventLog.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "fakes/FakeClock.h"

namespace zuva::recording {
namespace {

namespace fs = std::filesystem;

using testing::readFile;

// Runs each test in a fresh directory of its own, as the log follows the current directory.
class EventLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zuva-eventlog-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    fs::path dir_;
    fs::path previous_;
    fakes::FakeClock clock{{2009, 8, 19, 13, 45, 1, 500}};
    LocaleFormats dayMonthYear{"%d.%m.%Y", "%H:%M:%S", ','};
};

TEST_F(EventLogTest, LineIsDateTimeAndMessageEndedByCrLf) {
    EventLog log(clock, dayMonthYear);
    log.addlogfile("Program is starting up.");
    clock.advance(1000);
    log.addlogfile("");
    EXPECT_EQ(readFile("zuva.log"), "19.08.2009 13:45:01: Program is starting up.\r\n19.08.2009 13:45:02: \r\n");
    EXPECT_EQ(log.editText(), "19.08.2009 13:45:02: ");
}

TEST_F(EventLogTest, LocaleFormatsShapeTheStamp) {
    struct Case {
        LocaleFormats formats;
        const char* line;
    };
    const Case cases[] = {
        {{"%m/%d/%y", "%H:%M:%S", '.'}, "08/19/09 13:45:01: x"},
        {{"%Y-%m-%d", "%I:%M:%S %p", '.'}, "2009-08-19 01:45:01 PM: x"},
        {{"%a %d", "%H.%M", '.'}, "Wed 19 13.45: x"},
    };
    for (const Case& c : cases) EXPECT_EQ(EventLog(clock, c.formats).formatLine("x"), c.line);
}

TEST_F(EventLogTest, LaterRunsAppendToTheSameFile) {
    {
        EventLog first(clock, dayMonthYear);
        first.addlogfile("Exit program");
    }
    EventLog second(clock, dayMonthYear);
    second.addlogfile("Program is starting up.");
    EXPECT_EQ(readFile("zuva.log"),
              "19.08.2009 13:45:01: Exit program\r\n19.08.2009 13:45:01: Program is starting up.\r\n");
}

// Observers see every line as it enters the list, in the order they came; one that
// was removed (it is about to go) is never called again, the others go on.
TEST_F(EventLogTest, LineObserversCanBeRemoved) {
    EventLog log(clock, dayMonthYear);
    std::vector<std::string> first, second;
    const int a = log.addLineObserver([&first](const std::string& line) { first.push_back(line); });
    const int b = log.addLineObserver([&second](const std::string& line) { second.push_back(line); });
    EXPECT_NE(a, b);
    log.addlogfile("one");
    log.removeLineObserver(a);
    log.addlogfile("two");
    log.removeLineObserver(a);  // twice: nothing more happens
    EXPECT_EQ(first, (std::vector<std::string>{"19.08.2009 13:45:01: one"}));
    EXPECT_EQ(second, (std::vector<std::string>{"19.08.2009 13:45:01: one", "19.08.2009 13:45:01: two"}));
}

TEST_F(EventLogTest, ListKeepsTheTenNewestLinesNewestLast) {
    EventLog log(clock, dayMonthYear);
    int changes = 0;
    log.setOnChanged([&] { ++changes; });
    EXPECT_EQ(log.LogLinesShown(), 0);
    for (int i = 1; i <= 10; ++i) log.addlogfile("line " + std::to_string(i));
    EXPECT_EQ(log.LogLinesShown(), 10);
    EXPECT_EQ(log.lines().front(), "19.08.2009 13:45:01: line 1");
    log.addlogfile("line 11");
    EXPECT_EQ(log.LogLinesShown(), 10);
    EXPECT_EQ(log.lines().front(), "19.08.2009 13:45:01: line 2");
    EXPECT_EQ(log.lines().back(), "19.08.2009 13:45:01: line 11");
    EXPECT_EQ(log.editText(), log.lines().back());
    EXPECT_EQ(changes, 11);
}

TEST_F(EventLogTest, LinesFollowTheCurrentDirectory) {
    EventLog log(clock, dayMonthYear);
    log.addlogfile("here");
    fs::create_directory(dir_ / "other");
    fs::current_path(dir_ / "other");
    log.addlogfile("there");
    EXPECT_EQ(readFile(dir_ / "zuva.log"), "19.08.2009 13:45:01: here\r\n");
    EXPECT_EQ(readFile(dir_ / "other" / "zuva.log"), "19.08.2009 13:45:01: there\r\n");
}

TEST_F(EventLogTest, UnwritableFileNeverLosesALineFromTheListAndIsReportedOnce) {
    if (::geteuid() == 0) {
        // root writes through permissions: make the name a directory instead.
        fs::create_directory("zuva.log");
    } else {
        std::ofstream("zuva.log").put('x');
        fs::permissions("zuva.log", fs::perms::owner_read, fs::perm_options::replace);
    }
    EventLog log(clock, dayMonthYear);
    EXPECT_NO_THROW(log.addlogfile("Checksum error."));
    EXPECT_NO_THROW(log.addlogfile("buf37=C2 "));
    EXPECT_TRUE(log.fileWriteFailing());
    ASSERT_EQ(log.LogLinesShown(), 3);
    EXPECT_EQ(log.lines()[0], "19.08.2009 13:45:01: Checksum error.");
    EXPECT_EQ(log.lines()[1].rfind("19.08.2009 13:45:01: Error: the log file zuva.log cannot be written: ", 0), 0u)
        << log.lines()[1];
    EXPECT_NE(log.lines()[1].find("(I/O error "), std::string::npos);
    EXPECT_EQ(log.lines()[2], "19.08.2009 13:45:01: buf37=C2 ");
    // Writable again: lines go to the file, silently.
    fs::remove_all("zuva.log");
    log.addlogfile("GPS: Available. 13 45 01");
    EXPECT_FALSE(log.fileWriteFailing());
    EXPECT_EQ(readFile("zuva.log"), "19.08.2009 13:45:01: GPS: Available. 13 45 01\r\n");
    EXPECT_EQ(log.LogLinesShown(), 4);
}

// A line cut short by a full disk is taken back, so that the file holds whole
// lines only and the next line does not continue a half one. The file size limit
// makes write() stop in the middle of the line.
TEST_F(EventLogTest, LineCutShortIsTakenBackSoTheFileHoldsWholeLinesOnly) {
    EventLog log(clock, dayMonthYear);
    log.addlogfile("Program is starting up.");
    const std::string before = readFile(dir_ / EventLog::kFileName);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(before.size() + 10), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        log.addlogfile("Start= /data/20090819134501.zuv");
        _exit(log.fileWriteFailing() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(dir_ / EventLog::kFileName), before);
    log.addlogfile("Exit program");
    EXPECT_EQ(readFile(dir_ / EventLog::kFileName), before + "19.08.2009 13:45:01: Exit program\r\n");
}

}  // namespace
}  // namespace zuva::recording
