#pragma once

#include "serial/ComSettingsOwner.h"

namespace zuva::serial {

// The read and write time-outs in milliseconds. ReadInterval -1 with both read
// totals 0 means a read returns at once with what is queued (the only read mode
// the component has). A write may last WriteTotalConstant + WriteTotalMultiplier
// per byte; both 0 means no limit.
class TComTimeouts {
public:
    explicit TComTimeouts(ComSettingsOwner& owner) : owner_(owner) {}
    TComTimeouts(const TComTimeouts&) = delete;
    TComTimeouts& operator=(const TComTimeouts&) = delete;

    int ReadInterval() const { return readInterval_; }
    int ReadTotalMultiplier() const { return readTotalMultiplier_; }
    int ReadTotalConstant() const { return readTotalConstant_; }
    int WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    int WriteTotalConstant() const { return writeTotalConstant_; }

    void SetReadInterval(int value);
    void SetReadTotalMultiplier(int value);
    void SetReadTotalConstant(int value);
    void SetWriteTotalMultiplier(int value);
    void SetWriteTotalConstant(int value);

private:
    void change(int& field, int value);

    ComSettingsOwner& owner_;
    int readInterval_ = -1;
    int readTotalMultiplier_ = 0;
    int readTotalConstant_ = 0;
    int writeTotalMultiplier_ = 100;
    int writeTotalConstant_ = 1000;
};

}  // namespace zuva::serial
