#include "serial/PortSelection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PtyTestSupport.h"
#include "fakes/RecordingLog.h"
#include "serial/EComPort.h"
#include "serial/MainThreadQueue.h"
#include "serial/PortChoiceModel.h"
#include "serial/PortChooser.h"
#include "serial/TComPort.h"

namespace zuva::serial {
namespace {

namespace fs = std::filesystem;

// The port dialog as a script: picks an entry (or not) and answers OK or Cancel.
class ScriptedChooser final : public PortChooser {
public:
    bool choose(PortChoiceModel& model) override {
        shown = model.Names();
        preselected = model.SelectedIndex();
        if (pick >= 0) model.Pick(pick);
        return ok;
    }
    int pick = -1;
    bool ok = true;
    std::vector<std::string> shown;
    int preselected = -2;
};

// Two virtual ports, "sim0" and "sim1", on pseudo-terminals.
class PortSelectionTest : public ::testing::Test {
protected:
    testing::TempDir root;
    std::string ports = root.file("ports");
    testing::PtyPair pty0;
    testing::PtyPair pty1;
    MainThreadQueue queue;
    std::unique_ptr<TComPort> port;
    fakes::RecordingLog log;
    ScriptedChooser chooser;
    std::vector<std::string> actions;
    std::unique_ptr<PortSelection> selection;

    void SetUp() override {
        fs::create_directories(root.file("sys"));
        fs::create_directories(root.file("dev"));
        ASSERT_EQ(mkdir(ports.c_str(), 0700), 0);
        fs::create_symlink(pty0.path(), name(0));
        fs::create_symlink(pty1.path(), name(1));
        makeSelection(root.file("sys"));
    }

    void makeSelection(const std::string& sys) {
        selection.reset();
        port = std::make_unique<TComPort>(queue, PortLister(PortListRoots{sys, root.file("dev"), ports}));
        port->SetPort("COM1");  // the window's stored configuration
        selection = std::make_unique<PortSelection>(
            *port, log, chooser,
            [this] { actions.push_back(std::string("gain") + (port->Connected() ? " open" : " closed")); },
            [this] { actions.push_back(std::string("gps") + (port->Connected() ? " open" : " closed")); });
    }

