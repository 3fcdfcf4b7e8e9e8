#pragma once

#include <cstddef>
#include <vector>

namespace zuva::products {

// The low-pass filter that turns the samples of a recording (1 to 256 Hz) into
// one-second values centred on the UTC second: a Blackman-windowed sinc, cut off at
// 0.35 Hz, 24 s wide (12 s either side of the second). It passes DC to 0.2 Hz
// unchanged within 0.1 %, and damps 0.5 Hz and above by more than 70 dB, so that
// nothing above the Nyquist frequency of one-second data aliases into them.
//
// A stored value of a record at rate N is the mean of the 256 / N raw samples of a
// group; its instant is the middle of that group: sample k of second s stands at
// s + (k * A + (A - 1) / 2) / 256 with A = 256 / N. Each value is weighted by the
// kernel at its time offset from the second, divided by N, so that seconds of
// different rates weigh alike.
class SecondFilterKernel {
public:
    static constexpr int kBefore = 12;  // the input seconds s-12 .. s+11 reach the value of s
    static constexpr int kAfter = 11;
    static constexpr int kSeconds = kBefore + kAfter + 1;
    static constexpr double kHalfWidth = 12.0;
    static constexpr double kCutoff = 0.35;

    // The kernel at a time offset in seconds (0 beyond +-kHalfWidth).
    static double at(double offset);

    // The weights for a rate (1, 2, 4, ..., 256 Hz): entry (d + kBefore) * rate + k is
    // the weight of sample k of the second d seconds after the output second.
    // Throws std::invalid_argument for other rates.
    static const std::vector<double>& weights(int rate);
    // The sum of the weights of one whole second d seconds after the output second.
    static double secondWeight(int rate, int d);
    // The instant of sample k within its second at the rate, in seconds.
    static double sampleOffset(int rate, int k);
};

}  // namespace zuva::products
