#include "settings/dialogs/ButtonRow.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace zuva::settings {

QHBoxLayout* makeButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons) {
        button->setAutoDefault(false);
        row->addWidget(button);
        row->addStretch();
    }
    return row;
}

}  // namespace zuva::settings
