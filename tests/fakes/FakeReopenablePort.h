#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/ReopenablePort.h"
#include "fakes/CallJournal.h"

namespace zuva::fakes {

// A port that can vanish and come back: `listed` holds the names the port list
// shows, failOpens makes the next reopenings fail as a device that is not ready
// does, failListings makes the next port listings fail.
class FakeReopenablePort final : public acquisition::ReopenablePort {
public:
    std::string PortName() const override { return name; }
    bool PortListed() override {
        ++listings;
        if (failListings > 0) {
            --failListings;
            throw std::runtime_error("Registry error (system error 2)");
        }
        return std::find(listed.begin(), listed.end(), name) != listed.end();
    }
    void ReleasePort() override {
        ++releases;
        open = false;
        if (journal) journal->add("release port");
    }
    void ReopenPort() override {
        ++openAttempts;
        openedNames.push_back(name);
        if (failOpens > 0) {
            --failOpens;
            throw std::runtime_error("Unable to open com port (system error 16)");
        }
        open = true;
        if (journal) journal->add("reopen " + name);
    }

    std::string name = "/dev/ttyUSB0";
    std::vector<std::string> listed;
    bool open = true;
    int failOpens = 0;
    int failListings = 0;
    int listings = 0;
    int releases = 0;
    int openAttempts = 0;
    std::vector<std::string> openedNames;  // every name an opening was tried with
    CallJournal* journal = nullptr;
};

}  // namespace zuva::fakes
