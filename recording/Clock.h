#pragma once

namespace zuva::recording {

// A local calendar date and time of day with milliseconds.
struct LocalDateTime {
    int year = 2000;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
    int millisecond = 0;  // 0..999
};

// Source of the PC's local time. The program uses SystemClock; tests inject a fake.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

}  // namespace zuva::recording
