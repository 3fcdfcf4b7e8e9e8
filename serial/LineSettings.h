#pragma once

#include <cstdint>

#include "serial/ComTypes.h"

namespace zuva::serial {

// Every value of the line-settings group, as handed to the device in one piece.
// The defaults are the line the program runs: 115200 8N1, RTS on, DTR off, no flow control.
struct LineSettings {
    TBaudRate baudRate = TBaudRate::br115200;
    int customBaudRate = 9600;
    TDataBits dataBits = TDataBits::dbEight;
    TParityBits parity = TParityBits::prNone;
    bool parityCheck = false;
    bool parityReplace = false;
    std::uint8_t parityReplaceChar = 0;
    TStopBits stopBits = TStopBits::sbOneStopBit;
    TDTRFlowControl dtr = TDTRFlowControl::dtrDisable;
    TRTSFlowControl rts = TRTSFlowControl::rtsEnable;
    bool outCtsFlow = false;
    bool outDsrFlow = false;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    bool xonXoffIn = false;
    bool xonXoffOut = false;
    std::uint8_t xonChar = 0x11;
    std::uint8_t xoffChar = 0x13;
    bool discardNull = false;
    std::uint8_t eventChar = 0;
};

}  // namespace zuva::serial