    std::string name(int i) const { return ports + "/sim" + std::to_string(i); }
};

TEST_F(PortSelectionTest, DetectFindsTheStoredPortOpensItAndSendsTheGain) {
    port->SetBaudRate(TBaudRate::br9600);
    bool gainRestored = false;
    selection->DetectComPort(name(1), [&] { gainRestored = !port->Connected(); });
    EXPECT_EQ(log.lines, std::vector<std::string>{"ComPort detected: " + name(1)});
    EXPECT_EQ(selection->SelectedPort(), name(1));
    EXPECT_EQ(port->Port(), name(1));
    EXPECT_EQ(port->BaudRate(), TBaudRate::br115200);
    EXPECT_TRUE(port->Connected());
    EXPECT_TRUE(gainRestored) << "the stored gain is selected before the port opens";
    EXPECT_EQ(actions, std::vector<std::string>{"gain open"});
    EXPECT_EQ(selection->PortList(), (std::vector<std::string>{name(0), name(1)}));
    EXPECT_EQ(selection->PortListIndex(), 1);
}

TEST_F(PortSelectionTest, DetectWithoutTheStoredPortFallsBackToCom99) {
    struct Case {
        std::string stored;
    };
    const std::vector<Case> cases{{"COM99"}, {""}, {ports + "/SIM0"} /* letter case counts */, {ports + "/sim7"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        log.clear();
        actions.clear();
        selection->DetectComPort(c.stored);
        EXPECT_EQ(log.lines, std::vector<std::string>{"Error: ComPort not available!"});
        EXPECT_EQ(selection->SelectedPort(), "COM99");
        EXPECT_EQ(port->Port(), "COM1") << "Port keeps its earlier name";
        EXPECT_FALSE(port->Connected());
        EXPECT_TRUE(actions.empty());
    }
}

TEST_F(PortSelectionTest, AnUnreadablePortListStopsDetectionWithTheStoredValueKept) {
    makeSelection(root.file("no-sysfs"));
    try {
        selection->DetectComPort(name(0));
        FAIL() << "no error";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 23);
    }
    EXPECT_EQ(selection->SelectedPort(), name(0));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(port->Connected());
    EXPECT_THROW(selection->CheckComPort(), EComPort);
}

TEST_F(PortSelectionTest, CheckFallsBackWhenThePortHasGoneButLeavesItOpen) {
    selection->DetectComPort(name(0));
    log.clear();
    selection->CheckComPort();
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(selection->SelectedPort(), name(0));

    fs::remove(name(0));
    selection->CheckComPort();
    EXPECT_EQ(log.lines, std::vector<std::string>{"Error:  Comport!"});
    EXPECT_EQ(selection->SelectedPort(), "COM99");
    EXPECT_TRUE(port->Connected());
}

TEST_F(PortSelectionTest, MenuItemAppliesThePickOpensAndAsksForThePosition) {
    chooser.pick = 1;
    selection->N24Click();
    EXPECT_EQ(chooser.shown, (std::vector<std::string>{name(0), name(1)}));
    EXPECT_EQ(chooser.preselected, -1) << "COM1 is not in the list";
    EXPECT_EQ(log.lines, std::vector<std::string>{"Set ComPort: " + name(1)});
    EXPECT_EQ(selection->SelectedPort(), name(1));
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(actions, std::vector<std::string>{"gps open"});
}

TEST_F(PortSelectionTest, CancelWithAPresentPortStillLogsOpensAndRunsTheGpsAction) {
    port->SetPort(name(0));
    chooser.ok = false;
    chooser.pick = 1;
    selection->N24Click();
    EXPECT_EQ(chooser.preselected, 0);
    EXPECT_EQ(port->Port(), name(0)) << "Cancel applied the pick";
    EXPECT_EQ(log.lines, std::vector<std::string>{"Set ComPort: " + name(0)});
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(actions, std::vector<std::string>{"gps open"});
}

TEST_F(PortSelectionTest, OkWithNothingToChooseEndsAsCom99) {
    fs::remove(name(0));
    fs::remove(name(1));
    selection->N24Click();
    EXPECT_TRUE(chooser.shown.empty());
    EXPECT_EQ(port->Port(), "");
    EXPECT_EQ(log.lines, std::vector<std::string>{"Error: ComPort not available!"});
    EXPECT_EQ(selection->SelectedPort(), "COM99");
    EXPECT_TRUE(actions.empty());
}

TEST_F(PortSelectionTest, AFailedReopeningLeavesThePortClosedAndSelectedPortAsItWas) {
    selection->DetectComPort(name(0));
    // sim1 is listed but taken by another program.
    MainThreadQueue otherQueue;
    TComPort other(otherQueue);
    other.SetPort(name(1));
    other.OpenPort();
    log.clear();
    actions.clear();
    chooser.pick = 1;
    EXPECT_THROW(selection->N24Click(), EComPort);
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(port->UpdateDepth(), 0) << "the batch was left open";
    EXPECT_EQ(selection->SelectedPort(), name(0));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(actions.empty());
}

TEST_F(PortSelectionTest, DialogPreselectsIgnoringCaseAndOkKeepsTheOtherSettings) {
    port->SetPort(ports + "/SIM1");
    port->SetDataBits(TDataBits::dbSeven);
    port->SetBaudRate(TBaudRate::br57600);
    PortChoiceModel model(*port);
    EXPECT_EQ(model.SelectedIndex(), 1);
    EXPECT_EQ(model.ChosenName(), name(1));
    model.Pick(7);  // outside the list: ignored
    EXPECT_EQ(model.ChosenName(), name(1));
    model.Pick(0);
    EXPECT_EQ(model.ChosenName(), name(0));
    model.ApplyOk();
    EXPECT_EQ(port->Port(), name(0));
    EXPECT_EQ(port->DataBits(), TDataBits::dbSeven);
    EXPECT_EQ(port->BaudRate(), TBaudRate::br57600);
    EXPECT_EQ(port->UpdateDepth(), 0);
}

TEST_F(PortSelectionTest, OkOnAnOpenPortReopensUnderTheNewNameAndAppliesOnce) {
    port->SetPort(name(0));
    port->OpenPort();
    PortChoiceModel model(*port);
    model.Pick(1);
    model.ApplyOk();
    EXPECT_TRUE(port->Connected());
    EXPECT_EQ(port->Port(), name(1));
    const termios t = pty1.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B115200) << "closing the batch applies the settings to the new device";
    port->WriteText("\x94");
    EXPECT_EQ(pty1.readMaster(1), "\x94");
}

}  // namespace
}  // namespace zuva::serial
