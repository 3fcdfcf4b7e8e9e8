#include "app/StationHealth.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "app/ProgramCore.h"
#include "recording/SecondRecordEncoder.h"

namespace zuva::app {

double StationHealth::systemUtcNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

StationHealth::StationHealth(ProgramCore& core, std::function<double()> utcNow)
    : core_(core),
      disk_(core.eventLog(), service::DiskSpaceWatch::statvfsFreeBytes,
            [&core] { return core.dataFile().outputDirectory(); }, recording::SecondRecordEncoder::recordSize(64)),
      clockOffset_(core.eventLog(), std::move(utcNow)),
      report_(core.eventLog(), {[&core] { return core.acquisition().counters(); }, [this] { return disk_.daysLeft(); },
                                [&core] { return core.dataFile().outputDirectory(); }}),
      backlogStarts_([&core] { return core.dataFile().backlogSeconds(); }, [this] { report_.backlogStarted(); }) {
    clockOffset_.setOnMeasured([this](double offset) { report_.clockOffset(offset); });
    portLost_ = core_.port().port().OnDeviceLost;
    core_.port().port().OnDeviceLost = [this](serial::TComPort& port, int code) {
        report_.portLost();
        if (portLost_) portLost_(port, code);
    };
    core_.seconds().add(report_, "daily report");
    // After the report has taken the second: a backlog that begins with a day's
    // first second counts for that day.
    core_.seconds().add(backlogStarts_, "write backlog count");
    core_.seconds().add(clockOffset_, "clock offset watch");
    core_.seconds().add(disk_, "disk space watch");
    if (StationPublishing* publishing = core_.publishing()) {
        publishing->setStatusExtras([this](network::StationStatus& health) {
            health.diskDaysLeft = disk_.daysLeft();
            health.clockOffsetSeconds = clockOffset_.offset();
        });
    }
}

StationHealth::~StationHealth() {
    if (StationPublishing* publishing = core_.publishing()) publishing->setStatusExtras({});
    core_.seconds().remove(disk_);
    core_.seconds().remove(clockOffset_);
    core_.seconds().remove(backlogStarts_);
    core_.seconds().remove(report_);
    core_.port().port().OnDeviceLost = portLost_;
}

void StationHealth::started() {
    disk_.setRecordBytes(recording::SecondRecordEncoder::recordSize(
        std::size_t{1} << std::clamp(core_.options().samplingRateIndex(), 0, 8)));
    if (!core_.lifecycle().waitingForDirectory()) disk_.check();
}

}  // namespace zuva::app
