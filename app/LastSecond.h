#pragma once

#include <string>

#include "acquisition/SecondListener.h"
#include "service/WatchdogGate.h"

namespace zuva::app {

// The last completed second as "YYYY-MM-DD HH:MM:SS" for the service status; each
// second also tells the watchdog gate that data arrive.
class LastSecond final : public acquisition::SecondListener {
public:
    explicit LastSecond(service::WatchdogGate& gate) : gate_(gate) {}
    void secondCompleted(const acquisition::CompletedSecond& s) override;
    const std::string& text() const { return text_; }

private:
    service::WatchdogGate& gate_;
    std::string text_;
};

}  // namespace zuva::app
