#pragma once

#include <string>

namespace zuva::sim {

// The simulator's entry in the ports directory: a symbolic link named after the
// port, to the pseudo-terminal's slave. The name is owned through a lock on the
// hidden file ".<name>.lock" beside it, held for as long as the registration
// lives: a name whose owner is alive is refused; a link left behind by a simulator
// that was killed (dangling, or pointing to a pseudo-terminal that another program
// has got since) is taken over. The link is removed again on destruction, if it
// still points to this slave.
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
    int lockFd_ = -1;
};

}  // namespace zuva::sim
