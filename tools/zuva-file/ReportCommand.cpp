#include "tools/zuva-file/ReportCommand.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <tuple>

#include "products/DailyReport.h"
#include "products/DailyReportFiles.h"
#include "products/DailyReportText.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "recording/IoError.h"
#include "recording/LogSink.h"
#include "recording/PosixFile.h"

namespace zuva::tools {

namespace {

class StderrLog final : public recording::LogSink {
public:
    void addlogfile(const std::string& message) override { std::fprintf(stderr, "log: %s\n", message.c_str()); }
};

struct DateKey {
    int year, month, day;
    bool operator<(const DateKey& o) const { return std::tie(year, month, day) < std::tie(o.year, o.month, o.day); }
};

struct Day {
    std::unique_ptr<products::DayCoverage> coverage;
    std::string directory;
};

class CoverageConsumer final : public recording::RecordBlockConsumer {
public:
    explicit CoverageConsumer(products::DayCoverage& day) : day_(day) {}
    bool consumeBlock(const recording::RecordBlock& block) override {
        for (const std::int32_t second : block.recordSecond) day_.add(second);
        return true;
    }

private:
    products::DayCoverage& day_;
};

bool dateOfName(const std::string& path, DateKey& key) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() < 8) return false;
    for (int i = 0; i < 8; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[static_cast<std::size_t>(i)]))) return false;
    }
    key.year = std::stoi(name.substr(0, 4));
    key.month = std::stoi(name.substr(4, 2));
    key.day = std::stoi(name.substr(6, 2));
    return key.month >= 1 && key.month <= 12 && key.day >= 1 &&
           key.day <= acquisition::daysInMonth(key.year, key.month);
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

int runReport(const std::vector<std::string>& files) {
    StderrLog log;
    std::map<DateKey, Day> days;
    for (const std::string& file : files) {
        DateKey key{};
        if (!dateOfName(file, key)) {
            std::fprintf(stderr, "zuva-file: %s: no date YYYYMMDD at the start of the file name\n", file.c_str());
            return 3;
        }
        if (!recording::pathExists(file)) {
            std::fprintf(stderr, "zuva-file: %s: not found\n", file.c_str());
            return 1;
        }
        Day& day = days[key];
        if (!day.coverage) {
            day.coverage = std::make_unique<products::DayCoverage>(acquisition::FrameDate{key.year, key.month, key.day});
            day.directory = directoryOf(file);
        }
        try {
            recording::DataFileHeaderReader headerReader(log);
            const recording::DataFileHeaderScan scan = headerReader.ReadDataFileHeader(file);
            if (scan.FileSamplingRate == 0) {
                std::fprintf(stderr, "zuva-file: %s: no usable sampling rate, records cannot be read\n", file.c_str());
                return 3;
            }
            CoverageConsumer consumer(*day.coverage);
            recording::DataRecordReader(log).read(file, scan, consumer);
        } catch (const recording::IoError& e) {
            std::fprintf(stderr, "zuva-file: %s: %s\n", file.c_str(), e.what());
            return 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zuva-file: %s: %s\n", file.c_str(), e.what());
            return 3;
        }
    }
    bool first = true;
    for (auto& [key, day] : days) {
        products::DailyReport report;
        report.date = day.coverage->date();
        report.periodStart = first && day.coverage->first() ? *day.coverage->first() : 0;
        first = false;
        day.coverage->fill(report);
        const auto written = products::DailyReportFiles::write(report, day.directory);
        std::fputs(products::DailyReportText::text(report).c_str(), stdout);
        if (written.error != 0) {
            std::fprintf(stderr, "zuva-file: report not written: %s: %s\n", written.textPath.c_str(),
                         std::strerror(written.error));
            return 1;
        }
        std::printf("Written: %s, %s\n", written.textPath.c_str(), written.jsonPath.c_str());
    }
    return 0;
}

}  // namespace zuva::tools
