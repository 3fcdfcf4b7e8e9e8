#pragma once

#include <QDate>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "acquisition/SecondListener.h"
#include "acquisition/VisualizationSwitch.h"
#include "app/ProgramCore.h"
#include "app/QtDispatcher.h"
#include "app/QtNoResponseTimer.h"
#include "app/QtRetryTimer.h"
#include "app/StationHealth.h"

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace zuva::display {
class DataFlowWatch;
class FileViewerPlot;
class LiveCharts;
class StatusBarPanels;
}  // namespace zuva::display

namespace zuva::settings {
class ConfirmModel;
class RemarksModel;
class TAboutBox;
class Tconfirm;
class TOptions;
class TRemarks;
class TSelectDir;
}  // namespace zuva::settings

namespace zuva::serial {
class TComSetupFrm;
}

namespace zuva::app {

// The main window: the control groups, the three live charts (or the viewer of an
// opened file in their place), the progress bar, the event line and the status bar,
// over one ProgramCore. Every button and menu item calls the core's handler and
// follows the enabled/disabled states of ControlStates.
class TForm1 : public QMainWindow, public acquisition::VisualizationSwitch {
    Q_OBJECT
public:
    static constexpr int kWidth = 843;
    static constexpr int kHeight = 722;
    static constexpr int kHeightVisualizationOn = 708;
    static constexpr int kHeightVisualizationOff = 150;
    static constexpr int kEventLineTopOn = 615;
    static constexpr int kEventLineTopOff = 58;
    static constexpr const char* kCaption = "ZUVA-7k Logger - Version 3.8 - 19.08.2009";
    static constexpr const char* kViewerCaption = "ZUVA7-k Logger - Version 3.8 - 19.08.2009 - ";
    static constexpr const char* kOpenFilter = "zuv datafile (*.zuv);;All files (*.*)";
    // The smallest chart height the window shrinks the charts to; below it the
    // window's contents scroll.
    static constexpr int kMinChartHeight = 60;
    // The question asked when the window is closed by hand during a run.
    static constexpr const char* kCloseQuestion =
        "A recording is running. Stop the recording and close the program?";
    static constexpr const char* kKeepRecording = "Keep recording";
    static constexpr const char* kStopAndClose = "Stop recording and close";
    // How often the data flow is checked during a run.
    static constexpr int kWatchIntervalMs = 500;
    // The settings section that keeps the window's place and size.
    static constexpr const char* kPlacementSection = "TForm1";

