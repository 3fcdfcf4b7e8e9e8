#include "serial/TComTimeouts.h"

namespace zuva::serial {

void TComTimeouts::change(int& field, int value) {
    if (field == value) return;
    field = value;
    owner_.settingChanged(SettingsGroup::Timeouts);
}

void TComTimeouts::SetReadInterval(int value) { change(readInterval_, value); }
void TComTimeouts::SetReadTotalMultiplier(int value) { change(readTotalMultiplier_, value); }
void TComTimeouts::SetReadTotalConstant(int value) { change(readTotalConstant_, value); }
void TComTimeouts::SetWriteTotalMultiplier(int value) { change(writeTotalMultiplier_, value); }
void TComTimeouts::SetWriteTotalConstant(int value) { change(writeTotalConstant_, value); }

}  // namespace zuva::serial
