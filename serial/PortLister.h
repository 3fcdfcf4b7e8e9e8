#pragma once

#include <functional>
#include <string>
#include <vector>

#include "serial/PortsDirectory.h"

namespace zuva::serial {

// Where the port list is read from; tests point these at directories of their own.
struct PortListRoots {
    std::string sysClassTty = "/sys/class/tty";
    std::string dev = "/dev";
    std::string portsDir = PortsDirectory::defaultPath();
};

// The serial ports present, as full device paths (the names Port accepts):
//  - the stable names in <dev>/serial/by-id whose target exists; a device that has
//    one is listed only under it, so that the name stored in the settings follows
//    the adapter whatever ttyUSB number it gets;
//  - every other tty of sysfs with a device behind it (ttyUSB, ttyACM, ttyAMA, ...)
//    whose device node exists; a ttyS port only when a UART was found for it
//    (nonzero port type) or, where the type cannot be read, when it is not a bare
//    platform placeholder;
//  - the virtual ports: symbolic links in a trusted ports directory whose target
//    exists. An untrusted one is passed over and its refusal told to the listener.
// Sorted case-insensitively, character by character ("COM1, COM10, COM2" order).
class PortLister {
public:
    explicit PortLister(PortListRoots roots = {});

    // Throws EComPort 23 ("Registry error") with errno when sysfs cannot be read.
    std::vector<std::string> list() const;

    // Told, at every listing, why the ports directory is not trusted ("" when it is
    // trusted or missing).
    void setRefusalListener(std::function<void(const std::string&)> listener) { refusal_ = std::move(listener); }

    const PortListRoots& roots() const { return roots_; }

    static void sortNames(std::vector<std::string>& names);
    // a before b ignoring letter case; names that differ only in case keep a fixed order.
    static bool lessIgnoringCase(const std::string& a, const std::string& b);

private:
    void addSysfsPorts(std::vector<std::string>& names) const;
    void addLinks(const std::string& directory, std::vector<std::string>& names) const;

    PortListRoots roots_;
    std::function<void(const std::string&)> refusal_;
};

}  // namespace zuva::serial
