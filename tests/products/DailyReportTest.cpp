// The daily report of a constructed day: the live report as the logger gathers it,
// and zuva-file report made from the data files of the same seconds.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/CompletedSecond.h"
#include "fakes/RecordingLog.h"
#include "products/DailyReport.h"
#include "products/DailyReportBuilder.h"
#include "products/DailyReportText.h"
#include "recording/DataFileWriter.h"

namespace zuva::products {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zuva-report-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
        path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

int sod(int h, int m, int s) { return h * 3600 + m * 60 + s; }

// 2024-06-30 with its gaps: 00:00:00 for 5 s, 12:00:05 for 5 s, 18:30:00 for 90 s and
// the last 2 s of the day; three seconds with filled samples; seven frame errors, one
// port loss, two backlog events; clock offsets +0.100, +0.200, +0.300 and -1.500 s;
// 123.4 days of disk left.
class ConstructedDay : public ::testing::Test {
protected:
    static bool missing(int s) {
        return s < 5 || (s >= sod(12, 0, 5) && s < sod(12, 0, 10)) || (s >= sod(18, 30, 0) && s < sod(18, 31, 30)) ||
               s >= sod(23, 59, 58);
    }
    static bool filled(int s) { return s == sod(3, 0, 0) || s == sod(3, 0, 1) || s == sod(22, 0, 0); }

    acquisition::CompletedSecond second(acquisition::FrameDate date, int s, std::uint32_t filledSamples = 0) {
        acquisition::CompletedSecond c;
        c.date = date;
        c.time = {s / 3600, s / 60 % 60, s % 60};
        c.averaging = 256;
        c.filledSamples = filledSamples;
        c.record = &record_;
        return c;
    }

    void runLive(DailyReportBuilder& builder) {
        // The recording began at 2024-06-29 23:59:59.
        builder.secondCompleted(second({2024, 6, 29}, sod(23, 59, 59)));
        counters.frameErrors = 10;
        for (int s = 0; s < 86400; ++s) {
            if (s == sod(12, 0, 5)) builder.portLost();
            if (s == sod(6, 0, 0) || s == sod(7, 0, 0)) builder.backlogStarted();
            if (s == sod(20, 0, 0)) counters.frameErrors = 17;
            if (missing(s)) continue;
            builder.secondCompleted(second({2024, 6, 30}, s, filled(s) ? 3 : 0));
            if (s == sod(1, 0, 0)) builder.clockOffset(0.1);
            if (s == sod(2, 0, 0)) builder.clockOffset(-1.5);
            if (s == sod(3, 0, 0)) builder.clockOffset(0.3);
            if (s == sod(4, 0, 0)) builder.clockOffset(0.2);
        }
        builder.secondCompleted(second({2024, 7, 1}, 0));
    }

    // The same seconds as data files, as the logger writes them.
    std::vector<std::string> writeDataFiles(const fs::path& directory) {
        fakes::RecordingLog log;
        recording::DataFileWriter writer(log);
        writer.setSyncEachRecord(false);
        writer.setOutputDirectory(directory.string());
        std::vector<std::string> names;
        const auto open = [&](const char* date, const char* time, const char* dateText) {
            recording::DataFileHeaderInfo info;
            info.fileDate = date;
            info.fileTime = time;
            info.dateText = dateText;
            info.averaging = 256;
            info.samplingRateText = "1";
            info.sensitivity = 1.0;
            info.gainText = "1";
            writer.OpenNewDataFile(info);
            names.push_back(writer.DataFileName());
        };
        const auto append = [&](int s) {
            recording::SecondRecord r;
            r.hour = static_cast<std::uint8_t>(s / 3600);
            r.minute = static_cast<std::uint8_t>(s / 60 % 60);
            r.second = static_cast<std::uint8_t>(s % 60);
            r.tripleCount = 1;
            writer.AppendSecondRecord(r);
        };
        open("20240629", "235959", "2024 06 29");
        append(sod(23, 59, 59));
        open("20240630", "000005", "2024 06 30");
        for (int s = 0; s < 86400; ++s) {
            if (!missing(s)) append(s);
        }
        return names;
    }

