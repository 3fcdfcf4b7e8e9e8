#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "recording/DataFileHeaderScan.h"
#include "recording/LogSink.h"
#include "recording/RecordBlockConsumer.h"

namespace zuva::recording {

struct RecordReadResult {
    enum class Status {
        Completed,       // every whole record was delivered
        Stopped,         // the consumer asked to stop
        FileNotFound,    // nothing read; message holds the text to show
        NoSamplingRate,  // nothing read; "Error  SamplingRate=0!" was logged
    };
    Status status = Status::Completed;
    std::uint64_t recordsRead = 0;
    std::uint64_t tailBytes = 0;  // bytes of an incomplete last record, ignored
    std::string message;
};

// The message box text for a data file that is not there.
std::string dataFileNotFoundMessage(const std::string& name);

// Walks the one-second records of a data file from the scan's HeaderLength on and
// hands them, converted to nT with the gain of each record's status byte, to a
// consumer in blocks of whole records of up to maxSamplesPerBlock samples (at
// least one record). An incomplete record at the end is ignored.
//
// A record whose time bytes are no time of day ends the reading: the records
// before it are delivered, then TimeEncodeError is thrown. Read errors throw
// IoError. Memory use is bounded whatever the file holds.
class DataRecordReader {
public:
    explicit DataRecordReader(LogSink& log, std::size_t maxSamplesPerBlock = 4096);

    // Throws std::invalid_argument for a scan with a sampling rate above 256 or an
    // averaging factor of 0, which the header reader never produces.
    RecordReadResult read(const std::string& name, const DataFileHeaderScan& header, RecordBlockConsumer& consumer);

private:
    LogSink& log_;
    std::size_t maxSamplesPerBlock_;
};

}  // namespace zuva::recording
