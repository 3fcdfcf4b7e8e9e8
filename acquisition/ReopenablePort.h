#pragma once

#include <string>

namespace zuva::acquisition {

// The serial port as the reconnection after a lost device needs it: the name in
// use, whether that very name is among the ports present again, and closing and
// reopening it with the line settings it holds.
class ReopenablePort {
public:
    virtual ~ReopenablePort() = default;
    // The name of the port that was open (the one to come back).
    virtual std::string PortName() const = 0;
    // The name is listed among the ports present (exact, case-sensitive). Throws
    // when the port list cannot be read.
    virtual bool PortListed() = 0;
    // Lets go of the vanished device, so that the name can be opened afresh.
    virtual void ReleasePort() = 0;
    // Opens the port under the same name with the settings it holds. Throws when
    // the device cannot be opened or configured.
    virtual void ReopenPort() = 0;
};

}  // namespace zuva::acquisition
