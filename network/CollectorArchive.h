#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "network/CollectorDayFile.h"
#include "network/ImpfPayload.h"
#include "products/FieldValue.h"

namespace zuva::network {

// The collector's archive: every data message of every station goes into the
// station's IAGA-2002 day files under `<out>/<code>/`, one-second and one-minute,
// late values filled in and repeated ones ignored, so that the files equal what
// each station recorded. A message it cannot use gets one log line (once per topic
// until a good one comes on it) and changes nothing.
class CollectorArchive {
public:
    using Log = std::function<void(const std::string&)>;
    // Told of every value written: station code, interval, the value's time.
    using Written = std::function<void(const std::string&, products::Interval, std::int64_t)>;

    CollectorArchive(std::string outDirectory, Log log);

    // A message from the broker. Returns true when it was a usable data message.
    bool message(const std::string& topic, const std::string& payload);
    void setWritten(Written written) { written_ = std::move(written); }

    struct Counts {
        std::uint64_t messages = 0;  // data messages taken
        std::uint64_t values = 0;    // records written or filled in
        std::uint64_t repeats = 0;   // values already there
        std::uint64_t refused = 0;   // messages that could not be used
    };
    const Counts& counts() const { return counts_; }

    // Open day files at most; the least recently used is closed beyond it.
    static constexpr std::size_t kOpenFiles = 256;

private:
    CollectorDayFile& file(const std::string& code, products::Interval interval, int level, std::int64_t dayStart);
    void refuse(const std::string& topic, const std::string& why);

    std::string out_;
    Log log_;
    Written written_;
    std::map<std::string, std::unique_ptr<CollectorDayFile>> files_;
    std::map<std::string, std::uint64_t> lastUse_;
    std::uint64_t useCounter_ = 0;
    std::map<std::string, StationMetadata> metadata_;  // by station code, the newest seen
    std::set<std::string> refusedTopics_;
    Counts counts_;
};

}  // namespace zuva::network
