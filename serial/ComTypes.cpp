#include "serial/ComTypes.h"

namespace zuva::serial {

int baudRateValue(TBaudRate rate, int customRate) {
    switch (rate) {
        case TBaudRate::brCustom: return customRate;
        case TBaudRate::br110: return 110;
        case TBaudRate::br300: return 300;
        case TBaudRate::br600: return 600;
        case TBaudRate::br1200: return 1200;
        case TBaudRate::br2400: return 2400;
        case TBaudRate::br4800: return 4800;
        case TBaudRate::br9600: return 9600;
        case TBaudRate::br14400: return 14400;
        case TBaudRate::br19200: return 19200;
        case TBaudRate::br38400: return 38400;
        case TBaudRate::br56000: return 56000;
        case TBaudRate::br57600: return 57600;
        case TBaudRate::br115200: return 115200;
        case TBaudRate::br128000: return 128000;
        case TBaudRate::br256000: return 256000;
    }
    return 0;
}

int dataBitsValue(TDataBits bits) {
    switch (bits) {
        case TDataBits::dbFive: return 5;
        case TDataBits::dbSix: return 6;
        case TDataBits::dbSeven: return 7;
        case TDataBits::dbEight: return 8;
    }
    return 8;
}

}  // namespace zuva::serial
