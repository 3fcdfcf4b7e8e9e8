#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "products/FieldValue.h"

namespace zuva::products {

// Streaming one-second filter: takes the seconds of a recording in time order (the
// samples of each in nT, at 1 to 256 Hz) and hands out the one-second value of every
// second, in time order and once each, as soon as the seconds up to 11 s after it
// are in (SecondFilterKernel). A value is computed when the seconds present carry at
// least 90 % of the kernel's weight, renormalised over them; otherwise it is NaN.
//
// The values begin at the first second taken. A gap of up to kMaxBridgedGap seconds
// is bridged with the values it leaves missing; after a longer one the values end
// where the data before it stop reaching (as finish() does) and begin again at the
// second after the gap.
class SecondFilter {
public:
    using Output = std::function<void(const FieldValue&)>;
    static constexpr std::int64_t kMaxBridgedGap = 3600;

    explicit SecondFilter(Output out) : out_(std::move(out)) {}

    // The second that begins at `time` (UTC epoch seconds), `rate` samples of each
    // component in time order. Returns false, taking nothing, for a second that is
    // not later than the last one taken. Throws std::invalid_argument for a rate
    // that is not 1, 2, 4, ..., 256 or spans of another length.
    bool add(std::int64_t time, int rate, std::span<const double> x, std::span<const double> y,
             std::span<const double> z);
    // Hands out the values still waiting, those the data taken reach, and starts afresh.
    void finish();

    // The one-second value at `time` from seconds given by lookup(second) (null: missing),
    // as the streaming filter computes it.
    struct Second {
        int rate = 0;
        const double* x = nullptr;
        const double* y = nullptr;
        const double* z = nullptr;
    };
    static FieldValue evaluate(std::int64_t time, const std::function<Second(std::int64_t)>& lookup);

private:
    struct Slot {
        std::int64_t time = INT64_MIN;
        int rate = 0;
        std::vector<double> x, y, z;
    };
    static constexpr std::size_t kSlots = 64;

    Slot& slot(std::int64_t time) { return slots_[static_cast<std::size_t>(time & (kSlots - 1))]; }
    void emitUpTo(std::int64_t last);

    Output out_;
    std::array<Slot, kSlots> slots_{};
    bool started_ = false;
    std::int64_t next_ = 0;  // the next value to hand out
    std::int64_t last_ = 0;  // the last second taken
};

}  // namespace zuva::products
