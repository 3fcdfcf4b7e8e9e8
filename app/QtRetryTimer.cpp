#include "app/QtRetryTimer.h"

namespace zuva::app {

QtRetryTimer::QtRetryTimer() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTimeout_) onTimeout_();
    });
}

}  // namespace zuva::app
