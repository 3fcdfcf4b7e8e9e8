// zuva-file: looks into a recorded data file.
//   zuva-file info FILE     header values, record count, first and last record time, gaps
//   zuva-file export FILE   writes FILE.txt as the program's text export does
//   zuva-file report FILE...  the daily report of each day the files hold, beside them
//   zuva-file iaga ...      IAGA-2002 day files, and their check (IagaCommand.cpp)
// Exit status: 0 done, 1 file missing or unreadable, 2 usage, 3 data that cannot be
// read (no usable sampling rate, a record with an invalid time).

#include <cstdio>
#include <exception>
#include <string>

#include "recording/DataFileHeaderReader.h"
#include "recording/DataFileSummary.h"
#include "recording/DataRecordReader.h"
#include "recording/DataTextExporter.h"
#include "recording/IoError.h"
#include "recording/LocaleFormats.h"
#include "recording/LogSink.h"
#include "recording/PosixFile.h"
#include "recording/TimeEncodeError.h"
#include "tools/zuva-file/ReportCommand.h"
#include "tools/zuva-file/IagaCommand.h"

namespace {

using namespace zuva::recording;

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsage = 2;
constexpr int kBadData = 3;

// The event-log lines of the readers go to standard error.
class StderrLog final : public LogSink {
public:
    void addlogfile(const std::string& message) override { std::fprintf(stderr, "log: %s\n", message.c_str()); }
};

std::string timeText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

void usage() {
    std::fprintf(stderr,
                 "usage: zuva-file info FILE\n"
                 "       zuva-file export FILE\n"
                 "       zuva-file report FILE...\n"
                 "       zuva-file iaga [--config PATH] [--interval second|minute] [--out DIR] FILE...\n"
                 "       zuva-file iaga --check FILE...\n");
}

void printSummary(const DataFileSummary& s, std::uint64_t tailBytes) {
    std::printf("Records: %llu\n", static_cast<unsigned long long>(s.records()));
    std::printf("First record: %s\n", s.firstSecond() ? timeText(*s.firstSecond()).c_str() : "none");
    std::printf("Last record: %s\n", s.lastSecond() ? timeText(*s.lastSecond()).c_str() : "none");
    std::printf("Incomplete tail: %llu bytes\n", static_cast<unsigned long long>(tailBytes));
    std::printf("Repeated seconds: %llu\n", static_cast<unsigned long long>(s.repeatedSeconds()));
    std::printf("Gaps: %llu (%llu seconds missing)\n", static_cast<unsigned long long>(s.gapCount()),
                static_cast<unsigned long long>(s.missingSeconds()));
    for (const RecordGap& g : s.gaps()) {
        std::printf("  %s -> %s: %d seconds missing\n", timeText(g.before).c_str(), timeText(g.after).c_str(),
                    g.missingSeconds);
    }
    if (s.gapCount() > s.gaps().size()) {
        std::printf("  ... %llu more\n", static_cast<unsigned long long>(s.gapCount() - s.gaps().size()));
    }
}

int info(const std::string& name, const DataFileHeaderScan& scan, LogSink& log) {
    std::printf("File: %s\n", name.c_str());
    std::printf("Header length: %d\n", scan.HeaderLength);
    std::printf("Header end found: %s\n", scan.endFound ? "yes" : "no");
    std::printf("Sampling rate: %d\n", scan.FileSamplingRate);
    std::printf("Averaging: %u\n", static_cast<unsigned>(scan.averaging));
    std::printf("Sensitivity: %.15g\n", scan.sensitivity);
    std::printf("File info: %s\n", scan.FileInfoText.c_str());
    if (scan.FileSamplingRate == 0) {
        std::fprintf(stderr, "zuva-file: %s: no usable sampling rate, records cannot be read\n", name.c_str());
        return kBadData;
    }
    DataFileSummary summary;
    DataRecordReader reader(log);
    try {
        const RecordReadResult read = reader.read(name, scan, summary);
        printSummary(summary, read.tailBytes);
    } catch (const TimeEncodeError& e) {
        printSummary(summary, 0);
        std::fprintf(stderr, "zuva-file: %s: %s (record at byte %llu); stopped there\n", name.c_str(), e.what(),
                     static_cast<unsigned long long>(e.offset()));
        return kBadData;
    }
    return kOk;
}

int exportText(const std::string& name, const DataFileHeaderScan& scan, LogSink& log) {
    DataTextExporter exporter(log, systemLocaleFormats());
    const ExportResult result = exporter.ExportDataToText(name, scan);
    switch (result.status) {
        case ExportResult::Status::Completed:
            std::printf("%s: %llu lines\n", result.outputName.c_str(),
                        static_cast<unsigned long long>(result.linesWritten));
            return kOk;
        case ExportResult::Status::FileNotFound:
            std::fprintf(stderr, "zuva-file: %s: not found\n", name.c_str());
            return kFileError;
        case ExportResult::Status::NoSamplingRate:
            std::fprintf(stderr, "zuva-file: %s: no usable sampling rate, nothing exported\n", name.c_str());
            return kBadData;
    }
    return kBadData;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "report") return zuva::tools::runReport({argv + 2, argv + argc});
    if (argc >= 2 && std::string(argv[1]) == "iaga") return zuva::tools::iagaCommand(argc - 1, argv + 1);
    if (argc != 3) {
        usage();
        return kUsage;
    }
    const std::string command = argv[1];
    const std::string name = argv[2];
    if (command != "info" && command != "export") {
        usage();
        return kUsage;
    }
    StderrLog log;
    try {
        if (!pathExists(name)) {
            std::fprintf(stderr, "zuva-file: %s: not found\n", name.c_str());
            return kFileError;
        }
        DataFileHeaderReader headerReader(log);
        const DataFileHeaderScan scan = headerReader.ReadDataFileHeader(name);
        return command == "info" ? info(name, scan, log) : exportText(name, scan, log);
    } catch (const IoError& e) {
        std::fprintf(stderr, "zuva-file: %s: %s\n", name.c_str(), e.what());
        return kFileError;
    } catch (const TimeEncodeError& e) {
        std::fprintf(stderr, "zuva-file: %s: %s (record at byte %llu)\n", name.c_str(), e.what(),
                     static_cast<unsigned long long>(e.offset()));
        return kBadData;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zuva-file: %s: %s\n", name.c_str(), e.what());
        return kBadData;
    }
}
