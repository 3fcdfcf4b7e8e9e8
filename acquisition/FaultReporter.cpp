#include "acquisition/FaultReporter.h"

#include <stdexcept>

namespace zuva::acquisition {

void FaultReporter::failed(const std::string& message) {
    if (failures_++ == 0) log_.addlogfile(message);
}

int FaultReporter::recovered() {
    const int n = failures_;
    failures_ = 0;
    return n;
}

std::string currentErrorText(const std::exception_ptr& error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "unknown error";
}

}  // namespace zuva::acquisition
