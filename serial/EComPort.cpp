#include "serial/EComPort.h"

#include <array>
#include <string_view>

namespace zuva::serial {

namespace {

// The component's message table, indexed by error number (1..23). Entries left
// empty belong to operations this program never performs.
constexpr std::array<std::string_view, 24> kMessages = {
    "",
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "", "", "",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "", "", "", "", "", "", "", "", "", "", "", "",
    "Registry error",
};

}  // namespace

EComPort::EComPort(int errorCode, int systemCode)
    : std::runtime_error(formatMessage(errorCode, systemCode)), errorCode_(errorCode), systemCode_(systemCode) {}

std::string EComPort::messageText(int errorCode) {
    if (errorCode > 0 && static_cast<std::size_t>(errorCode) < kMessages.size() &&
        !kMessages[static_cast<std::size_t>(errorCode)].empty()) {
        return std::string(kMessages[static_cast<std::size_t>(errorCode)]);
    }
    return "Com port error " + std::to_string(errorCode);
}

std::string EComPort::formatMessage(int errorCode, int systemCode) {
    std::string text = messageText(errorCode);
    if (systemCode != kNoSystemCode) text += " (system error code: " + std::to_string(systemCode) + ")";
    return text;
}

}  // namespace zuva::serial