    acquisition::StreamCounters counters;
    recording::SecondRecord record_;
};

const std::string kDayText =
    "ZUVA-7k daily report 2024-06-30 (UTC)\n"
    "Period: 00:00:00 - 23:59:59\n"
    "Expected seconds: 86400\n"
    "Recorded seconds: 86298\n"
    "Completeness: 99.881 %\n"
    "Gaps: 4\n"
    "  00:00:00  5 s\n"
    "  12:00:05  5 s\n"
    "  18:30:00  90 s\n"
    "  23:59:58  2 s\n";

TEST_F(ConstructedDay, TheLiveReportIsExactAsTextJsonAndLogLine) {
    TempDir reports;
    fakes::RecordingLog log;
    DailyReportBuilder builder(log, {[this] { return counters; }, [] { return std::optional<double>(123.4); },
                                     [&reports] { return reports.path.string(); }});
    runLive(builder);

    const std::string dayFile = (reports.path / "20240630-report.txt").string();
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "Daily report 2024-06-29: 1 of 1 s recorded (100.000 %), 0 gaps, 0 s with filled samples, "
                            "10 frame errors, 0 port losses, 0 backlog events; " +
                                (reports.path / "20240629-report.txt").string());
    EXPECT_EQ(log.lines[1], "Daily report 2024-06-30: 86298 of 86400 s recorded (99.881 %), 4 gaps, 3 s with filled "
                            "samples, 7 frame errors, 1 port losses, 2 backlog events; " +
                                dayFile);
    EXPECT_EQ(readFile(dayFile), kDayText +
                                     "Seconds with filled samples: 3\n"
                                     "Frame errors: 7\n"
                                     "Port losses: 1\n"
                                     "Write-backlog events: 2\n"
                                     "Clock offset median (PC minus instrument): +0.150 s\n"
                                     "Clock offset extreme: -1.500 s\n"
                                     "Disk days left: 123.4\n");
    EXPECT_EQ(readFile(reports.path / "20240630-report.json"),
              "{\n"
              "  \"date\": \"2024-06-30\",\n"
              "  \"periodStart\": \"00:00:00\",\n"
              "  \"periodEnd\": \"23:59:59\",\n"
              "  \"expectedSeconds\": 86400,\n"
              "  \"recordedSeconds\": 86298,\n"
              "  \"completenessPercent\": 99.881,\n"
              "  \"gaps\": [\n"
              "    {\"start\": \"00:00:00\", \"seconds\": 5},\n"
              "    {\"start\": \"12:00:05\", \"seconds\": 5},\n"
              "    {\"start\": \"18:30:00\", \"seconds\": 90},\n"
              "    {\"start\": \"23:59:58\", \"seconds\": 2}\n"
              "  ],\n"
              "  \"filledSeconds\": 3,\n"
              "  \"frameErrors\": 7,\n"
              "  \"portLosses\": 1,\n"
              "  \"backlogEvents\": 2,\n"
              "  \"clockOffsetMedianSeconds\": 0.150,\n"
              "  \"clockOffsetExtremeSeconds\": -1.500,\n"
              "  \"diskDaysLeft\": 123.4\n"
              "}\n");
    ASSERT_TRUE(builder.lastReport().has_value());
    EXPECT_EQ(builder.lastReport()->gaps, (std::vector<ReportGap>{{0, 5}, {sod(12, 0, 5), 5}, {sod(18, 30, 0), 90},
                                                                  {sod(23, 59, 58), 2}}));
    // The day under way: 2024-07-01 from midnight, its one second so far.
    const auto today = builder.current(0);
    ASSERT_TRUE(today.has_value());
    EXPECT_EQ(today->periodStart, 0);
    EXPECT_EQ(today->recordedSeconds, 1u);
}

