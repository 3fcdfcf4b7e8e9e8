#include "network/DiskQueue.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "recording/FileBytes.h"
#include "network/UtcTime.h"

namespace zuva::network {

namespace {

std::string segmentName(std::uint64_t firstSeq) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "q%016llu.seg", static_cast<unsigned long long>(firstSeq));
    return buffer;
}

}  // namespace

DiskQueue::DiskQueue(std::string directory, std::int64_t maxAgeSeconds, Log log)
    : directory_(std::move(directory)), maxAge_(maxAgeSeconds), log_(std::move(log)) {
    if (::mkdir(directory_.c_str(), 0700) != 0 && errno != EEXIST) {
        log_("MQTT queue directory " + directory_ + " cannot be made: " + std::strerror(errno) +
             "; messages are kept in memory only");
    }
    load();
}

DiskQueue::~DiskQueue() {
    sync();
    if (activeFd_ >= 0) ::close(activeFd_);
    if (readFd_ >= 0) ::close(readFd_);
}

void DiskQueue::load() {
    // Where every earlier message ended.
    if (FILE* f = std::fopen((directory_ + "/acked").c_str(), "r")) {
        unsigned long long value = 0;
        if (std::fscanf(f, "%llu", &value) == 1) done_ = value;
        std::fclose(f);
    }
    writtenDone_ = done_;
    nextSeq_ = done_ + 1;
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory_.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() == 21 && name[0] == 'q' && name.ends_with(".seg")) names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) loadSegment(directory_ + "/" + name);
    removeFinishedSegments();
}

void DiskQueue::loadSegment(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        log_("MQTT queue file " + path + " cannot be opened: " + std::strerror(errno) + "; its messages are skipped");
        return;
    }
    struct stat st {};
    ::fstat(fd, &st);
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    Segment segment{path, 0, 0, false};
    const int index = static_cast<int>(segments_.size());
    std::uint64_t offset = 0;
    std::string head;
    for (;;) {
        // A record head is at most 80 characters.
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(80, fileSize - offset));
        if (want == 0 || !recording::FileBytes::readAt(fd, offset, want, head)) break;
        const auto newline = head.find('\n');
        if (newline == std::string::npos) break;
        unsigned long long seq = 0, topicSize = 0, payloadSize = 0;
        long long dataTime = 0;
        if (std::sscanf(head.c_str(), "%llu %lld %llu %llu", &seq, &dataTime, &topicSize, &payloadSize) != 4) break;
        const std::uint64_t body = offset + newline + 1;
        const std::uint64_t end = body + topicSize + payloadSize + 1;
        if (end > fileSize) break;
        std::string terminator;
        if (!recording::FileBytes::readAt(fd, end - 1, 1, terminator) || terminator != "\n") break;
        if (seq > done_) {
            Entry entry;
            entry.seq = seq;
            entry.dataTime = dataTime;
            entry.segment = index;
            entry.offset = body;
            entry.topicSize = static_cast<std::uint32_t>(topicSize);
            entry.payloadSize = static_cast<std::uint32_t>(payloadSize);
            if (entries_.empty() || entries_.back().seq < seq) entries_.push_back(std::move(entry));
        }
        segment.lastSeq = std::max<std::uint64_t>(segment.lastSeq, seq);
        nextSeq_ = std::max<std::uint64_t>(nextSeq_, seq + 1);
        offset = end;
    }
    if (offset < fileSize) {
        // The tail of an append that a crash cut short: nothing of it was ever offered.
        if (::ftruncate(fd, static_cast<off_t>(offset)) != 0) {
            log_("MQTT queue file " + path + ": an incomplete last message cannot be cut off: " +
                 std::strerror(errno));
        }
    }
    segment.size = offset;
    ::close(fd);
    segments_.push_back(segment);
}

bool DiskQueue::openActive(std::uint64_t firstSeq) {
    if (activeFd_ >= 0) ::close(activeFd_);
    activeFd_ = -1;
    const std::string path = directory_ + "/" + segmentName(firstSeq);
    activeFd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (activeFd_ < 0) return false;
    segments_.push_back(Segment{path, 0, firstSeq, false});
    active_ = static_cast<int>(segments_.size()) - 1;
    return true;
}

std::uint64_t DiskQueue::push(const OutgoingMessage& message) {
    const std::uint64_t seq = nextSeq_++;
    Entry entry;
    entry.seq = seq;
    entry.dataTime = message.dataTime;
    entry.topicSize = static_cast<std::uint32_t>(message.topic.size());
    entry.payloadSize = static_cast<std::uint32_t>(message.payload.size());

    bool stored = false;
    if (active_ < 0 || activeFd_ < 0 || segments_[static_cast<std::size_t>(active_)].size >= kSegmentBytes) {
        openActive(seq);
    }
    if (activeFd_ >= 0) {
        Segment& segment = segments_[static_cast<std::size_t>(active_)];
        char head[96];
        std::snprintf(head, sizeof head, "%llu %lld %u %u\n", static_cast<unsigned long long>(seq),
                      static_cast<long long>(message.dataTime), entry.topicSize, entry.payloadSize);
        const std::string record = head + message.topic + message.payload + "\n";
        if (recording::FileBytes::writeAll(activeFd_, record)) {
            entry.segment = active_;
            entry.offset = segment.size + std::strlen(head);
            segment.size += record.size();
            segment.lastSeq = seq;
            stored = true;
        } else {
            // Cut off whatever part of the record went in, so that the file stays readable.
            const int error = errno;
            if (::ftruncate(activeFd_, static_cast<off_t>(segment.size)) != 0) {
                ::close(activeFd_);
                activeFd_ = -1;
            }
            if (!writeFailing_) {
                log_("MQTT queue cannot be written in " + directory_ + ": " + std::strerror(error) +
                     "; messages are kept in memory until it can");
            }
            writeFailing_ = true;
        }
    }
    if (stored && writeFailing_) {
        writeFailing_ = false;
        log_("MQTT queue in " + directory_ + " is written again");
    }
    if (!stored) entry.memory = message.topic + message.payload;
    entries_.push_back(std::move(entry));
    dropExpired(message.dataTime);
    return seq;
}

