#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "recording/PeriodFile.h"

namespace zuva::recording {

// What waits to be written while the data files cannot be written, in the order it
// arose: files to begin (with their headers) and the records that follow each one.
// A record belongs to the last file queued or written before it.
//
// The number of records is bounded. When the backlog is full the newest second is
// dropped: what is kept runs on without a gap from the last second written, and the
// seconds lost form one run of consecutive seconds, reported by its first and last
// time once it has ended. Files to begin are always kept (at most one per recording
// period, a few hundred bytes each), so later records never go to the wrong file.
class WriteBacklog {
public:
    struct Entry {
        bool beginsFile = false;
        PeriodFile file;                  // when beginsFile
        std::vector<std::uint8_t> bytes;  // the encoded record otherwise
        RecordTime time;
    };

    // Seconds that could not be kept: how many, the first and the last.
    struct DroppedRun {
        std::size_t count = 0;
        RecordTime first;
        RecordTime last;
    };

    explicit WriteBacklog(std::size_t recordCapacity) : capacity_(recordCapacity) {}

    void addFile(PeriodFile file);
    // Keeps the record, or drops it when the backlog is full (returns false).
    bool addRecord(std::span<const std::uint8_t> bytes, const RecordTime& time);

    bool empty() const { return entries_.empty(); }
    std::size_t entries() const { return entries_.size(); }
    std::size_t records() const { return records_; }
    std::size_t capacity() const { return capacity_; }
    const Entry& at(std::size_t index) const { return entries_.at(index); }
    Entry& front() { return entries_.front(); }
    // Removes the first n entries (they were written).
    void removeFront(std::size_t n);

    // Hands out the run of seconds dropped since the last call, if any. The writer
    // ends a run when a record is kept again, when the backlog has been written and
    // when it gives up, so each run is reported once with its exact range.
    std::optional<DroppedRun> endDroppedRun();

private:
    std::size_t capacity_;
    std::deque<Entry> entries_;
    std::size_t records_ = 0;
    std::optional<DroppedRun> dropped_;
};

}  // namespace zuva::recording
