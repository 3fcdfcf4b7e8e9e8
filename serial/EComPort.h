#pragma once

#include <stdexcept>
#include <string>

namespace zuva::serial {

// The serial-port component's error: the component's error number, the system's
// error number of the failed call (errno; -1 when there is none) and the message
// of the component's table, followed by " (system error code: N)" when there is one.
class EComPort : public std::runtime_error {
public:
    static constexpr int kOpen = 1;             // "Unable to open com port"
    static constexpr int kWrite = 2;            // "WriteFile function failed"
    static constexpr int kRead = 3;             // "ReadFile function failed"
    static constexpr int kSetState = 7;         // "SetCommState function failed"
    static constexpr int kSetTimeouts = 8;      // "SetCommTimeouts failed"
    static constexpr int kSetupComm = 9;        // "SetupComm function failed"
    static constexpr int kClearCommError = 10;  // "ClearCommError function failed"
    static constexpr int kRegistry = 23;        // "Registry error"
    static constexpr int kNoSystemCode = -1;

    EComPort(int errorCode, int systemCode);

    int ErrorCode() const noexcept { return errorCode_; }
    int SystemCode() const noexcept { return systemCode_; }

    // The table text for an error number, without the system-code suffix.
    static std::string messageText(int errorCode);
    // The full message: table text plus the suffix when systemCode is not -1.
    static std::string formatMessage(int errorCode, int systemCode);

private:
    int errorCode_;
    int systemCode_;
};

}  // namespace zuva::serial
