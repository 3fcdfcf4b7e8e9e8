#include "recording/DataFileWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"
#include "fakes/RecordingLog.h"
#include "recording/DataFileHeaderComposer.h"
#include "recording/PosixFileSystem.h"

namespace zuva::recording {
namespace {

using testing::readFile;
using testing::infoAt;
using testing::TempDir;
using testing::writeFile;

SecondRecord exampleRecord() {
    SecondRecord r;
    r.statusByte = 0x08;
    r.hour = 13;
    r.minute = 45;
    r.second = 1;
    r.tripleCount = 1;
    r.bx[0] = 200000;
    r.by[0] = -256;
    r.bz[0] = 0;
    return r;
}

const std::string kExampleRecord("\x08\x0D\x2D\x01\x40\x0D\x03\x00\x00\xFF\xFF\xFF\x00\x00\x00\x00", 16);

class DataFileWriterTest : public ::testing::Test {
protected:
    DataFileWriterTest() : writer(log) { writer.setOutputDirectory(dir.path()); }

    std::string header(const DataFileHeaderInfo& info) const {
        return DataFileHeaderComposer::compose(info, writer.remarksText()).text;
    }

    TempDir dir;
    fakes::RecordingLog log;
    DataFileWriter writer;
};

TEST_F(DataFileWriterTest, BeforeTheFirstFileTheNameIsTestZuv) {
    EXPECT_EQ(writer.DataFileName(), "TEST.ZUV");
    EXPECT_EQ(writer.caption(), "ZUVA-7k Logger - Version 3.8 - 19.08.2009 - TEST.ZUV");
}

TEST_F(DataFileWriterTest, NewFileGetsHeaderNameCaptionAndStartLine) {
    std::vector<std::string> captions;
    writer.setCaptionListener([&](const std::string& c) { captions.push_back(c); });
    writer.setRemarksText("site 4");
    const DataFileHeaderInfo info = infoAt("20090819", "134501");
    writer.OpenNewDataFile(info);

    const std::string name = dir.path() + "/20090819134501.zuv";
    EXPECT_EQ(writer.DataFileName(), name);
    EXPECT_EQ(writer.caption(), "ZUVA-7k Logger - Version 3.8 - 19.08.2009 - " + name);
    EXPECT_EQ(captions, std::vector<std::string>{writer.caption()});
    EXPECT_EQ(log.lines, std::vector<std::string>{"Start= " + name});
    EXPECT_EQ(readFile(name), header(info));
    EXPECT_NE(readFile(name).find("\t<remarks>site 4</remarks>\r\n"), std::string::npos);
}

TEST_F(DataFileWriterTest, OneHertzRecordIsTheSixteenBytesOfTheExample) {
    writer.OpenNewDataFile(infoAt("20090819", "134501"));
    writer.AppendSecondRecord(exampleRecord());
    const std::string bytes = readFile(writer.DataFileName());
    const std::string head = header(infoAt("20090819", "134501"));
    ASSERT_EQ(bytes.size(), head.size() + 16);
    EXPECT_EQ(bytes.substr(head.size()), kExampleRecord);
}

TEST_F(DataFileWriterTest, RecordsAreAppendedInOrderWithAllTriplesLittleEndian) {
    writer.OpenNewDataFile(infoAt("20090819", "000000", 1));
    SecondRecord r;
    r.tripleCount = 256;
    for (int j = 0; j < 256; ++j) {
        r.bx[j] = j;
        r.by[j] = -j;
        r.bz[j] = 0x01020304 + j;
    }
    r.statusByte = 0x0B;
    writer.AppendSecondRecord(r);
    r.second = 1;
    writer.AppendSecondRecord(r);
    const std::string bytes = readFile(writer.DataFileName());
    const std::size_t h = header(infoAt("20090819", "000000", 1)).size();
    ASSERT_EQ(bytes.size(), h + 2 * 3076);
    const std::string second = bytes.substr(h + 3076, 3076);
    EXPECT_EQ(second.substr(0, 4), std::string("\x0B\x00\x00\x01", 4));
    // triple 255: Bx 255, By -255, Bz 0x01020403
    EXPECT_EQ(second.substr(4 + 12 * 255, 12), std::string("\xFF\x00\x00\x00\x01\xFF\xFF\xFF\x03\x04\x02\x01", 12));
}

TEST_F(DataFileWriterTest, EmptyDirectoryTextNamesAFileInTheCurrentDirectory) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    writer.setOutputDirectory("");
    writer.OpenNewDataFile(infoAt("20090819", "134501_"));
    std::filesystem::current_path(previous);
    EXPECT_EQ(writer.DataFileName(), "20090819134501_.zuv");
    EXPECT_TRUE(std::filesystem::exists(dir.file("20090819134501_.zuv")));
}

TEST_F(DataFileWriterTest, DirectoryWithTrailingSlashGetsNoSecondOne) {
    writer.setOutputDirectory(dir.path() + "/");
    writer.OpenNewDataFile(infoAt("20090819", "134501"));
    EXPECT_EQ(writer.DataFileName(), dir.path() + "/20090819134501.zuv");
}

TEST_F(DataFileWriterTest, TakenNameIsNeverTruncatedTheNextFreeSuffixIsUsed) {
    const std::string taken = dir.file("20090819000000.zuv");
    writer.OpenNewDataFile(infoAt("20090819", "000000"));
    writer.AppendSecondRecord(exampleRecord());
    const std::string firstContent = readFile(taken);
    writeFile(dir.file("20090819000000-1.zuv"), "someone else's");
    log.clear();

    writer.OpenNewDataFile(infoAt("20090819", "000000"));
    const std::string chosen = dir.file("20090819000000-2.zuv");
    EXPECT_EQ(writer.DataFileName(), chosen);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Data file " + taken + " already exists, recording into " + chosen,
                                                  "Start= " + chosen}));
    EXPECT_EQ(readFile(taken), firstContent);
    EXPECT_EQ(readFile(dir.file("20090819000000-1.zuv")), "someone else's");
    writer.AppendSecondRecord(exampleRecord());
    EXPECT_EQ(readFile(chosen), header(infoAt("20090819", "000000")) + kExampleRecord);
}

