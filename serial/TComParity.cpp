#include "serial/TComParity.h"

namespace zuva::serial {

namespace {
template <typename T>
void change(T& field, T value, ComSettingsOwner& owner) {
    if (field == value) return;
    field = value;
    owner.settingChanged(SettingsGroup::Line);
}
}  // namespace

void TComParity::SetBits(TParityBits value) { change(bits_, value, owner_); }
void TComParity::SetCheck(bool value) { change(check_, value, owner_); }
void TComParity::SetReplace(bool value) { change(replace_, value, owner_); }
void TComParity::SetReplaceChar(std::uint8_t value) { change(replaceChar_, value, owner_); }

}  // namespace zuva::serial
