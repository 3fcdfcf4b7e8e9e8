#pragma once

#include <string>

namespace zuva::acquisition {

// The name SelectedPort holds when no usable port is known.
inline constexpr const char* kNoPort = "COM99";

// The check that the port in use is still present, implemented by the serial
// port detection.
class PortPresence {
public:
    virtual ~PortPresence() = default;
    // Looks the selected port up among the ports present; when it is gone, logs the
    // loss and makes SelectedPort() return kNoPort. May throw when the port list
    // cannot be read.
    virtual void CheckComPort() = 0;
    // The name of the port in use, or kNoPort ("COM99") for none.
    virtual std::string SelectedPort() const = 0;
};

}  // namespace zuva::acquisition