TEST_F(DataFileWriterTest, VanishedFileIsCreatedAgainWithItsHeaderBeforeTheRecord) {
    writer.OpenNewDataFile(infoAt("20090819", "134501"));
    writer.AppendSecondRecord(exampleRecord());
    std::filesystem::remove(writer.DataFileName());
    log.clear();

    writer.AppendSecondRecord(exampleRecord());
    EXPECT_EQ(readFile(writer.DataFileName()), header(infoAt("20090819", "134501")) + kExampleRecord);
    EXPECT_EQ(log.lines,
              std::vector<std::string>{"Data file was missing, created again with its header: " + writer.DataFileName()});
    writer.AppendSecondRecord(exampleRecord());
    EXPECT_EQ(readFile(writer.DataFileName()), header(infoAt("20090819", "134501")) + kExampleRecord + kExampleRecord);
    EXPECT_EQ(log.lines.size(), 1u);
}

// The directory is never made by the writer (an unmounted drive must not fill the
// disk underneath): the file and its records wait until the directory is there.
TEST_F(DataFileWriterTest, MissingDirectoryIsNotCreatedTheFileWaitsForIt) {
    const std::string gone = dir.file("gone");
    writer.setOutputDirectory(gone);
    const DataFileHeaderInfo info = infoAt("20090819", "134501");
    EXPECT_NO_THROW(writer.OpenNewDataFile(info));
    const std::string name = gone + "/20090819134501.zuv";
    EXPECT_EQ(writer.DataFileName(), name);
    EXPECT_NO_THROW(writer.AppendSecondRecord(exampleRecord()));
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_EQ(writer.backlogSeconds(), 1u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "Start= " + name,
                             "Error: data file " + name +
                                 " not written: No such file or directory (I/O error 2); seconds wait in memory"}));

    std::filesystem::create_directory(gone);
    writer.AppendSecondRecord(exampleRecord());
    EXPECT_EQ(readFile(name), header(info) + kExampleRecord + kExampleRecord);
    EXPECT_EQ(writer.backlogSeconds(), 0u);
    EXPECT_EQ(log.lines.back(), "Data file written again: 1 seconds written late");
}

TEST_F(DataFileWriterTest, FailedStartLineLeavesNoFileBehind) {
    log.failCount = 1;
    EXPECT_THROW(writer.OpenNewDataFile(infoAt("20090819", "134501")), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(dir.file("20090819134501.zuv")));
    writer.OpenNewDataFile(infoAt("20090819", "134501"));
    EXPECT_EQ(writer.DataFileName(), dir.file("20090819134501.zuv"));
}

TEST_F(DataFileWriterTest, RemarkAndDirectoryChangesReachTheNextFile) {
    writer.OpenNewDataFile(infoAt("20090819", "100000"));
    TempDir other;
    writer.setOutputDirectory(other.path());
    writer.setRemarksText("second");
    writer.OpenNewDataFile(infoAt("20090819", "110000"));
    EXPECT_EQ(writer.DataFileName(), other.file("20090819110000.zuv"));
    EXPECT_NE(readFile(writer.DataFileName()).find("<remarks>second</remarks>"), std::string::npos);
    EXPECT_NE(readFile(dir.file("20090819100000.zuv")).find("<remarks></remarks>"), std::string::npos);
}

