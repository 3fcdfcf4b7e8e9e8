#include "serial/TComBuffer.h"

namespace zuva::serial {

void TComBuffer::change(int& field, int value) {
    const int even = value - (value & 1);
    if (field == even) return;
    field = even;
    owner_.settingChanged(SettingsGroup::QueueSizes);
}

void TComBuffer::SetInputSize(int value) { change(inputSize_, value); }
void TComBuffer::SetOutputSize(int value) { change(outputSize_, value); }

}  // namespace zuva::serial
