#pragma once

#include <string>
#include <vector>

namespace zuva::fakes {

// One ordered list of what several fakes were asked to do, for tests that check the
// order of calls across them (e.g. "record written, then control byte sent").
struct CallJournal {
    std::vector<std::string> calls;
    void add(const std::string& call) { calls.push_back(call); }
};

}  // namespace zuva::fakes
