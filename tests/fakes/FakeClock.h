#pragma once

#include "recording/Clock.h"

namespace zuva::fakes {

// A clock that reads what the test set; advance() moves it on by milliseconds
// across seconds, minutes, hours and days (Gregorian calendar).
class FakeClock final : public recording::Clock {
public:
    explicit FakeClock(recording::LocalDateTime start = {2024, 6, 30, 10, 20, 30, 0}) : now_(start) {}
    recording::LocalDateTime now() const override { return now_; }
    void set(recording::LocalDateTime t) { now_ = t; }
    void advance(long milliseconds);

private:
    recording::LocalDateTime now_;
};

}  // namespace zuva::fakes