TEST_F(ConstructedDay, ZuvaFileReportOfTheDataFilesGivesTheSameDay) {
    TempDir live, data;
    fakes::RecordingLog log;
    DailyReportBuilder builder(log, {[this] { return counters; }, [] { return std::optional<double>(123.4); },
                                     [&live] { return live.path.string(); }});
    runLive(builder);
    const std::vector<std::string> files = writeDataFiles(data.path);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1], (data.path / "20240630000005.zuv").string());

    const std::string out = (data.path / "stdout").string(), err = (data.path / "stderr").string();
    const std::string command = std::string(ZUVA_BIN_DIR) + "/zuva-file report " + files[1] + " " + files[0] + " >" +
                                out + " 2>" + err;
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << readFile(err);
    EXPECT_EQ(readFile(err), "");

    const std::string unknown = "not in the data files";
    const std::string fileDay = kDayText + "Seconds with filled samples: " + unknown + "\nFrame errors: " + unknown +
                                "\nPort losses: " + unknown + "\nWrite-backlog events: " + unknown +
                                "\nClock offset median (PC minus instrument): " + unknown +
                                "\nClock offset extreme: " + unknown + "\nDisk days left: " + unknown + "\n";
    EXPECT_EQ(readFile(data.path / "20240630-report.txt"), fileDay);
    // What the data files can tell is the same as the live report's.
    const std::string liveText = readFile(live.path / "20240630-report.txt");
    EXPECT_EQ(liveText.substr(0, kDayText.size()), kDayText);
    EXPECT_EQ(readFile(out),
              "ZUVA-7k daily report 2024-06-29 (UTC)\n"
              "Period: 23:59:59 - 23:59:59\n"
              "Expected seconds: 1\n"
              "Recorded seconds: 1\n"
              "Completeness: 100.000 %\n"
              "Gaps: 0\n"
              "Seconds with filled samples: " + unknown + "\nFrame errors: " + unknown + "\nPort losses: " + unknown +
                  "\nWrite-backlog events: " + unknown + "\nClock offset median (PC minus instrument): " + unknown +
                  "\nClock offset extreme: " + unknown + "\nDisk days left: " + unknown + "\n" + "Written: " +
                  (data.path / "20240629-report.txt").string() + ", " + (data.path / "20240629-report.json").string() +
                  "\n" + fileDay + "Written: " + (data.path / "20240630-report.txt").string() + ", " +
                  (data.path / "20240630-report.json").string() + "\n");
    const std::string json = readFile(data.path / "20240630-report.json");
    EXPECT_NE(json.find("  \"recordedSeconds\": 86298,\n"), std::string::npos) << json;
    EXPECT_NE(json.find("  \"filledSeconds\": null,\n"), std::string::npos) << json;
    EXPECT_NE(json.find("  \"diskDaysLeft\": null\n}\n"), std::string::npos) << json;
}

TEST(ZuvaFileReport, AFileWithoutADateInItsNameIsRefused) {
    TempDir dir;
    std::ofstream(dir.path / "station.zuv") << "x";
    const std::string err = (dir.path / "stderr").string();
    const int status = std::system((std::string(ZUVA_BIN_DIR) + "/zuva-file report " + (dir.path / "station.zuv").string() +
                                    " >/dev/null 2>" + err)
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(readFile(err),
              "zuva-file: " + (dir.path / "station.zuv").string() + ": no date YYYYMMDD at the start of the file name\n");
}

TEST(DailyReportValues, MedianExtremeAndCompletenessCutNotRounded) {
    EXPECT_EQ(medianOf({}), std::nullopt);
    EXPECT_EQ(medianOf({3.0, 1.0, 2.0}), 2.0);
    EXPECT_EQ(medianOf({4.0, 1.0, 2.0, 3.0}), 2.5);
    EXPECT_EQ(extremeOf({0.5, -0.7, 0.6}), -0.7);
    DailyReport r;
    r.recordedSeconds = 86399;
    EXPECT_EQ(DailyReportText::text(r).find("Completeness: 100.000 %"), std::string::npos);
    EXPECT_EQ(r.completenessPercent(), 99.998);
}

}  // namespace
}  // namespace zuva::products
