#include "serial/TComFlowControl.h"

#include <tuple>

namespace zuva::serial {

template <typename T>
void TComFlowControl::change(T& field, T value) {
    if (field == value) return;
    field = value;
    owner_.settingChanged(SettingsGroup::Line);
}

void TComFlowControl::SetControlDTR(TDTRFlowControl value) { change(dtr_, value); }
void TComFlowControl::SetControlRTS(TRTSFlowControl value) { change(rts_, value); }
void TComFlowControl::SetOutCTSFlow(bool value) { change(outCts_, value); }
void TComFlowControl::SetOutDSRFlow(bool value) { change(outDsr_, value); }
void TComFlowControl::SetXonXoffIn(bool value) { change(xonXoffIn_, value); }
void TComFlowControl::SetXonXoffOut(bool value) { change(xonXoffOut_, value); }
void TComFlowControl::SetDSRSensitivity(bool value) { change(dsrSensitivity_, value); }
void TComFlowControl::SetTxContinueOnXoff(bool value) { change(txContinueOnXoff_, value); }
void TComFlowControl::SetXonChar(std::uint8_t value) { change(xonChar_, value); }
void TComFlowControl::SetXoffChar(std::uint8_t value) { change(xoffChar_, value); }

void TComFlowControl::Assign(const TComFlowControl& other) {
    const auto values = [](auto& f) {
        return std::tie(f.dtr_, f.rts_, f.outCts_, f.outDsr_, f.xonXoffIn_, f.xonXoffOut_, f.dsrSensitivity_,
                        f.txContinueOnXoff_, f.xonChar_, f.xoffChar_);
    };
    if (values(*this) == values(other)) return;
    values(*this) = values(other);
    owner_.settingChanged(SettingsGroup::Line);
}

}  // namespace zuva::serial
