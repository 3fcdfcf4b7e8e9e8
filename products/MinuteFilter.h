#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "products/FieldValue.h"

namespace zuva::products {

// Streaming one-minute filter: takes one-second values in time order and hands out
// the value of every minute (centred on hh:mm:00), in time order and once each, as
// soon as the second 45 s after the minute is in. Each component is filtered on its
// own with INTERMAGNET's 91 weights (MinuteFilterCoefficients): computed when the
// seconds present carry at least 90 % of the weight, renormalised over them;
// otherwise NaN. Missing one-second values (NaN, or seconds skipped in the input)
// count as absent.
//
// The values begin at the first minute whose window holds the first second taken.
// A gap of up to kMaxBridgedGap seconds is bridged; after a longer one the values
// end where the data before it stop reaching and begin again after the gap.
class MinuteFilter {
public:
    using Output = std::function<void(const FieldValue&)>;
    static constexpr std::int64_t kMaxBridgedGap = 3600;

    explicit MinuteFilter(Output out) : out_(std::move(out)) {}

    // Returns false, taking nothing, for a value not later than the last one taken.
    bool add(const FieldValue& second);
    void finish();

    // The one-minute value at `minute` from the one-second values lookup(second)
    // gives (NaN components: absent), as the streaming filter computes it.
    static FieldValue evaluate(std::int64_t minute, const std::function<FieldValue(std::int64_t)>& lookup);

private:
    static constexpr std::size_t kSlots = 128;
    void emitUpTo(std::int64_t last);

    Output out_;
    std::array<FieldValue, kSlots> slots_{};
    std::array<bool, kSlots> used_{};
    bool started_ = false;
    std::int64_t next_ = 0;  // the next minute to hand out
    std::int64_t last_ = 0;
};

}  // namespace zuva::products
