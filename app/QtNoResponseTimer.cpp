#include "app/QtNoResponseTimer.h"

namespace zuva::app {

QtNoResponseTimer::QtNoResponseTimer() {
    timer_.setSingleShot(true);
    timer_.setInterval(kIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTimeout_) onTimeout_();
    });
}

}  // namespace zuva::app
