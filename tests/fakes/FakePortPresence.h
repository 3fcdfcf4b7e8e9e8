#pragma once

#include <string>

#include "acquisition/PortPresence.h"

namespace zuva::fakes {

// Port detection with a port the test names; portGone makes the next check fall
// back to "COM99" as the detection does when the port has disappeared.
class FakePortPresence final : public acquisition::PortPresence {
public:
    void CheckComPort() override {
        ++checks;
        if (portGone) selected = acquisition::kNoPort;
    }
    std::string SelectedPort() const override { return selected; }

    std::string selected = "/dev/ttyS0";
    bool portGone = false;
    int checks = 0;
};

}  // namespace zuva::fakes