void DiskQueue::dropExpired(std::int64_t newest) {
    std::size_t count = 0;
    std::int64_t from = 0, to = 0;
    while (!entries_.empty() && entries_.front().dataTime < newest - maxAge_) {
        if (count == 0) from = entries_.front().dataTime;
        to = entries_.front().dataTime;
        done_ = std::max(done_, entries_.front().seq);
        entries_.pop_front();
        if (cursor_ > 0) --cursor_;
        ++count;
    }
    if (count == 0) return;
    droppedTotal_ += count;
    advanceDone();
    log_("MQTT queue full (" + std::to_string(maxAge_ / 86400) + " days): dropped the " + std::to_string(count) +
         " oldest unsent message" + (count == 1 ? "" : "s") + " (data from " + UtcTime::fromEpoch(from).iso(true) +
         " to " + UtcTime::fromEpoch(to).iso(true) + ")");
    removeFinishedSegments();
}

std::optional<OutgoingMessage> DiskQueue::read(const Entry& entry) {
    std::string bytes;
    if (entry.segment < 0) {
        bytes = entry.memory;
    } else {
        if (readSegment_ != entry.segment) {
            if (readFd_ >= 0) ::close(readFd_);
            readFd_ = ::open(segments_[static_cast<std::size_t>(entry.segment)].path.c_str(), O_RDONLY | O_CLOEXEC);
            readSegment_ = readFd_ >= 0 ? entry.segment : -1;
        }
        if (readFd_ < 0 || !recording::FileBytes::readAt(readFd_, entry.offset, entry.topicSize + entry.payloadSize, bytes)) {
            log_("MQTT queue file " + segments_[static_cast<std::size_t>(entry.segment)].path +
                 " cannot be read: " + std::strerror(errno) + "; message " + std::to_string(entry.seq) +
                 " is skipped");
            return std::nullopt;
        }
    }
    OutgoingMessage message;
    message.topic = bytes.substr(0, entry.topicSize);
    message.payload = bytes.substr(entry.topicSize);
    message.dataTime = entry.dataTime;
    return message;
}

std::optional<std::pair<std::uint64_t, OutgoingMessage>> DiskQueue::next() {
    while (cursor_ < entries_.size()) {
        const Entry& entry = entries_[cursor_++];
        if (ackedAhead_.count(entry.seq) != 0) continue;
        auto message = read(entry);
        if (!message) {
            acknowledge(entry.seq);
            continue;
        }
        return std::make_pair(entry.seq, std::move(*message));
    }
    return std::nullopt;
}

void DiskQueue::rewind() { cursor_ = 0; }

void DiskQueue::acknowledge(std::uint64_t seq) {
    if (seq <= done_) return;
    ackedAhead_.insert(seq);
    advanceDone();
}

void DiskQueue::advanceDone() {
    while (!entries_.empty() && ackedAhead_.count(entries_.front().seq) != 0) {
        ackedAhead_.erase(entries_.front().seq);
        done_ = std::max(done_, entries_.front().seq);
        entries_.pop_front();
        if (cursor_ > 0) --cursor_;
    }
    while (!ackedAhead_.empty() && *ackedAhead_.begin() <= done_) ackedAhead_.erase(ackedAhead_.begin());
    if (entries_.empty()) done_ = std::max(done_, nextSeq_ - 1);
    removeFinishedSegments();
}

void DiskQueue::removeFinishedSegments() {
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        Segment& segment = segments_[i];
        if (segment.gone || segment.lastSeq > done_) continue;
        // The active segment is only replaced once it has grown large.
        if (static_cast<int>(i) == active_ && segment.size < kSegmentBytes) continue;
        // The acknowledged position goes to disk before the messages it covers go.
        if (writtenDone_ < segment.lastSeq) writeAcked();
        if (writtenDone_ < segment.lastSeq) continue;
        if (static_cast<int>(i) == active_) {
            if (activeFd_ >= 0) ::close(activeFd_);
            activeFd_ = -1;
            active_ = -1;
        }
        if (readSegment_ == static_cast<int>(i)) {
            ::close(readFd_);
            readFd_ = -1;
            readSegment_ = -1;
        }
        ::unlink(segment.path.c_str());
        segment.gone = true;
    }
}

void DiskQueue::writeAcked() {
    const std::string path = directory_ + "/acked";
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const bool ok = recording::FileBytes::writeAll(fd, std::to_string(done_) + "\n");
    ::close(fd);
    if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) writtenDone_ = done_;
}

void DiskQueue::sync() {
    if (writtenDone_ != done_) writeAcked();
}

}  // namespace zuva::network
