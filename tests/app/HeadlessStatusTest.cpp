// The headless status line: one line per completed second, with the seconds still
// waiting for the data file at its end while there are any.

#include "app/HeadlessStatus.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/FakeDataFileSink.h"

namespace zuva::app {
namespace {

using acquisition::StatusPanels;

void showSecond(StatusPanels& panels, std::size_t backlog) {
    panels.setBacklog(backlog);
    panels.setPanelText(StatusPanels::kTime, "Time: 10 20 30");
    panels.setPanelText(StatusPanels::kBx, "Bx: 12 bit");
    panels.setPanelText(StatusPanels::kBy, "By: -3 bit");
    panels.setPanelText(StatusPanels::kBz, "Bz: 7 bit");
}

TEST(HeadlessStatus, OneLinePerSecondWithTheBacklogOnlyWhileSecondsWait) {
    std::ostringstream out;
    fakes::FakeDataFileSink file;
    file.name = "/data/20240630102030.zuv";
    HeadlessStatus status(out, file);
    showSecond(status, 0);
    showSecond(status, 12);
    showSecond(status, 0);
    EXPECT_EQ(out.str(),
              "Time: 10 20 30  Bx: 12 bit  By: -3 bit  Bz: 7 bit  /data/20240630102030.zuv\n"
              "Time: 10 20 30  Bx: 12 bit  By: -3 bit  Bz: 7 bit  /data/20240630102030.zuv  Not yet written: 12 s\n"
              "Time: 10 20 30  Bx: 12 bit  By: -3 bit  Bz: 7 bit  /data/20240630102030.zuv\n");
}

}  // namespace
}  // namespace zuva::app
