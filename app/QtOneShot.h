#pragma once

#include <QTimer>

#include <functional>

namespace zuva::app {

// A one-shot QTimer of the main thread that runs a handler on expiry: what the
// program's Qt timers (no-response, port retry) are made of.
class QtOneShot {
public:
    QtOneShot();
    void setOnTimeout(std::function<void()> onTimeout) { onTimeout_ = std::move(onTimeout); }

protected:
    QTimer timer_;

private:
    std::function<void()> onTimeout_;
};

}  // namespace zuva::app
