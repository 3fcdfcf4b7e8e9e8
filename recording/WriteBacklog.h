#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "recording/PeriodFile.h"

namespace zuva::recording {

// The data files of the recording periods with what still waits to be written into
// each: whether the file (with its header) has been created, and its records in the
// order they arose. The last file is the one new records belong to; earlier files
// stay only while they have something waiting. Files do not wait for each other: a
// file in a directory that came back is written even while an older one in a
// directory that is still gone waits.
//
// The number of waiting records is bounded. When the backlog is full the newest
// second is dropped: what is kept runs on without a gap from the last second written,
// and the seconds lost form one run of consecutive seconds, reported by its first and
// last time once it has ended.
class WriteBacklog {
public:
    struct Record {
        std::vector<std::uint8_t> bytes;  // the encoded record
        RecordTime time;
    };
    struct FileQueue {
        PeriodFile file;
        bool created = false;
        std::deque<Record> records;
    };
    // Seconds that could not be kept: how many, the first and the last.
    struct DroppedRun {
        std::size_t count = 0;
        RecordTime first;
        RecordTime last;
    };

    explicit WriteBacklog(std::size_t recordCapacity) : capacity_(recordCapacity) {}

    // A new recording period: records added from now on belong to this file.
    void beginFile(PeriodFile file, bool created);
    bool hasFile() const { return !files_.empty(); }
    FileQueue& latest() { return files_.back(); }

    // Keeps a record of the latest file, or drops it when the backlog is full
    // (returns false).
    bool addRecord(std::span<const std::uint8_t> bytes, const RecordTime& time);
    // The first n waiting records of a file were written.
    void recordsWritten(FileQueue& file, std::size_t n);
    // Forgets the earlier files that have nothing left to write.
    void prune();

    // Nothing waits: every file is created and every record written.
    bool empty() const;
    std::size_t records() const { return records_; }
    std::size_t capacity() const { return capacity_; }
    std::size_t fileCount() const { return files_.size(); }
    FileQueue& file(std::size_t index) { return files_.at(index); }
    const FileQueue& file(std::size_t index) const { return files_.at(index); }

    // Hands out the run of seconds dropped since the last call, if any. The writer
    // ends a run when a record is kept again, when the backlog has been written and
    // when it gives up, so each run is reported once with its exact range.
    std::optional<DroppedRun> endDroppedRun();

private:
    std::size_t capacity_;
    std::deque<FileQueue> files_;
    std::size_t records_ = 0;
    std::optional<DroppedRun> dropped_;
};

}  // namespace zuva::recording
