#include "recording/DataRecordReader.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <stdexcept>
#include <vector>

#include "recording/PosixFile.h"
#include "recording/SecondRecordEncoder.h"
#include "recording/TimeEncodeError.h"

namespace zuva::recording {

namespace {

std::int32_t le32(const std::uint8_t* p) {
    const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                            static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    return static_cast<std::int32_t>(u);
}

constexpr std::array<int, 4> kGains{1, 10, 100, 1000};

}  // namespace

std::string dataFileNotFoundMessage(const std::string& name) {
    return "File \r\n" + name + "\r\n" + " not found :-( !";
}

DataRecordReader::DataRecordReader(LogSink& log, std::size_t maxSamplesPerBlock)
    : log_(log), maxSamplesPerBlock_(std::max<std::size_t>(1, maxSamplesPerBlock)) {}

RecordReadResult DataRecordReader::read(const std::string& name, const DataFileHeaderScan& header,
                                        RecordBlockConsumer& consumer) {
    RecordReadResult result;
    if (!pathExists(name)) {
        result.status = RecordReadResult::Status::FileNotFound;
        result.message = dataFileNotFoundMessage(name);
        return result;
    }
    if (header.FileSamplingRate <= 0) {
        log_.addlogfile("Error  SamplingRate=0!");
        result.status = RecordReadResult::Status::NoSamplingRate;
        return result;
    }
    if (header.FileSamplingRate > static_cast<std::int32_t>(kMaxTriplesPerRecord)) {
        throw std::invalid_argument("Sampling rate " + std::to_string(header.FileSamplingRate) + " above 256");
    }
    if (header.averaging == 0) throw std::invalid_argument("Averaging factor 0");

    const std::size_t n = static_cast<std::size_t>(header.FileSamplingRate);
    const std::size_t recordSize = SecondRecordEncoder::recordSize(n);
    const std::size_t recordsPerBlock = std::max<std::size_t>(1, maxSamplesPerBlock_ / n);

    PosixFile file = PosixFile::open(name, O_RDONLY);
    const std::uint64_t fileSize = file.size();
    std::uint64_t offset = static_cast<std::uint64_t>(std::max(header.HeaderLength, 0));
    file.seek(offset);

    std::vector<std::uint8_t> buffer(recordsPerBlock * recordSize);
    std::vector<std::int32_t> seconds(recordsPerBlock);
    std::vector<std::uint8_t> status(recordsPerBlock);
    std::vector<double> times(recordsPerBlock * n), bx(recordsPerBlock * n), by(recordsPerBlock * n),
        bz(recordsPerBlock * n);
    std::vector<double> fraction(n);
    for (std::size_t k = 0; k < n; ++k) fraction[k] = static_cast<double>(k) / static_cast<double>(n);
    std::array<double, 4> factors{};
    for (std::size_t g = 0; g < 4; ++g) factors[g] = header.sensitivity / kGains[g] / header.averaging;

    RecordBlock block;
    block.samplesPerRecord = n;
    block.fileSize = fileSize;
    const auto deliver = [&](std::size_t records) {
        block.recordCount = records;
        block.recordSecond = {seconds.data(), records};
        block.recordStatus = {status.data(), records};
        block.timeOfDay = {times.data(), records * n};
        block.bx = {bx.data(), records * n};
        block.by = {by.data(), records * n};
        block.bz = {bz.data(), records * n};
        block.firstRecordOffset = offset;
        block.bytesRead = offset + records * recordSize;
        result.recordsRead += records;
        offset = block.bytesRead;
        return consumer.consumeBlock(block);
    };

    for (;;) {
        const std::size_t got = file.readFull(buffer);
        const std::size_t whole = got / recordSize;
        for (std::size_t r = 0; r < whole; ++r) {
            const std::uint8_t* rec = buffer.data() + r * recordSize;
            if (rec[1] > 23 || rec[2] > 59 || rec[3] > 59) {
                const std::uint64_t badOffset = offset + r * recordSize;
                if (r > 0) deliver(r);
                file.close();
                throw TimeEncodeError(badOffset);
            }
            seconds[r] = rec[1] * 3600 + rec[2] * 60 + rec[3];
            status[r] = rec[0];
            const double factor = factors[rec[0] & 3u];
            const double second = seconds[r];
            const std::uint8_t* p = rec + 4;
            double* t = times.data() + r * n;
            double* x = bx.data() + r * n;
            double* y = by.data() + r * n;
            double* z = bz.data() + r * n;
            for (std::size_t k = 0; k < n; ++k, p += 12) {
                t[k] = second + fraction[k];
                x[k] = le32(p) * factor;
                y[k] = le32(p + 4) * factor;
                z[k] = le32(p + 8) * factor;
            }
        }
        if (whole > 0 && !deliver(whole)) {
            result.status = RecordReadResult::Status::Stopped;
            break;
        }
        if (got < buffer.size()) {
            result.tailBytes = got % recordSize;
            break;
        }
    }
    file.close();
    return result;
}

}  // namespace zuva::recording
