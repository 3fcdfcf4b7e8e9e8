#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "products/FieldValue.h"
#include "products/FieldValueListener.h"

namespace zuva::products::testing {

// One second of a recording as the instrument stores it: at rate N each value is the
// mean of the 256 / N raw samples of its group, raw sample j standing at s + j / 256.
struct SynthSecond {
    std::vector<double> x, y, z;
};

inline SynthSecond synthSecond(std::int64_t s, int rate, const std::function<double(double)>& field) {
    const int averaging = 256 / rate;
    SynthSecond out;
    for (int k = 0; k < rate; ++k) {
        double sum = 0;
        for (int j = 0; j < averaging; ++j) sum += field(static_cast<double>(s) + (k * averaging + j) / 256.0);
        const double mean = sum / averaging;
        out.x.push_back(mean);
        out.y.push_back(-mean);
        out.z.push_back(2.0 * mean);
    }
    return out;
}

// Keeps every value of both intervals in the order they arrive.
class CollectingListener final : public FieldValueListener {
public:
    void valueReady(Interval interval, const FieldValue& value) override {
        (interval == Interval::Second ? seconds : minutes).push_back(value);
    }
    std::vector<FieldValue> seconds;
    std::vector<FieldValue> minutes;
};

}  // namespace zuva::products::testing
