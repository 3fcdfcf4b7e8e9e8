#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "network/OutgoingMessage.h"

namespace zuva::network {

// The store-and-forward queue: every message is appended to a segment file in the
// queue directory before it is offered to the broker, and stays there until the
// broker has acknowledged it. Messages come out in the order they went in, also
// after a restart or a kill -9 (an append that was cut short is cut off on opening).
// At most `maxAgeSeconds` of data time are kept: on overflow the oldest messages are
// dropped, with one log line per drop.
//
// Files: "q<first sequence number, 16 digits>.seg" segments of records
//   "<seq> <dataTime> <topic bytes> <payload bytes>\n" topic payload "\n"
// and "acked" with the sequence number up to which every message is done.
// Not thread-safe: one thread owns it.
class DiskQueue {
public:
    using Log = std::function<void(const std::string&)>;

    // Opens (creating it if needed) the queue in `directory` and reads what a
    // previous run left there. Problems go to `log`.
    DiskQueue(std::string directory, std::int64_t maxAgeSeconds, Log log);
    ~DiskQueue();
    DiskQueue(const DiskQueue&) = delete;
    DiskQueue& operator=(const DiskQueue&) = delete;

    // Appends a message; returns its sequence number. A message the disk refuses is
    // kept in memory (one log line until writes succeed again).
    std::uint64_t push(const OutgoingMessage& message);

    // Messages not yet acknowledged.
    std::size_t pending() const { return entries_.size(); }
    // The next message to offer after those already offered; nullopt when all are out.
    std::optional<std::pair<std::uint64_t, OutgoingMessage>> next();
    // Messages not offered yet.
    bool hasUnoffered() const { return cursor_ < entries_.size(); }
    // Offers start again from the oldest unacknowledged message (after a lost connection).
    void rewind();
    // The broker took message `seq`.
    void acknowledge(std::uint64_t seq);
    // The highest sequence number handed out so far (0: none).
    std::uint64_t lastSequence() const { return nextSeq_ - 1; }
    // Every message up to this one is acknowledged or dropped.
    std::uint64_t doneThrough() const { return done_; }
    std::uint64_t droppedTotal() const { return droppedTotal_; }

    // Writes the acknowledged position now (done lazily otherwise).
    void sync();

    static constexpr std::size_t kSegmentBytes = 1u << 20;

private:
    struct Entry {
        std::uint64_t seq = 0;
        std::int64_t dataTime = 0;
        int segment = -1;        // index into segments_, -1: held in memory
        std::uint64_t offset = 0;  // of the topic within the segment file
        std::uint32_t topicSize = 0;
        std::uint32_t payloadSize = 0;
        std::string memory;      // topic + payload when not on disk
    };
    struct Segment {
        std::string path;
        std::uint64_t size = 0;
        std::uint64_t lastSeq = 0;
        bool gone = false;
    };

    void load();
    void loadSegment(const std::string& path);
    bool openActive(std::uint64_t firstSeq);
    void advanceDone();
    void dropExpired(std::int64_t newest);
    void removeFinishedSegments();
    void writeAcked();
    std::optional<OutgoingMessage> read(const Entry& entry);

    std::string directory_;
    std::int64_t maxAge_;
    Log log_;
    std::deque<Entry> entries_;       // unacknowledged, in order
    std::set<std::uint64_t> ackedAhead_;
    std::vector<Segment> segments_;
    int activeFd_ = -1;
    int active_ = -1;
    std::uint64_t nextSeq_ = 1;
    std::uint64_t done_ = 0;
    std::uint64_t writtenDone_ = 0;
    std::size_t cursor_ = 0;          // index into entries_ of the next message to offer
    std::uint64_t droppedTotal_ = 0;
    bool writeFailing_ = false;
    int readFd_ = -1;
    int readSegment_ = -1;
};

}  // namespace zuva::network
