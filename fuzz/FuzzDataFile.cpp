// Hostile data files: the input is written as a data file, its header is scanned,
// every record is read (checked and summarised) and the file is exported as text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataFileSummary.h"
#include "recording/DataRecordReader.h"
#include "recording/DataTextExporter.h"
#include "recording/IoError.h"
#include "recording/LogSink.h"
#include "recording/TimeEncodeError.h"

namespace {

using zuva::fuzz::check;
namespace rec = zuva::recording;

bool singleLine(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }

struct Log final : rec::LogSink {
    void addlogfile(const std::string& message) override { check(singleLine(message), "log line is one line"); }
};

std::string readAll(const std::string& path) {
    std::string out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    check(f != nullptr, "export output can be read");
    char buf[65536];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
}

void writeAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    check(f != nullptr, "scratch file can be written");
    check(std::fwrite(data, 1, size, f) == size, "scratch file written whole");
    check(std::fclose(f) == 0, "scratch file closed");
}

// Checks what the reader promises of each block, then hands it to the summary.
struct CheckingConsumer final : rec::RecordBlockConsumer {
    CheckingConsumer(const rec::DataFileHeaderScan& h, std::size_t fileSize) : header(h), size(fileSize) {}

    bool consumeBlock(const rec::RecordBlock& b) override {
        const auto n = static_cast<std::size_t>(header.FileSamplingRate);
        const std::uint64_t recordSize = 4 + 12 * n;
        check(b.recordCount > 0, "a block holds a record");
        check(b.samplesPerRecord == n, "samples per record is the sampling rate");
        check(b.fileSize == size, "file size");
        check(b.firstRecordOffset == nextOffset, "blocks follow one another");
        check(b.bytesRead == b.firstRecordOffset + b.recordCount * recordSize, "block length");
        check(b.bytesRead <= size, "no block reaches past the end");
        check(b.recordSecond.size() == b.recordCount && b.recordStatus.size() == b.recordCount, "per record spans");
        check(b.timeOfDay.size() == b.sampleCount() && b.bx.size() == b.sampleCount() &&
                  b.by.size() == b.sampleCount() && b.bz.size() == b.sampleCount(),
              "per sample spans");
        const int percent = b.progressPercent();
        check(percent >= 0 && percent <= 100, "progress within 0..100");
        for (std::size_t r = 0; r < b.recordCount; ++r) {
            const int second = b.recordSecond[r];
            check(second >= 0 && second < 86400, "record second within the day");
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t i = r * n + k;
                check(b.timeOfDay[i] >= second && b.timeOfDay[i] < second + 1, "sample time within its second");
                check(!std::isnan(b.bx[i]) && !std::isnan(b.by[i]) && !std::isnan(b.bz[i]), "values are numbers");
            }
        }
        nextOffset = b.bytesRead;
        records += b.recordCount;
        summary.consumeBlock(b);
        return true;
    }

    const rec::DataFileHeaderScan& header;
    std::size_t size;
    std::uint64_t nextOffset = 0;
    std::uint64_t records = 0;
    rec::DataFileSummary summary;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = std::string(zuva::fuzz::scratchDirectory()) + "/input.zuv";
    writeAll(path, data, size);

    Log log;
    rec::DataFileHeaderReader headerReader(log);
    const rec::DataFileHeaderScan header = headerReader.ReadDataFileHeader(path, 2.393e-5);
    check(header.FileSamplingRate >= 0 && header.FileSamplingRate <= 256, "sampling rate 0..256");
    check(header.HeaderLength >= 0 && static_cast<std::size_t>(header.HeaderLength) <= size, "header within file");
    check(header.endFound == (header.HeaderLength > 0), "header length only with an end line");
    check(singleLine(header.FileInfoText), "file info is one line");
    if (header.FileSamplingRate > 0) {
        check(header.averaging * header.FileSamplingRate == 256, "averaging fits the rate");
        check(std::isfinite(header.sensitivity) && header.sensitivity != 0.0, "usable sensitivity");
    }

    CheckingConsumer consumer(header, size);
    consumer.nextOffset = static_cast<std::uint64_t>(header.HeaderLength);
    rec::DataRecordReader reader(log, 1000);
    bool timeError = false;
    rec::RecordReadResult read;
    try {
        read = reader.read(path, header, consumer);
    } catch (const rec::TimeEncodeError& e) {
        timeError = true;
        check(e.offset() == consumer.nextOffset, "the bad record follows the last one delivered");
    }
    check(consumer.records == consumer.summary.records(), "summary counts every record");
    if (!timeError) {
        check(read.recordsRead == consumer.records, "records counted");
        if (header.FileSamplingRate > 0) {
            const std::uint64_t recordSize = 4 + 12 * static_cast<std::uint64_t>(header.FileSamplingRate);
            check(consumer.nextOffset + read.tailBytes == size, "whole records plus the tail make the file");
            check(read.tailBytes < recordSize, "the tail is less than a record");
        }
    }

    rec::LocaleFormats formats;
    formats.decimalSeparator = (size > 0 && (data[size - 1] & 1)) ? ',' : '.';
    rec::DataTextExporter exporter(log, formats);
    bool exportTimeError = false;
    rec::ExportResult exported;
    try {
        exported = exporter.ExportDataToText(path, header);
    } catch (const rec::TimeEncodeError&) {
        exportTimeError = true;
    }
    check(exportTimeError == timeError, "export and reader agree on bad times");
    if (header.FileSamplingRate > 0) {
        const std::string text = readAll(path + ".txt");
        std::uint64_t lines = 0;
        for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at) {
            check(at > 0 && text[at - 1] == '\r', "export lines end with CR LF");
            ++lines;
        }
        check(text.empty() || text.back() == '\n', "export ends with a whole line");
        check(lines == consumer.records * static_cast<std::uint64_t>(header.FileSamplingRate),
              "one export line per sample");
        if (!exportTimeError) check(exported.linesWritten == lines, "export counts its lines");
        std::remove((path + ".txt").c_str());
    }
    return 0;
}