    // settingsPath: the settings file the core reads and writes.
    explicit TForm1(const std::string& settingsPath, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs the start-up sequence and sets the caption; call once, after show().
    void FormCreate();

    // VisualizationSwitch.
    bool isOn() const override;
    void overloadSwitchOff() override;

    // The click handlers the buttons and menu items are bound to.
    void Button4Click();
    void Open2Click();
    // Loads the named data file into the viewer; returns false when it cannot be read
    // (the reason is shown and logged). The records arrive later, block by block.
    bool openDataFile(const QString& name);
    void Savetotext1Click();
    // Exports the named data file to text with the progress bar moving.
    void exportDataFile(const QString& name);
    // The status bar's notice after an export, and the message of a failed one.
    static constexpr int kNoticePathLength = 60;
    static QString exportNotice(std::uint64_t lines, const QString& outputName);
    static QString exportFailureText(int code, const QString& outputName);
    void Exit1Click() { close(); }
    // File / Open folder...: every data file of a folder as one timeline.
    void OpenFolderClick();
    // Loads several data files (or folders of them) into the viewer as one timeline,
    // in time order; false when none can be read.
    bool openDataFiles(const QStringList& names);
    // Data files and folders named on the command line, after FormCreate: opened as
    // File / Open... opens them. While a recording runs (started by the settings at
    // start-up) they are not opened, since the viewer never covers a running
    // recording; the event log says so. False then, or when none can be read.
    bool openGivenFiles(const QStringList& names);
    static QString notOpenedWhileRecordingText(const QStringList& names);
    // Closes the window without the question of a hand close (SIGINT, SIGTERM).
    void closeWithoutAsking();
    // Checks the data flow now (the watch timer does it every kWatchIntervalMs).
    void checkDataFlow();
    // The clock of the data-flow watch (steady time); tests set their own.
    void setWatchClock(std::function<std::chrono::steady_clock::time_point()> clock);
    // The folder the open dialog starts in.
    QString openFolder() const;
    // Asks whether to stop a running recording and close; true: close.
    bool askToStopAndClose();

    // True while a file's records are still being read.
    bool loading() const { return loading_.load(); }
    // Blocks read from the file that the viewer has not taken yet.
    int blocksInFlight() {
        const std::lock_guard lock(flightMutex_);
        return blocksInFlight_;
    }
    static constexpr int kBlocksInFlight = 8;

    ProgramCore& core() { return *core_; }
    const StationHealth& health() const { return *health_; }
    settings::TOptions& optionsDialog() { return *options_; }
    settings::TRemarks& remarksDialog() { return *remarks_; }
    settings::Tconfirm& confirmDialog() { return *confirm_; }
    settings::TSelectDir& outputDirectoryDialog() { return *selectDir_; }
    display::LiveCharts& charts() { return *charts_; }
    display::FileViewerPlot& viewer() { return *viewer_; }
    display::StatusBarPanels& panels() { return *panels_; }
    // The status bar's offer to wait for the stored port that was missing at
    // start-up ("Wait for <port>"); null when there is none.
    QPushButton* waitForPortButton() const { return waitButton_; }
    QScrollArea* scrollArea() const { return scroll_; }
    QWidget* clientArea() const { return client_; }
    bool showsViewer() const { return viewerShown_; }
    // The names of the files the viewer shows, in time order.
    const QStringList& viewerFiles() const { return viewerFiles_; }

    // Controls, named as the handlers know them.
    QGroupBox* GroupBox2 = nullptr;     // " Gain "
    QComboBox* ComboBox3 = nullptr;     // gain 1/10/100/1000
    QGroupBox* Calibration = nullptr;   // " Calibration "
    QToolButton* button3 = nullptr;     // calibration
    QGroupBox* GroupBox1 = nullptr;     // " Real time visualization "
    QToolButton* Button4 = nullptr;     // visualization
    QGroupBox* GroupBox3 = nullptr;     // " Recording "
    QToolButton* SpeedButton2 = nullptr;  // Start
    QToolButton* SpeedButton3 = nullptr;  // Stop
    QGroupBox* GroupBox4 = nullptr;     // "GPS"
    QPushButton* speedbutton1 = nullptr;  // GPS
    QProgressBar* ProgressBar1 = nullptr;
    QComboBox* ComboBox1 = nullptr;     // the event line

    QMenu* Open1 = nullptr;  // "&File"
    QAction* Open2 = nullptr;
    QAction* OpenFolder = nullptr;
    QAction* Savetotext1 = nullptr;
    QAction* Outputdirectory1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Options1 = nullptr;
    QAction* Remarks1 = nullptr;
    QAction* N24 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* N2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(QWidget* client);
    void buildMenu();
    void bindControls();
    void applyControlState(acquisition::Control control, bool enabled);
    void showEventLines();
    void showCharts(bool visible);
    void placeWideControls();
    void restorePlacement();
    void savePlacement();
    void guarded(const std::function<void()>& action);
    void logLater(const std::string& message);
    void stopLoading();
    QString chooseDataFile();
    void offerPortWait();
    QStringList chooseDataFiles();
    void showLiveCharts();
    void applyRunState(bool running);
    int chartHeight() const;
    void fitToScreen();
    void reportExportFailure(const QString& outputName, const std::string& detail);

    QWidget* client_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QStringList viewerFiles_;
    QString lastFolder_;
    bool closeWithoutAsking_ = false;
    bool asking_ = false;
    std::function<std::chrono::steady_clock::time_point()> watchClock_;
    std::unique_ptr<display::DataFlowWatch> watch_;
    QTimer watchTimer_;
    // Tells the data-flow watch of every completed second.
    class SecondWatch final : public acquisition::SecondListener {
    public:
        explicit SecondWatch(TForm1& form) : form_(form) {}
        void secondCompleted(const acquisition::CompletedSecond& second) override;

    private:
        TForm1& form_;
    };
    SecondWatch secondWatch_{*this};
    display::FileViewerPlot* viewer_ = nullptr;  // child of the client area
    std::unique_ptr<display::LiveCharts> charts_;
    std::unique_ptr<display::StatusBarPanels> panels_;
    QtDispatcher dispatcher_;
    QtNoResponseTimer timer_;
    QtRetryTimer retryTimer_;
    serial::TComSetupFrm* portDialog_ = nullptr;
    std::unique_ptr<ProgramCore> core_;
    std::unique_ptr<StationHealth> health_;
    std::unique_ptr<settings::RemarksModel> remarksModel_;
    std::unique_ptr<settings::ConfirmModel> confirmModel_;
    settings::TAboutBox* about_ = nullptr;
    settings::TSelectDir* selectDir_ = nullptr;
    settings::TOptions* options_ = nullptr;
    settings::TRemarks* remarks_ = nullptr;
    settings::Tconfirm* confirm_ = nullptr;
    QPointer<QPushButton> waitButton_;
    QTimer* stationTimer_ = nullptr;
    bool viewerShown_ = false;
    bool closed_ = false;
    std::atomic<bool> loading_{false};
    std::atomic<bool> cancelLoading_{false};
    std::thread loader_;
    // Blocks read but not yet taken by the viewer. The loader waits while there are
    // kBlocksInFlight of them, so a slow main thread never makes the blocks of a
    // whole file pile up in memory.
    std::mutex flightMutex_;
    std::condition_variable flightChanged_;
    int blocksInFlight_ = 0;
    std::uint64_t loadGeneration_ = 0;  // main thread only
};

}  // namespace zuva::app
