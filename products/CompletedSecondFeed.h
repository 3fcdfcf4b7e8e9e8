#pragma once

#include <array>

#include "acquisition/SecondListener.h"
#include "products/FilterChain.h"
#include "recording/LogSink.h"

namespace zuva::products {

// Feeds the live stream of completed seconds into the data products' filter chain:
// the instrument's date and time as UTC, the stored values in nT. Seconds on the PC
// clock (an unset instrument clock) have no trustworthy UTC time and are left out,
// with one log line until seconds on the instrument's clock come again; so are
// seconds whose time is not later than the last one taken, with one log line per
// episode.
class CompletedSecondFeed final : public acquisition::SecondListener {
public:
    CompletedSecondFeed(FilterChain& chain, recording::LogSink& log) : chain_(chain), log_(log) {}

    void secondCompleted(const acquisition::CompletedSecond& second) override;

private:
    FilterChain& chain_;
    recording::LogSink& log_;
    bool pcClockLogged_ = false;
    bool outOfOrderLogged_ = false;
    std::array<double, 256> x_{}, y_{}, z_{};
};

}  // namespace zuva::products
