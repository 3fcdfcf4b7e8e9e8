#pragma once

#include "serial/ComSettingsOwner.h"

namespace zuva::serial {

// The queue sizes asked for the device, in bytes; an odd value is lowered by one.
// Linux sizes a tty's queues itself, so opening only checks that both are positive.
class TComBuffer {
public:
    explicit TComBuffer(ComSettingsOwner& owner) : owner_(owner) {}
    TComBuffer(const TComBuffer&) = delete;
    TComBuffer& operator=(const TComBuffer&) = delete;

    int InputSize() const { return inputSize_; }
    int OutputSize() const { return outputSize_; }
    void SetInputSize(int value);
    void SetOutputSize(int value);

private:
    void change(int& field, int value);

    ComSettingsOwner& owner_;
    int inputSize_ = 51200;
    int outputSize_ = 1024;
};

}  // namespace zuva::serial
