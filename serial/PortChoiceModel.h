#pragma once

#include <string>
#include <vector>

#include "serial/ComTypes.h"

namespace zuva::serial {

class TComPort;

// What the port-choice dialog shows and applies. Created from the port: the list
// of ports present and the entry equal to Port (ignoring letter case) selected;
// the other settings are captured so that OK gives them back unchanged.
class PortChoiceModel {
public:
    // Raises EComPort 23 when the port list cannot be read.
    explicit PortChoiceModel(TComPort& port);

    const std::vector<std::string>& Names() const { return names_; }
    // The entry preselected from Port, -1 when none.
    int SelectedIndex() const { return selected_; }
    // Remembers the user's pick; an index outside the list is ignored.
    void Pick(int index);
    int PickedIndex() const { return picked_; }
    // The name OK applies: the pick, else the preselected entry, else "".
    std::string ChosenName() const;

    // OK: in one settings batch, port then bit rate, data bits, stop bits, parity
    // and flow control (the last five as captured). When the port is open and the
    // name changed it is closed and reopened; a failed reopening leaves it closed,
    // closes the batch all the same and passes the error on.
    void ApplyOk();

private:
    TComPort& port_;
    std::vector<std::string> names_;
    int selected_ = -1;
    int picked_ = -1;
    TBaudRate baudRate_;
    TDataBits dataBits_;
    TStopBits stopBits_;
    TParityBits parity_;
};

}  // namespace zuva::serial
