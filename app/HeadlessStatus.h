#pragma once

#include <array>
#include <ostream>
#include <string>

#include "acquisition/ChartFeed.h"
#include "acquisition/StatusPanels.h"
#include "acquisition/VisualizationSwitch.h"
#include "recording/DataFileSink.h"

namespace zuva::app {

// The status bar of the headless recorder: once per completed second (when the
// decoder has shown the time and the three counts) one line on the output:
//   "Time: 10 20 30  Bx: 12 bit  By: -3 bit  Bz: 7 bit  /data/20240630102030.zuv"
// While seconds wait to be written to the data file, the line ends with their count:
//   "...  /data/20240630102030.zuv  Not yet written: 12 s"
class HeadlessStatus final : public acquisition::StatusPanels {
public:
    HeadlessStatus(std::ostream& out, const recording::DataFileSink& dataFile) : out_(out), dataFile_(dataFile) {}
    void setPanelText(int panel, const std::string& text) override;
    void setBacklog(std::size_t seconds) override { backlog_ = seconds; }
    const std::string& panelText(int panel) const { return texts_.at(static_cast<std::size_t>(panel)); }

private:
    std::ostream& out_;
    const recording::DataFileSink& dataFile_;
    std::array<std::string, 5> texts_{"Time", "Bx", "By", "Bz", "GPS"};
    std::size_t backlog_ = 0;
};

// No charts without a window: points are not fed.
class NoCharts final : public acquisition::ChartFeed, public acquisition::VisualizationSwitch {
public:
    void addPoints(std::span<const acquisition::ChartPoint>) override {}
    void ResetAxisAndSeries() override {}
    bool isOn() const override { return false; }
    void overloadSwitchOff() override {}
};

}  // namespace zuva::app
