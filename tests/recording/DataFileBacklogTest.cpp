// Data files that cannot be written for a while: the seconds wait in order and land
// byte-exact in the file of their own period once writing works again.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileHeaderComposer.h"
#include "recording/DataFileWriter.h"
#include "recording/SecondRecordEncoder.h"

namespace zuva::recording {
namespace {

using fakes::FailingFileSystem;
using Call = FailingFileSystem::Call;
using testing::readFile;
using testing::infoAt;
using testing::TempDir;

std::string headerOf(const DataFileHeaderInfo& info) { return DataFileHeaderComposer::compose(info, "").text; }

// Second s of 13:45 with values that tell the seconds apart; N triples.
SecondRecord recordAt(int s, std::uint16_t triples = 1) {
    SecondRecord r;
    r.statusByte = 0x08;
    r.hour = 13;
    r.minute = 45;
    r.second = static_cast<std::uint8_t>(s);
    r.tripleCount = triples;
    for (std::size_t j = 0; j < triples; ++j) {
        r.bx[j] = 1000 * s + static_cast<int>(j);
        r.by[j] = -s;
        r.bz[j] = static_cast<int>(j);
    }
    return r;
}

std::string bytesOf(const SecondRecord& r) {
    std::array<std::uint8_t, kMaxRecordSize> buffer{};
    const std::size_t n = SecondRecordEncoder::encode(r, buffer);
    return std::string(reinterpret_cast<const char*>(buffer.data()), n);
}

std::string recordsFrom(int first, int last, std::uint16_t triples = 1) {
    std::string bytes;
    for (int s = first; s <= last; ++s) bytes += bytesOf(recordAt(s, triples));
    return bytes;
}

std::string failingLine(const std::string& name, const std::string& message) {
    return "Error: data file " + name + " not written: " + message + "; seconds wait in memory";
}

class DataFileBacklogTest : public ::testing::Test {
protected:
    explicit DataFileBacklogTest(std::size_t capacity = DataFileWriter::kBacklogCapacity)
        : writer(log, files, capacity) {
        writer.setOutputDirectory(dir.path());
    }

    TempDir dir;
    fakes::RecordingLog log;
    FailingFileSystem files;
    DataFileWriter writer;
};

struct WriteFault {
    const char* name;
    Call call;
    int error;
    const char* message;
};

void PrintTo(const WriteFault& fault, std::ostream* out) { *out << fault.name; }

class FailingWrites : public DataFileBacklogTest, public ::testing::WithParamInterface<WriteFault> {};

// The disk refuses three writes (or flushes) in a row: the three seconds wait, each
// later second tries again, and the fourth brings them all, in order, before itself.
TEST_P(FailingWrites, SecondsWaitAndLandInOrderWithThreeLogLines) {
    const WriteFault fault = GetParam();
    const DataFileHeaderInfo info = infoAt("20090819", "134500", 4);
    writer.OpenNewDataFile(info);
    const std::string name = writer.DataFileName();
    writer.AppendSecondRecord(recordAt(0, 64));

    files.failNext(fault.call, 3, fault.error);
    for (int s = 1; s <= 3; ++s) {
        writer.AppendSecondRecord(recordAt(s, 64));
        EXPECT_EQ(writer.backlogSeconds(), static_cast<std::size_t>(s));
        EXPECT_TRUE(writer.writeFailing());
    }
    EXPECT_EQ(readFile(name), headerOf(info) + recordsFrom(0, 0, 64));

    writer.AppendSecondRecord(recordAt(4, 64));
    EXPECT_EQ(writer.backlogSeconds(), 0u);
    EXPECT_FALSE(writer.writeFailing());
    EXPECT_EQ(readFile(name), headerOf(info) + recordsFrom(0, 4, 64));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + name, failingLine(name, fault.message),
                                                  "Data file written again: 3 seconds written late"}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingWrites,
    ::testing::Values(WriteFault{"DiskFull", Call::Write, ENOSPC, "No space left on device (I/O error 28)"},
                      WriteFault{"IoErrorOnWrite", Call::Write, EIO, "Input/output error (I/O error 5)"},
                      WriteFault{"IoErrorOnFlush", Call::Sync, EIO, "Input/output error (I/O error 5)"},
                      WriteFault{"ReadOnlyFile", Call::Open, EACCES, "Permission denied (I/O error 13)"}),
    [](const ::testing::TestParamInfo<WriteFault>& p) { return std::string(p.param.name); });

// The disk fills up in the middle of a record: the part is cut off again and the
// whole record comes later, so no later record is shifted.
TEST_F(DataFileBacklogTest, RecordCutShortIsTakenBackAndWrittenWholeLater) {
    const DataFileHeaderInfo info = infoAt("20090819", "134500");
    writer.OpenNewDataFile(info);
    writer.AppendSecondRecord(recordAt(0));
    files.cutNextWrite(5);
    files.failNext(Call::Write, 1, ENOSPC);
    writer.AppendSecondRecord(recordAt(1));
    EXPECT_EQ(readFile(writer.DataFileName()), headerOf(info) + recordsFrom(0, 0));
    writer.AppendSecondRecord(recordAt(2));
    EXPECT_EQ(readFile(writer.DataFileName()), headerOf(info) + recordsFrom(0, 2));
}

// A header that cannot be written leaves no file; it is written before the first
// record once the disk works again, under the name already announced.
TEST_F(DataFileBacklogTest, HeaderThatFailsIsWrittenBeforeTheFirstRecord) {
    const DataFileHeaderInfo info = infoAt("20090819", "134500");
    files.failNext(Call::Sync, 1, EIO);
    EXPECT_NO_THROW(writer.OpenNewDataFile(info));
    const std::string name = dir.file("20090819134500.zuv");
    EXPECT_EQ(writer.DataFileName(), name);
    EXPECT_FALSE(std::filesystem::exists(name));
    writer.AppendSecondRecord(recordAt(0));
    EXPECT_EQ(readFile(name), headerOf(info) + recordsFrom(0, 0));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + name, failingLine(name, "Input/output error (I/O error 5)"),
                                                  "Data file written again: 0 seconds written late"}));
}

