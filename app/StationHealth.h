#pragma once

#include <functional>

#include "app/BacklogStarts.h"
#include "products/DailyReportBuilder.h"
#include "serial/TComPort.h"
#include "service/ClockOffsetWatch.h"
#include "service/DiskSpaceWatch.h"

namespace zuva::app {

class ProgramCore;

// The health watches of a recording logger, bound to its program core: the days of
// recording left on the output disk, the offset between the PC's clock and the
// instrument's, and the daily report, which also counts the port losses and the
// write backlogs as they begin. The window and the headless recorder both run them;
// the MQTT status carries the disk days and the clock offset.
class StationHealth {
public:
    // utcNow: the PC's time in seconds since 1970-01-01 UTC.
    explicit StationHealth(ProgramCore& core, std::function<double()> utcNow = systemUtcNow);
    ~StationHealth();
    StationHealth(const StationHealth&) = delete;
    StationHealth& operator=(const StationHealth&) = delete;

    // After the core's start-up: the first disk check at the rate the settings chose.
    // A missing output directory is checked with the first second once it is there.
    void started();

    const service::DiskSpaceWatch& disk() const { return disk_; }
    const service::ClockOffsetWatch& clockOffset() const { return clockOffset_; }
    const products::DailyReportBuilder& report() const { return report_; }

    static double systemUtcNow();

private:
    ProgramCore& core_;
    service::DiskSpaceWatch disk_;
    service::ClockOffsetWatch clockOffset_;
    products::DailyReportBuilder report_;
    BacklogStarts backlogStarts_;
    serial::TComPort::DeviceLostHandler portLost_;
};

}  // namespace zuva::app
