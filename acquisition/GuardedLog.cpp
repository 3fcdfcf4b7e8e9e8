#include "acquisition/GuardedLog.h"

namespace zuva::acquisition {

void GuardedLog::addlogfile(const std::string& message) {
    try {
        log_.addlogfile(message);
    } catch (...) {
        ++failedWrites_;
    }
}

}  // namespace zuva::acquisition
