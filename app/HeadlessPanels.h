#pragma once

#include <cstddef>
#include <string>

#include "acquisition/StatusPanels.h"
#include "app/HeadlessStatus.h"

namespace zuva::app {

// The status panels of the headless recorder: the texts go to the status line, and
// the write backlog is kept for the service status.
class HeadlessPanels final : public acquisition::StatusPanels {
public:
    // The status line, which needs the data file writer the core owns, comes later.
    void setStatus(HeadlessStatus* status) { status_ = status; }

    void setPanelText(int panel, const std::string& text) override {
        if (status_) status_->setPanelText(panel, text);
    }
    void setBacklog(std::size_t seconds) override {
        backlog_ = seconds;
        if (status_) status_->setBacklog(seconds);
    }
    std::size_t backlog() const { return backlog_; }

private:
    HeadlessStatus* status_ = nullptr;
    std::size_t backlog_ = 0;
};

}  // namespace zuva::app
