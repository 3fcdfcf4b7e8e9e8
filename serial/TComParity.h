#pragma once

#include <cstdint>

#include "serial/ComSettingsOwner.h"
#include "serial/ComTypes.h"

namespace zuva::serial {

// The parity settings of a port (part of the line settings).
class TComParity {
public:
    explicit TComParity(ComSettingsOwner& owner) : owner_(owner) {}
    TComParity(const TComParity&) = delete;
    TComParity& operator=(const TComParity&) = delete;

    TParityBits Bits() const { return bits_; }
    bool Check() const { return check_; }
    bool Replace() const { return replace_; }
    std::uint8_t ReplaceChar() const { return replaceChar_; }

    void SetBits(TParityBits value);
    void SetCheck(bool value);
    void SetReplace(bool value);
    void SetReplaceChar(std::uint8_t value);

private:
    ComSettingsOwner& owner_;
    TParityBits bits_ = TParityBits::prNone;
    bool check_ = false;
    bool replace_ = false;
    std::uint8_t replaceChar_ = 0;
};

}  // namespace zuva::serial
