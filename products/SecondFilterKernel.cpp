#include "products/SecondFilterKernel.h"

#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

namespace zuva::products {

namespace {

struct RateTable {
    std::vector<double> weights;
    std::array<double, SecondFilterKernel::kSeconds> secondSums{};
};

int rateIndex(int rate) {
    for (int i = 0; i <= 8; ++i)
        if (rate == (1 << i)) return i;
    throw std::invalid_argument("sampling rate " + std::to_string(rate) + " Hz is not 1, 2, 4, ..., 256");
}

const RateTable& table(int rate) {
    static const std::array<RateTable, 9> tables = [] {
        std::array<RateTable, 9> t;
        for (int i = 0; i <= 8; ++i) {
            const int n = 1 << i;
            RateTable& r = t[static_cast<std::size_t>(i)];
            r.weights.resize(static_cast<std::size_t>(SecondFilterKernel::kSeconds * n));
            for (int d = -SecondFilterKernel::kBefore; d <= SecondFilterKernel::kAfter; ++d) {
                double sum = 0.0;
                for (int k = 0; k < n; ++k) {
                    const double w = SecondFilterKernel::at(d + SecondFilterKernel::sampleOffset(n, k)) / n;
                    r.weights[static_cast<std::size_t>((d + SecondFilterKernel::kBefore) * n + k)] = w;
                    sum += w;
                }
                r.secondSums[static_cast<std::size_t>(d + SecondFilterKernel::kBefore)] = sum;
            }
        }
        return t;
    }();
    return tables[static_cast<std::size_t>(rateIndex(rate))];
}

}  // namespace

double SecondFilterKernel::at(double offset) {
    if (std::fabs(offset) >= kHalfWidth) return 0.0;
    const double pi = std::numbers::pi;
    const double x = 2.0 * kCutoff * offset;
    const double sinc = x == 0.0 ? 1.0 : std::sin(pi * x) / (pi * x);
    const double u = offset / kHalfWidth;  // -1 .. 1
    const double window = 0.42 + 0.5 * std::cos(pi * u) + 0.08 * std::cos(2.0 * pi * u);
    return 2.0 * kCutoff * sinc * window;
}

const std::vector<double>& SecondFilterKernel::weights(int rate) { return table(rate).weights; }

double SecondFilterKernel::secondWeight(int rate, int d) {
    return table(rate).secondSums[static_cast<std::size_t>(d + kBefore)];
}

double SecondFilterKernel::sampleOffset(int rate, int k) {
    const int averaging = 256 / rate;
    return (k * averaging + (averaging - 1) / 2.0) / 256.0;
}

}  // namespace zuva::products
