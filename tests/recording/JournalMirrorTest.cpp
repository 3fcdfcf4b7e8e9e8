// The event log's copy on standard error for the journal: severities, and the lines
// a failing "zuva.log" could not take.
#include "recording/JournalMirror.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TestFiles.h"
#include "fakes/FakeClock.h"
#include "recording/EventLog.h"

namespace zuva::recording {
namespace {

namespace fs = std::filesystem;

using testing::readFile;

TEST(JournalMirror, SeverityFollowsTheMessagePrefix) {
    EXPECT_EQ(JournalMirror::severity("Error: ComPort not available!"), 3);
    EXPECT_EQ(JournalMirror::severity("Error  SamplingRate=0!"), 3);
    EXPECT_EQ(JournalMirror::severity("Warning: disk space for only 6.5 days of recording left in /srv"), 4);
    EXPECT_EQ(JournalMirror::severity("ComPort detected: /dev/ttyUSB0"), 6);
    EXPECT_EQ(JournalMirror::severity("Program is starting up."), 6);
    EXPECT_EQ(JournalMirror::text("Remark\nwith a break", "x", EventLog::Delivery::Written), "<6>Remark with a break\n");
}

class JournalMirrorLog : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zuva-journal-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        previous_ = fs::current_path();
        fs::current_path(dir_);
        out_ = std::tmpfile();
        ASSERT_NE(out_, nullptr);
    }
    void TearDown() override {
        std::fclose(out_);
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }
    std::string mirrored() {
        std::fflush(out_);
        std::rewind(out_);
        std::string text;
        char buffer[512];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, out_)) > 0) text.append(buffer, n);
        return text;
    }

    fs::path dir_;
    fs::path previous_;
    std::FILE* out_ = nullptr;
    fakes::FakeClock clock{{2024, 6, 30, 10, 20, 30, 0}};
    LocaleFormats formats{"%d.%m.%Y", "%H:%M:%S", ','};
};

TEST_F(JournalMirrorLog, EveryLineGoesToTheFileAndTheJournalAndMissedLinesAreGivenInFull) {
    EventLog log(clock, formats);
    JournalMirror journal(out_);
    log.setMirror([&journal](const std::string& message, const std::string& line, EventLog::Delivery delivery) {
        journal.write(message, line, delivery);
    });
    log.addlogfile("Program is starting up.");
    log.addlogfile("Error: ComPort not available!");
    // The log file cannot be written: a directory stands in its place.
    fs::create_directory("zuva.log.moved");
    fs::rename("zuva.log", "zuva.log.moved/zuva.log");
    fs::create_directory("zuva.log");
    clock.advance(1000);
    log.addlogfile("ComPort lost: /dev/ttyUSB0 (system error 5); reconnecting");
    log.addlogfile("Stop = /srv/zuva/20240630102030.zuv");
    // Writable again.
    fs::remove("zuva.log");
    log.addlogfile("Exit program");

    EXPECT_EQ(mirrored(),
              "<6>Program is starting up.\n"
              "<3>Error: ComPort not available!\n"
              "<3>Error: the log file zuva.log cannot be written: Is a directory (I/O error 21)\n"
              "<6>ComPort lost: /dev/ttyUSB0 (system error 5); reconnecting\n"
              "<4>Not written to zuva.log: 30.06.2024 10:20:31: ComPort lost: /dev/ttyUSB0 (system error 5); "
              "reconnecting\n"
              "<6>Stop = /srv/zuva/20240630102030.zuv\n"
              "<4>Not written to zuva.log: 30.06.2024 10:20:31: Stop = /srv/zuva/20240630102030.zuv\n"
              "<6>Exit program\n");
    EXPECT_EQ(readFile("zuva.log.moved/zuva.log"),
              "30.06.2024 10:20:30: Program is starting up.\r\n30.06.2024 10:20:30: Error: ComPort not available!\r\n");
    EXPECT_EQ(readFile("zuva.log"), "30.06.2024 10:20:31: Exit program\r\n");
}

}  // namespace
}  // namespace zuva::recording
