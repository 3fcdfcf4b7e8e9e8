#pragma once

#include <initializer_list>

class QHBoxLayout;
class QPushButton;

namespace zuva::settings {

// The dialogs' row of buttons, left to right with even space around them. The
// buttons never take Enter as a default, so typing in a field does not close a dialog.
QHBoxLayout* makeButtonRow(std::initializer_list<QPushButton*> buttons);

}  // namespace zuva::settings