// A file begun late whose name was taken meanwhile goes to the next free name; the
// line that says so comes once, when the file exists, and the caption follows.
TEST_F(DataFileBacklogTest, FileBegunLateUnderATakenNameSaysSoOnce) {
    const DataFileHeaderInfo info = infoAt("20090819", "134500");
    const std::string composed = dir.file("20090819134500.zuv");
    const std::string chosen = dir.file("20090819134500-1.zuv");
    files.failNext(Call::Open, 1, EIO);
    writer.OpenNewDataFile(info);
    testing::writeFile(composed, "someone else's");
    files.failNext(Call::Write, 2, ENOSPC);
    writer.AppendSecondRecord(recordAt(0));  // the header fails again
    writer.AppendSecondRecord(recordAt(1));  // and once more
    EXPECT_EQ(writer.DataFileName(), composed);
    writer.AppendSecondRecord(recordAt(2));
    EXPECT_EQ(writer.DataFileName(), chosen);
    EXPECT_EQ(readFile(chosen), headerOf(info) + recordsFrom(0, 2));
    EXPECT_EQ(readFile(composed), "someone else's");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + composed,
                                                  failingLine(composed, "Input/output error (I/O error 5)"),
                                                  "Data file " + composed + " already exists, recording into " + chosen,
                                                  "Data file written again: 2 seconds written late"}));
}

// Rotation goes on while the disk is full: the seconds of the old period still go to
// the old file, the new file is begun after them, with its own header and seconds.
TEST_F(DataFileBacklogTest, SecondsGoToTheFileOfTheirPeriodWhenRotationMovedOn) {
    const DataFileHeaderInfo first = infoAt("20090819", "134500");
    const DataFileHeaderInfo second = infoAt("20090819", "134503");
    writer.OpenNewDataFile(first);
    const std::string firstName = writer.DataFileName();
    writer.AppendSecondRecord(recordAt(0));
    files.failNext(Call::Write, 1000, ENOSPC);
    writer.AppendSecondRecord(recordAt(1));
    writer.AppendSecondRecord(recordAt(2));
    writer.OpenNewDataFile(second);
    const std::string secondName = dir.file("20090819134503.zuv");
    EXPECT_EQ(writer.DataFileName(), secondName);
    writer.AppendSecondRecord(recordAt(3));
    writer.AppendSecondRecord(recordAt(4));
    EXPECT_EQ(writer.backlogSeconds(), 4u);
    EXPECT_FALSE(std::filesystem::exists(secondName));

    files.heal();
    writer.AppendSecondRecord(recordAt(5));
    EXPECT_EQ(readFile(firstName), headerOf(first) + recordsFrom(0, 2));
    EXPECT_EQ(readFile(secondName), headerOf(second) + recordsFrom(3, 5));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + firstName,
                                                  failingLine(firstName, "No space left on device (I/O error 28)"),
                                                  "Start= " + secondName,
                                                  "Data file written again: 4 seconds written late"}));
}