TEST_F(DataFileWriterTest, RecordsThatDoNotFitTheFileAreRefused) {
    EXPECT_THROW(writer.AppendSecondRecord(exampleRecord()), std::logic_error);
    writer.OpenNewDataFile(infoAt("20090819", "134501", 4));
    const std::size_t before = readFile(writer.DataFileName()).size();
    EXPECT_THROW(writer.AppendSecondRecord(exampleRecord()), std::invalid_argument);  // 1 triple, file has 64
    SecondRecord huge = exampleRecord();
    huge.tripleCount = 300;
    EXPECT_THROW(writer.AppendSecondRecord(huge), std::invalid_argument);
    EXPECT_EQ(readFile(writer.DataFileName()).size(), before);
}

TEST_F(DataFileWriterTest, InvalidAveragingCreatesNoFile) {
    EXPECT_THROW(writer.OpenNewDataFile(infoAt("20090819", "134501", 3)), std::invalid_argument);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_TRUE(log.lines.empty());
}

// A record cut short by a full disk would shift every later record; the writer
// takes the partial record back and keeps the record for later. The file size
// limit makes write() stop early.
TEST_F(DataFileWriterTest, PartlyWrittenRecordIsTakenBack) {
    writer.OpenNewDataFile(infoAt("20090819", "134501"));
    writer.AppendSecondRecord(exampleRecord());
    const std::string before = readFile(writer.DataFileName());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(before.size() + 10), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            writer.AppendSecondRecord(exampleRecord());
        } catch (...) {
            _exit(3);
        }
        _exit(writer.backlogSeconds() == 1 && readFile(writer.DataFileName()) == before ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(writer.DataFileName()), before);
}

// The real file system, watching when the data file's name appears; with
// `noUnnamedFiles` it answers O_TMPFILE as FAT or a network share does.
class WatchingFileSystem final : public FileSystem {
public:
    WatchingFileSystem(std::string watched, bool noUnnamedFiles)
        : watched_(std::move(watched)), noUnnamedFiles_(noUnnamedFiles) {}

    int openFile(const std::string& path, int flags, unsigned mode, int& fd) override {
        if (noUnnamedFiles_ && (flags & O_TMPFILE) == O_TMPFILE) return EOPNOTSUPP;
        return real_.openFile(path, flags, mode, fd);
    }
    int writeSome(int fd, const void* data, std::size_t size, std::size_t& written) override {
        if (writes_++ == 0) nameSeenAtHeaderWrite_ = std::filesystem::exists(watched_);
        return real_.writeSome(fd, data, size, written);
    }
    int syncData(int fd) override { return real_.syncData(fd); }
    int fileSize(int fd, std::uint64_t& size) override { return real_.fileSize(fd, size); }
    int truncateFile(int fd, std::uint64_t length) override { return real_.truncateFile(fd, length); }
    int closeFile(int fd) override { return real_.closeFile(fd); }
    int removeFile(const std::string& path) override { return real_.removeFile(path); }
    int linkOpenFile(int fd, const std::string& path) override { return real_.linkOpenFile(fd, path); }
    bool exists(const std::string& path) override { return real_.exists(path); }
    int syncDirectory(const std::string& path) override { return real_.syncDirectory(path); }

    bool nameSeenAtHeaderWrite() const { return nameSeenAtHeaderWrite_; }

private:
    PosixFileSystem real_;
    std::string watched_;
    bool noUnnamedFiles_;
    int writes_ = 0;
    bool nameSeenAtHeaderWrite_ = false;
};

// A writer killed while it writes a new file's header must not leave an empty or
// half-headed file: the name appears once the header is complete. Where the file
// system has no unnamed files, the file is made in place as before.
TEST(DataFileCreation, TheNameAppearsOnlyWithTheWholeHeaderWhereTheFileSystemAllows) {
    for (const bool noUnnamedFiles : {false, true}) {
        TempDir dir;
        fakes::RecordingLog log;
        // A taken name is passed over either way.
        writeFile(dir.file("20090819134501.zuv"), "older");
        WatchingFileSystem files(dir.file("20090819134501-1.zuv"), noUnnamedFiles);
        DataFileWriter writer(log, files);
        writer.setOutputDirectory(dir.path());
        const DataFileHeaderInfo info = infoAt("20090819", "134501");
        writer.OpenNewDataFile(info);
        EXPECT_EQ(files.nameSeenAtHeaderWrite(), noUnnamedFiles) << noUnnamedFiles;
        EXPECT_EQ(writer.DataFileName(), dir.file("20090819134501-1.zuv"));
        EXPECT_EQ(readFile(writer.DataFileName()), DataFileHeaderComposer::compose(info, "").text);
        EXPECT_EQ(readFile(dir.file("20090819134501.zuv")), "older");
        EXPECT_EQ(log.lines, (std::vector<std::string>{
                                 "Data file " + dir.file("20090819134501.zuv") + " already exists, recording into " +
                                     dir.file("20090819134501-1.zuv"),
                                 "Start= " + dir.file("20090819134501-1.zuv")}));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    }
}

}  // namespace
}  // namespace zuva::recording
