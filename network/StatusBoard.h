#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zuva::network {

// The stations' retained status messages, as `zuva-collect --status` shows them:
// one line per station, sorted by code, with its state, last second and lag.
class StatusBoard {
public:
    // A message on zuva/<code>/status; anything else is ignored. Returns true when taken.
    bool message(const std::string& topic, const std::string& payload);
    std::size_t size() const { return stations_.size(); }
    // "abc  recording  last second 2026-03-14T10:20:41  lag 3 s" per station; `now` in UTC seconds.
    std::vector<std::string> lines(std::int64_t now) const;

private:
    std::map<std::string, std::string> stations_;  // code -> payload
};

}  // namespace zuva::network
