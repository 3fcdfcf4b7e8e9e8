#pragma once

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
};

}  // namespace zuva::acquisition
