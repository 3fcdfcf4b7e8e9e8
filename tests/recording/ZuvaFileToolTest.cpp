#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

#include "TestFiles.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileSummary.h"
#include "recording/DataFileWriter.h"

namespace zuva::recording {
namespace {

using testing::readFile;
using testing::TempDir;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ZuvaFileToolTest : public ::testing::Test {
protected:
    ToolRun run(const std::string& args) {
        const std::string outFile = dir.file("stdout"), errFile = dir.file("stderr");
        const std::string cmd = "LC_ALL=C " + std::string(ZUVA_BIN_DIR) + "/zuva-file " + args + " >" + outFile +
                                " 2>" + errFile;
        const int rc = std::system(cmd.c_str());
        ToolRun r;
        r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        r.out = readFile(outFile);
        r.err = readFile(errFile);
        return r;
    }
    // A 4 Hz file with records at the given seconds of day.
    std::string makeFile(const std::vector<int>& seconds, const std::string& remark = "site 4") {
        DataFileWriter writer(log);
        writer.setOutputDirectory(dir.path());
        writer.setRemarksText(remark);
        DataFileHeaderInfo info;
        info.fileDate = "20090819";
        info.fileTime = "235958";
        info.dateText = "2009 08 19";
        info.averaging = 64;
        info.samplingRateText = "4";
        info.sensitivity = 1.0;
        info.gainText = "1";
        writer.OpenNewDataFile(info);
        for (const int s : seconds) {
            SecondRecord r;
            r.hour = static_cast<std::uint8_t>(s / 3600);
            r.minute = static_cast<std::uint8_t>(s / 60 % 60);
            r.second = static_cast<std::uint8_t>(s % 60);
            r.tripleCount = 4;
            for (int j = 0; j < 4; ++j) r.bx[j] = 64 * j;
            writer.AppendSecondRecord(r);
        }
        return writer.DataFileName();
    }

    TempDir dir;
    fakes::RecordingLog log;
};

TEST_F(ZuvaFileToolTest, InfoShowsHeaderCountTimesAndGapsAcrossMidnight) {
    // 23:59:58, 23:59:59, 00:00:00 (no gap), 00:00:04 (3 missing), 00:00:04 again.
    const std::string name = makeFile({86398, 86399, 0, 4, 4});
    const ToolRun r = run("info " + name);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string expected = "File: " + name +
                                 "\n"
                                 "Header length: " +
                                 std::to_string(readFile(name).size() - 5 * 52) +
                                 "\n"
                                 "Header end found: yes\n"
                                 "Sampling rate: 4\n"
                                 "Averaging: 64\n"
                                 "Sensitivity: 1\n"
                                 "File info: Remarks: site 4.\n"
                                 "Records: 5\n"
                                 "First record: 23:59:58\n"
                                 "Last record: 00:00:04\n"
                                 "Incomplete tail: 0 bytes\n"
                                 "Repeated seconds: 1\n"
                                 "Gaps: 1 (3 seconds missing)\n"
                                 "  00:00:00 -> 00:00:04: 3 seconds missing\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(ZuvaFileToolTest, ExportWritesTheTextFileBesideTheDataFile) {
    const std::string name = makeFile({3661});
    const ToolRun r = run("export " + name);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, name + ".txt: 4 lines\n");
    EXPECT_EQ(readFile(name + ".txt"),
              "01 01 01 1 0.000000 0.000000 0.000000 \r\n"
              "01 01 01 2 1.000000 0.000000 0.000000 \r\n"
              "01 01 01 3 2.000000 0.000000 0.000000 \r\n"
              "01 01 01 4 3.000000 0.000000 0.000000 \r\n");
}

TEST_F(ZuvaFileToolTest, MissingUnreadableAndBadFilesFailWithAMessage) {
    ToolRun r = run("info " + dir.file("none.zuv"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zuva-file: " + dir.file("none.zuv") + ": not found\n");

    r = run("export " + dir.path());  // a directory cannot be read as a file
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zuva-file: " + dir.path() + ": I/O error 21\n");

    testing::writeFile(dir.file("plain.zuv"), "no header here\r\n");
    r = run("export " + dir.file("plain.zuv"));
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("log: No heading XML in a file: " + dir.file("plain.zuv")), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("plain.zuv.txt")));
}

TEST_F(ZuvaFileToolTest, WrongUsageExitsWithTwo) {
    for (const char* args : {"", "info", "view x.zuv", "info a b"}) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: zuva-file info FILE"), std::string::npos);
    }
}

TEST(DataFileSummary, CountsGapsRepeatsAndMidnight) {
    const std::int32_t seconds[] = {86397, 86399, 0, 0, 1, 10};
    RecordBlock block;
    block.recordCount = 6;
    block.samplesPerRecord = 1;
    block.recordSecond = seconds;
    DataFileSummary s;
    s.consumeBlock(block);
    EXPECT_EQ(s.records(), 6u);
    EXPECT_EQ(s.firstSecond(), 86397);
    EXPECT_EQ(s.lastSecond(), 10);
    EXPECT_EQ(s.repeatedSeconds(), 1u);
    EXPECT_EQ(s.gapCount(), 2u);
    EXPECT_EQ(s.missingSeconds(), 9u);
    ASSERT_EQ(s.gaps().size(), 2u);
    EXPECT_EQ(s.gaps()[0].before, 86397);
    EXPECT_EQ(s.gaps()[0].after, 86399);
    EXPECT_EQ(s.gaps()[1].missingSeconds, 8);
}

}  // namespace
}  // namespace zuva::recording
