#pragma once

#include <cstddef>
#include <string>

namespace zuva::acquisition {

// The five panels of the status bar: 0 Time, 1 Bx, 2 By, 3 Bz, 4 GPS.
class StatusPanels {
public:
    static constexpr int kTime = 0;
    static constexpr int kBx = 1;
    static constexpr int kBy = 2;
    static constexpr int kBz = 3;
    static constexpr int kGps = 4;

    virtual ~StatusPanels() = default;
    virtual void setPanelText(int panel, const std::string& text) = 0;

    // Completed seconds waiting to be written to the data file, given before the
    // panels of each second. Shown (backlogText) while it is not 0; at 0 the status
    // bar shows nothing more than its five panels.
    virtual void setBacklog(std::size_t seconds) { (void)seconds; }
    static std::string backlogText(std::size_t seconds) {
        return "Not yet written: " + std::to_string(seconds) + " s";
    }
};

}  // namespace zuva::acquisition
