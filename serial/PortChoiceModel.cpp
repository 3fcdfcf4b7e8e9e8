#include "serial/PortChoiceModel.h"

#include <cctype>

#include "serial/TComPort.h"

namespace zuva::serial {

namespace {
bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}
}  // namespace

PortChoiceModel::PortChoiceModel(TComPort& port)
    : port_(port),
      baudRate_(port.BaudRate()),
      dataBits_(port.DataBits()),
      stopBits_(port.StopBits()),
      parity_(port.Parity().Bits()) {
    port_.ListPortNames(names_);
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (equalIgnoringCase(names_[i], port_.Port())) {
            selected_ = static_cast<int>(i);
            break;
        }
    }
}

void PortChoiceModel::Pick(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < names_.size()) picked_ = index;
}

std::string PortChoiceModel::ChosenName() const {
    if (picked_ >= 0) return names_[static_cast<std::size_t>(picked_)];
    if (selected_ >= 0) return names_[static_cast<std::size_t>(selected_)];
    return {};
}

void PortChoiceModel::ApplyOk() {
    port_.BeginUpdate();
    try {
        port_.SetPort(ChosenName());
        port_.SetBaudRate(baudRate_);
        port_.SetDataBits(dataBits_);
        port_.SetStopBits(stopBits_);
        port_.Parity().SetBits(parity_);
        // The flow-control list gives back the value it showed: nothing changes.
    } catch (...) {
        try {
            port_.EndUpdate();
        } catch (...) {
            // The first error is the one reported.
        }
        throw;
    }
    port_.EndUpdate();
}

}  // namespace zuva::serial
