// Each fall behind of the data file writing counted once, however long it lasts.
#include "app/BacklogStarts.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace zuva::app {
namespace {

TEST(BacklogStarts, EachBacklogIsToldOnceWhenItsFirstSecondFindsSecondsWaiting) {
    const std::vector<std::size_t> waitingAtEachSecond{0, 2, 3, 3, 0, 0, 1, 0, 5};
    std::size_t second = 0;
    std::vector<std::size_t> startedAt;
    BacklogStarts starts([&] { return waitingAtEachSecond[second]; }, [&] { startedAt.push_back(second); });
    const acquisition::CompletedSecond completed{};
    for (second = 0; second < waitingAtEachSecond.size(); ++second) starts.secondCompleted(completed);
    EXPECT_EQ(startedAt, (std::vector<std::size_t>{1, 6, 8}));
}

}  // namespace
}  // namespace zuva::app
