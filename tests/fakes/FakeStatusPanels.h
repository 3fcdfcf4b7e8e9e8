#pragma once

#include <array>
#include <string>

#include "acquisition/StatusPanels.h"

namespace zuva::fakes {

// The five status bar panels with their initial texts; counts every write. The
// backlog given last is kept apart (it is not a panel write).
class FakeStatusPanels final : public acquisition::StatusPanels {
public:
    void setPanelText(int panel, const std::string& text) override {
        texts.at(static_cast<std::size_t>(panel)) = text;
        ++writes;
    }
    void setBacklog(std::size_t seconds) override { backlog = seconds; }

    std::array<std::string, 5> texts{"Time", "Bx", "By", "Bz", "GPS"};
    int writes = 0;
    std::size_t backlog = 0;
};

}  // namespace zuva::fakes
