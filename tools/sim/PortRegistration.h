#pragma once

#include <string>

namespace zuva::sim {

// The simulator's entry in the ports directory: a symbolic link named after the
// port, to the pseudo-terminal's slave. A dangling link of that name (left by a
// simulator that was killed) is replaced; a live one is refused. The link is
// removed again on destruction, if it still points to this slave.
class PortRegistration {
public:
    // Throws std::system_error (directory not usable, name in use, link refused).
    PortRegistration(const std::string& portsDir, const std::string& name, const std::string& slavePath);
    ~PortRegistration();
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;

    const std::string& linkPath() const { return link_; }

private:
    std::string link_;
    std::string target_;
};

}  // namespace zuva::sim
