#include "recording/WriteBacklog.h"

#include <algorithm>
#include <utility>

namespace zuva::recording {

void WriteBacklog::beginFile(PeriodFile file, bool created) {
    FileQueue queue;
    queue.file = std::move(file);
    queue.created = created;
    files_.push_back(std::move(queue));
    prune();
}

bool WriteBacklog::addRecord(std::span<const std::uint8_t> bytes, const RecordTime& time) {
    if (files_.empty()) return false;
    if (records_ >= capacity_) {
        if (!dropped_) dropped_ = DroppedRun{0, time, time};
        ++dropped_->count;
        dropped_->last = time;
        return false;
    }
    files_.back().records.push_back(Record{std::vector<std::uint8_t>(bytes.begin(), bytes.end()), time});
    ++records_;
    return true;
}

void WriteBacklog::recordsWritten(FileQueue& file, std::size_t n) {
    n = std::min(n, file.records.size());
    file.records.erase(file.records.begin(), file.records.begin() + static_cast<std::ptrdiff_t>(n));
    records_ -= n;
}

void WriteBacklog::prune() {
    if (files_.size() < 2) return;
    const auto last = std::prev(files_.end());
    const auto done = [](const FileQueue& f) { return f.created && f.records.empty(); };
    files_.erase(std::remove_if(files_.begin(), last, done), last);
}

bool WriteBacklog::empty() const {
    return records_ == 0 && std::all_of(files_.begin(), files_.end(), [](const FileQueue& f) { return f.created; });
}

std::optional<WriteBacklog::DroppedRun> WriteBacklog::endDroppedRun() {
    std::optional<DroppedRun> run = dropped_;
    dropped_.reset();
    return run;
}

}  // namespace zuva::recording
