#include "recording/WriteBacklog.h"

#include <utility>

namespace zuva::recording {

void WriteBacklog::addFile(PeriodFile file) {
    Entry entry;
    entry.beginsFile = true;
    entry.file = std::move(file);
    entries_.push_back(std::move(entry));
}

bool WriteBacklog::addRecord(std::span<const std::uint8_t> bytes, const RecordTime& time) {
    if (records_ >= capacity_) {
        if (!dropped_) dropped_ = DroppedRun{0, time, time};
        ++dropped_->count;
        dropped_->last = time;
        return false;
    }
    Entry entry;
    entry.bytes.assign(bytes.begin(), bytes.end());
    entry.time = time;
    entries_.push_back(std::move(entry));
    ++records_;
    return true;
}

void WriteBacklog::removeFront(std::size_t n) {
    for (std::size_t i = 0; i < n && !entries_.empty(); ++i) {
        if (!entries_.front().beginsFile) --records_;
        entries_.pop_front();
    }
}

std::optional<WriteBacklog::DroppedRun> WriteBacklog::endDroppedRun() {
    std::optional<DroppedRun> run = dropped_;
    dropped_.reset();
    return run;
}

}  // namespace zuva::recording
