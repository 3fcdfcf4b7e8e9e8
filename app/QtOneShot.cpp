#include "app/QtOneShot.h"

namespace zuva::app {

QtOneShot::QtOneShot() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTimeout_) onTimeout_();
    });
}

}  // namespace zuva::app
