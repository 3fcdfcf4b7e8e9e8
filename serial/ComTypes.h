#pragma once

#include <cstdint>

namespace zuva::serial {

// Bit rates as the component names them; brCustom uses the separately held custom rate.
enum class TBaudRate {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000
};

enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum class TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

// The three groups in which settings reach the device, always as a whole group.
enum class SettingsGroup { QueueSizes, Line, Timeouts };

// The bit rate a TBaudRate value stands for (customRate for brCustom).
int baudRateValue(TBaudRate rate, int customRate);

// 5..8 for dbFive..dbEight.
int dataBitsValue(TDataBits bits);

}  // namespace zuva::serial
