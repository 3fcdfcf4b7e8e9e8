#include "app/HeadlessStatus.h"

namespace zuva::app {

void HeadlessStatus::setPanelText(int panel, const std::string& text) {
    if (panel < 0 || panel >= static_cast<int>(texts_.size())) return;
    texts_[static_cast<std::size_t>(panel)] = text;
    // Bz is the last panel a completed second shows.
    if (panel == kBz) {
        out_ << texts_[kTime] << "  " << texts_[kBx] << "  " << texts_[kBy] << "  " << texts_[kBz] << "  "
             << dataFile_.DataFileName();
        if (backlog_ > 0) out_ << "  " << backlogText(backlog_);
        out_ << std::endl;
    }
}

}  // namespace zuva::app
