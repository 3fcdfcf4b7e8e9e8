#pragma once

#include <cstdint>

#include "serial/ComSettingsOwner.h"
#include "serial/ComTypes.h"

namespace zuva::serial {

// The modem-line and flow-control settings of a port (part of the line settings).
// Defaults: DTR held off, RTS held on, no hardware or software flow control.
class TComFlowControl {
public:
    explicit TComFlowControl(ComSettingsOwner& owner) : owner_(owner) {}
    TComFlowControl(const TComFlowControl&) = delete;
    TComFlowControl& operator=(const TComFlowControl&) = delete;

    TDTRFlowControl ControlDTR() const { return dtr_; }
    TRTSFlowControl ControlRTS() const { return rts_; }
    bool OutCTSFlow() const { return outCts_; }
    bool OutDSRFlow() const { return outDsr_; }
    bool XonXoffIn() const { return xonXoffIn_; }
    bool XonXoffOut() const { return xonXoffOut_; }
    bool DSRSensitivity() const { return dsrSensitivity_; }
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    std::uint8_t XonChar() const { return xonChar_; }
    std::uint8_t XoffChar() const { return xoffChar_; }

    void SetControlDTR(TDTRFlowControl value);
    void SetControlRTS(TRTSFlowControl value);
    void SetOutCTSFlow(bool value);
    void SetOutDSRFlow(bool value);
    void SetXonXoffIn(bool value);
    void SetXonXoffOut(bool value);
    void SetDSRSensitivity(bool value);
    void SetTxContinueOnXoff(bool value);
    void SetXonChar(std::uint8_t value);
    void SetXoffChar(std::uint8_t value);

    // Copies every value of another port's flow control (one change notice).
    void Assign(const TComFlowControl& other);

private:
    template <typename T>
    void change(T& field, T value);

    ComSettingsOwner& owner_;
    TDTRFlowControl dtr_ = TDTRFlowControl::dtrDisable;
    TRTSFlowControl rts_ = TRTSFlowControl::rtsEnable;
    bool outCts_ = false;
    bool outDsr_ = false;
    bool xonXoffIn_ = false;
    bool xonXoffOut_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    std::uint8_t xonChar_ = 0x11;
    std::uint8_t xoffChar_ = 0x13;
};

}  // namespace zuva::serial
