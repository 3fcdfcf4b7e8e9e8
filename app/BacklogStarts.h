#pragma once

#include <cstddef>
#include <functional>
#include <utility>

#include "acquisition/SecondListener.h"

namespace zuva::app {

// Tells each time the data file writing falls behind: a completed second that finds
// seconds waiting to be written when the second before found none.
class BacklogStarts final : public acquisition::SecondListener {
public:
    // waiting: the seconds waiting now; started: called once per backlog.
    BacklogStarts(std::function<std::size_t()> waiting, std::function<void()> started)
        : waiting_(std::move(waiting)), started_(std::move(started)) {}

    void secondCompleted(const acquisition::CompletedSecond&) override {
        const bool behind = waiting_() > 0;
        if (behind && !behind_ && started_) started_();
        behind_ = behind;
    }

private:
    std::function<std::size_t()> waiting_;
    std::function<void()> started_;
    bool behind_ = false;
};

}  // namespace zuva::app