// Catching up takes a bounded number of records per second handed over, so that a
// long backlog never holds the reception of data for long.
TEST_F(DataFileBacklogTest, CatchingUpWritesALimitedNumberOfRecordsPerCall) {
    const DataFileHeaderInfo info = infoAt("20090819", "000000");
    writer.OpenNewDataFile(info);
    files.failNext(Call::Write, 1000, EIO);
    const int queued = 2 * static_cast<int>(DataFileWriter::kBacklogRecordsPerCall) + 10;
    std::vector<SecondRecord> records;
    for (int s = 0; s < queued + 3; ++s) {
        SecondRecord r = recordAt(s % 60);
        r.minute = static_cast<std::uint8_t>(s / 60);
        records.push_back(r);
    }
    for (int s = 0; s < queued; ++s) writer.AppendSecondRecord(records[static_cast<std::size_t>(s)]);
    files.heal();
    const std::size_t perCall = DataFileWriter::kBacklogRecordsPerCall;
    std::size_t waiting = static_cast<std::size_t>(queued);
    for (int s = queued; s < queued + 3; ++s) {
        writer.AppendSecondRecord(records[static_cast<std::size_t>(s)]);
        waiting = waiting > perCall ? waiting - perCall + 1 : 0;
        EXPECT_EQ(writer.backlogSeconds(), waiting);
    }
    std::string expected = headerOf(info);
    for (const SecondRecord& r : records) expected += bytesOf(r);
    EXPECT_EQ(readFile(writer.DataFileName()), expected);
    EXPECT_EQ(log.lines.back(), "Data file written again: " + std::to_string(queued + 2) + " seconds written late");
}

class SmallBacklogTest : public DataFileBacklogTest {
protected:
    SmallBacklogTest() : DataFileBacklogTest(3) {}
};

// A full backlog drops the newest seconds; the run of dropped seconds is logged once
// with its first and last time, the kept ones are written without a gap before it.
TEST_F(SmallBacklogTest, OverflowDropsTheNewestSecondsAndNamesTheirRange) {
    const DataFileHeaderInfo info = infoAt("20090819", "134500");
    writer.OpenNewDataFile(info);
    const std::string name = writer.DataFileName();
    writer.AppendSecondRecord(recordAt(0));
    files.failNext(Call::Write, 1000, ENOSPC);
    for (int s = 1; s <= 7; ++s) writer.AppendSecondRecord(recordAt(s));
    EXPECT_EQ(writer.backlogSeconds(), 3u);
    EXPECT_EQ(log.lines.size(), 2u);  // the run is not over yet

    files.heal();
    writer.AppendSecondRecord(recordAt(8));
    EXPECT_EQ(readFile(name), headerOf(info) + recordsFrom(0, 3) + recordsFrom(8, 8));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + name,
                                                  failingLine(name, "No space left on device (I/O error 28)"),
                                                  "Error: write backlog full: 4 seconds dropped, 13 45 04 to 13 45 07",
                                                  "Data file written again: 3 seconds written late"}));
}

// What still cannot be written when the writer goes (the program ends) is named.
TEST_F(DataFileBacklogTest, SecondsStillWaitingAtTheEndAreReported) {
    std::optional<DataFileWriter> local;
    local.emplace(log, files);
    local->setOutputDirectory(dir.path());
    local->OpenNewDataFile(infoAt("20090819", "134500"));
    files.failNext(Call::Write, 1000, EIO);
    local->AppendSecondRecord(recordAt(1));
    local->AppendSecondRecord(recordAt(2));
    log.clear();
    local.reset();
    EXPECT_EQ(log.lines,
              std::vector<std::string>{"Error: data file not written at exit: 2 seconds lost, 13 45 01 to 13 45 02"});
}

