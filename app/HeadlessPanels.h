#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "acquisition/StatusPanels.h"
#include "app/HeadlessStatus.h"

namespace zuva::app {

// The status panels of the headless recorder: the texts go to the status line, and
// the write backlog is kept for the service status and the daily report.
class HeadlessPanels final : public acquisition::StatusPanels {
public:
    // The status line, which needs the data file writer the core owns, comes later.
    void setStatus(HeadlessStatus* status) { status_ = status; }
    // Called when seconds begin to wait for the data file.
    void setOnBacklogStarted(std::function<void()> onStarted) { onBacklogStarted_ = std::move(onStarted); }

    void setPanelText(int panel, const std::string& text) override {
        if (status_) status_->setPanelText(panel, text);
    }
    void setBacklog(std::size_t seconds) override {
        if (seconds > 0 && backlog_ == 0 && onBacklogStarted_) onBacklogStarted_();
        backlog_ = seconds;
        if (status_) status_->setBacklog(seconds);
    }
    std::size_t backlog() const { return backlog_; }

private:
    HeadlessStatus* status_ = nullptr;
    std::function<void()> onBacklogStarted_;
    std::size_t backlog_ = 0;
};

}  // namespace zuva::app
