#pragma once

#include <span>
#include <vector>

#include "acquisition/ChartFeed.h"
#include "fakes/CallJournal.h"

namespace zuva::fakes {

// Chart series that keep every batch of points and count the resets.
class FakeChartFeed final : public acquisition::ChartFeed {
public:
    void addPoints(std::span<const acquisition::ChartPoint> points) override {
        batches.emplace_back(points.begin(), points.end());
        if (journal) journal->add("points");
    }
    void ResetAxisAndSeries() override {
        ++resets;
        if (journal) journal->add("reset charts");
    }

    std::vector<std::vector<acquisition::ChartPoint>> batches;
    int resets = 0;
    CallJournal* journal = nullptr;
};

}  // namespace zuva::fakes