// Each record and each new file's header is flushed to the disk, and the directory
// of a new file too; switched off, nothing is flushed.
TEST_F(DataFileBacklogTest, EveryRecordIsFlushedUnlessSwitchedOff) {
    EXPECT_TRUE(writer.syncEachRecord());
    writer.OpenNewDataFile(infoAt("20090819", "134500"));
    EXPECT_EQ(files.calls(Call::Sync), 1);
    EXPECT_EQ(files.calls(Call::DirectorySync), 1);
    for (int s = 0; s < 3; ++s) writer.AppendSecondRecord(recordAt(s));
    EXPECT_EQ(files.calls(Call::Sync), 4);

    writer.setSyncEachRecord(false);
    writer.OpenNewDataFile(infoAt("20090819", "134510"));
    for (int s = 0; s < 3; ++s) writer.AppendSecondRecord(recordAt(s));
    EXPECT_EQ(files.calls(Call::Sync), 4);
    EXPECT_EQ(files.calls(Call::DirectorySync), 1);
}

// The real output directory removed and put back: no directory is made by the
// writer, the seconds wait, and the file is created again with its header and every
// waiting second once the directory is back.
TEST(DataFileDirectoryTest, RemovedDirectoryIsWaitedForAndTheFileCreatedAgain) {
    TempDir dir;
    fakes::RecordingLog log;
    DataFileWriter writer(log);
    const std::string out = dir.file("out");
    std::filesystem::create_directory(out);
    writer.setOutputDirectory(out);
    const DataFileHeaderInfo info = infoAt("20090819", "134500");
    writer.OpenNewDataFile(info);
    const std::string name = writer.DataFileName();
    writer.AppendSecondRecord(recordAt(0));

    std::filesystem::remove_all(out);
    writer.AppendSecondRecord(recordAt(1));
    writer.AppendSecondRecord(recordAt(2));
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(writer.backlogSeconds(), 2u);

    std::filesystem::create_directory(out);
    writer.AppendSecondRecord(recordAt(3));
    EXPECT_EQ(readFile(name), headerOf(info) + recordsFrom(1, 3));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + name,
                                                  failingLine(name, "No such file or directory (I/O error 2)"),
                                                  "Data file was missing, created again with its header: " + name,
                                                  "Data file written again: 2 seconds written late"}));
}

// The drive of the current file is gone and the next period goes to another
// directory: the new file is written at once while the old one waits for its
// drive, and each gets its own seconds.
TEST(DataFileDirectoryTest, NewFileElsewhereIsWrittenWhileTheOldOneWaits) {
    TempDir dir;
    fakes::RecordingLog log;
    DataFileWriter writer(log);
    const std::string out = dir.file("out");
    const std::string other = dir.file("other");
    std::filesystem::create_directory(out);
    std::filesystem::create_directory(other);
    writer.setOutputDirectory(out);
    const DataFileHeaderInfo first = infoAt("20090819", "134500");
    const DataFileHeaderInfo second = infoAt("20090819", "134503");
    writer.OpenNewDataFile(first);
    const std::string firstName = writer.DataFileName();
    writer.AppendSecondRecord(recordAt(0));
    std::filesystem::rename(out, dir.file("unmounted"));
    writer.AppendSecondRecord(recordAt(1));
    writer.AppendSecondRecord(recordAt(2));

    writer.setOutputDirectory(other);
    writer.OpenNewDataFile(second);
    const std::string secondName = writer.DataFileName();
    writer.AppendSecondRecord(recordAt(3));
    writer.AppendSecondRecord(recordAt(4));
    EXPECT_EQ(readFile(secondName), headerOf(second) + recordsFrom(3, 4));
    EXPECT_EQ(writer.backlogSeconds(), 2u);
    EXPECT_TRUE(writer.writeFailing());
    EXPECT_FALSE(std::filesystem::exists(out));

    std::filesystem::rename(dir.file("unmounted"), out);
    writer.AppendSecondRecord(recordAt(5));
    EXPECT_EQ(readFile(firstName), headerOf(first) + recordsFrom(0, 2));
    EXPECT_EQ(readFile(secondName), headerOf(second) + recordsFrom(3, 5));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + firstName,
                                                  failingLine(firstName, "No such file or directory (I/O error 2)"),
                                                  "Start= " + secondName,
                                                  "Data file written again: 2 seconds written late"}));
}

