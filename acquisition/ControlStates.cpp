#include "acquisition/ControlStates.h"

#include <algorithm>

namespace zuva::acquisition {

ControlStates::ControlStates() { enabled_.fill(true); }

bool ControlStates::isEnabled(Control control) const { return enabled_[static_cast<std::size_t>(control)]; }

void ControlStates::setEnabled(Control control, bool enabled) {
    bool& slot = enabled_[static_cast<std::size_t>(control)];
    if (slot == enabled) return;
    slot = enabled;
    // A copy, so an observer may add or remove observers while being told.
    const auto observers = observers_;
    for (const auto& entry : observers) entry.second(control, enabled);
}

int ControlStates::addObserver(Observer observer) {
    const int id = nextObserverId_++;
    observers_.emplace_back(id, std::move(observer));
    return id;
}

void ControlStates::removeObserver(int id) {
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace zuva::acquisition