// The current file made read-only by chmod. Permission bits do not stop root, so
// there the case is left to the injected EACCES above.
TEST(DataFileDirectoryTest, ReadOnlyFileMakesTheSecondsWaitUntilItIsWritable) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: chmod 0444 does not stop root's writes";
    TempDir dir;
    fakes::RecordingLog log;
    DataFileWriter writer(log);
    writer.setOutputDirectory(dir.path());
    const DataFileHeaderInfo info = infoAt("20090819", "134500");
    writer.OpenNewDataFile(info);
    const std::string name = writer.DataFileName();
    ASSERT_EQ(::chmod(name.c_str(), 0444), 0);
    writer.AppendSecondRecord(recordAt(0));
    writer.AppendSecondRecord(recordAt(1));
    EXPECT_EQ(writer.backlogSeconds(), 2u);
    ASSERT_EQ(::chmod(name.c_str(), 0644), 0);
    writer.AppendSecondRecord(recordAt(2));
    EXPECT_EQ(readFile(name), headerOf(info) + recordsFrom(0, 2));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Start= " + name,
                                                  failingLine(name, "Permission denied (I/O error 13)"),
                                                  "Data file written again: 2 seconds written late"}));
}

// A file that may not grow any more (the process's file size limit, which holds for
// root as well) lets no record in; raised again, the waiting records follow.
TEST(DataFileDirectoryTest, FileThatMayNotGrowMakesTheSecondsWait) {
    TempDir dir;
    fakes::RecordingLog log;
    DataFileWriter writer(log);
    writer.setOutputDirectory(dir.path());
    const DataFileHeaderInfo info = infoAt("20090819", "134500");
    writer.OpenNewDataFile(info);
    const std::string name = writer.DataFileName();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(headerOf(info).size()), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        writer.AppendSecondRecord(recordAt(0));
        writer.AppendSecondRecord(recordAt(1));
        const bool waited = writer.backlogSeconds() == 2 && readFile(name) == headerOf(info);
        limit.rlim_cur = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        writer.AppendSecondRecord(recordAt(2));
        const bool landed = writer.backlogSeconds() == 0 && readFile(name) == headerOf(info) + recordsFrom(0, 2);
        const bool logged = log.lines == std::vector<std::string>{"Start= " + name,
                                                                  failingLine(name, "File too large (I/O error 27)"),
                                                                  "Data file written again: 2 seconds written late"};
        _exit((waited ? 0 : 1) | (landed ? 0 : 2) | (logged ? 0 : 4));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: did not wait, 2: did not land, 4: log lines differ";
    EXPECT_EQ(readFile(name), headerOf(info) + recordsFrom(0, 2));
}

// A writer killed at any moment leaves its header followed by whole records, in
// order. Each record goes to the file in one write; a kill in the middle of that
// write can still cut it short where it crosses a page of the file, and then only
// the beginning of that last record is there, which readers ignore.
TEST(DataFileKillTest, KilledWriterLeavesTheHeaderAndWholeRecords) {
    for (const int delayMs : {2, 7, 15}) {
        TempDir dir;
        const DataFileHeaderInfo info = infoAt("20090819", "000000", 1);
        const std::string name = dir.file("20090819000000.zuv");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            fakes::RecordingLog log;
            DataFileWriter writer(log);
            writer.setOutputDirectory(dir.path());
            writer.setSyncEachRecord(false);
            writer.OpenNewDataFile(info);
            for (int s = 0;; s = (s + 1) % 60) writer.AppendSecondRecord(recordAt(s, 256));
        }
        // Wait for the file to appear, then let the writer run a moment more.
        for (int i = 0; i < 2000 && !std::filesystem::exists(name); ++i) ::usleep(1000);
        ::usleep(static_cast<useconds_t>(delayMs * 1000));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const std::string bytes = readFile(name);
        const std::string header = headerOf(info);
        ASSERT_GE(bytes.size(), header.size());
        EXPECT_EQ(bytes.substr(0, header.size()), header);
        const std::size_t body = bytes.size() - header.size();
        std::size_t at = 0;
        int s = 0;
        for (; at + 3076 <= body; at += 3076, s = (s + 1) % 60) {
            ASSERT_EQ(bytes.substr(header.size() + at, 3076), bytesOf(recordAt(s, 256)));
        }
        // What is left is the beginning of the next record, never anything else.
        EXPECT_EQ(bytes.substr(header.size() + at), bytesOf(recordAt(s, 256)).substr(0, body - at))
            << "after " << delayMs << " ms";
    }
}

}  // namespace
}  // namespace zuva::recording
