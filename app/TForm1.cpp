#include "app/TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollArea>
#include <QTime>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

#include "display/DataFlowWatch.h"
#include "display/FileViewerPlot.h"
#include "display/LiveCharts.h"
#include "display/StatusBarPanels.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"
#include "recording/DataTextExporter.h"
#include "recording/IoError.h"
#include "serial/dialogs/TComSetupFrm.h"
#include "settings/ConfirmModel.h"
#include "settings/RemarksModel.h"
#include "settings/WindowPlacement.h"
#include "settings/dialogs/ErrorBox.h"
#include "settings/dialogs/HelpFile.h"
#include "settings/dialogs/TAboutBox.h"
#include "settings/dialogs/TOptions.h"
#include "settings/dialogs/TRemarks.h"
#include "settings/dialogs/TSelectDir.h"
#include "settings/dialogs/Tconfirm.h"

namespace zuva::app {

namespace {

constexpr int kMargin = 16;
constexpr int kChartTop = 64;
constexpr int kChartHeight = 170;
constexpr int kChartGap = 6;
// The charts keep the right margin of the designed 843 px wide window.
constexpr int kRightMargin = TForm1::kWidth - kMargin - 801;
// The control groups end at 722 px; narrower, the contents scroll.
constexpr int kMinClientWidth = 592 + 130 + kMargin;

// 1234567 as "1,234,567".
QString groupedCount(std::uint64_t n) {
    QString digits = QString::number(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, QLatin1Char(','));
    return digits;
}

QString qs(const std::string& text) { return QString::fromStdString(text); }

QGroupBox* group(QWidget* parent, const QString& title, int left) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(left, 0, 130, 49);
    return box;
}

QToolButton* speedButton(QWidget* parent, const QString& text, const QRect& place) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setGeometry(place);
    return button;
}

// One block of records copied out of the reader for the main thread.
struct LoadedBlock {
    std::vector<double> seconds, bx, by, bz;
    int percent = 0;
};

// Collects the reader's log lines on the loading thread; they are handed to the
// event log on the main thread.
class ForwardingLog final : public recording::LogSink {
public:
    explicit ForwardingLog(std::function<void(const std::string&)> forward) : forward_(std::move(forward)) {}
    void addlogfile(const std::string& message) override { forward_(message); }

private:
    std::function<void(const std::string&)> forward_;
};

}  // namespace

TForm1::TForm1(const std::string& settingsPath, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("ZUVA-7k Logger");
    QFont font("MS Sans Serif");
    font.setPointSize(8);
    setFont(font);

    // The controls lie on a client area inside a scroll area: a window made smaller
    // than its contents can scroll to every control instead of cutting them off.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    client_ = new QWidget;
    client_->setObjectName(QStringLiteral("ClientArea"));
    scroll_->setWidget(client_);
    setCentralWidget(scroll_);
    client_->installEventFilter(this);
    buildControls(client_);
    buildMenu();

    charts_ = std::make_unique<display::LiveCharts>(client_);
    panels_ = std::make_unique<display::StatusBarPanels>(statusBar());
    viewer_ = new display::FileViewerPlot(client_);
    viewer_->hide();
    portDialog_ = new serial::TComSetupFrm(this);

    ProgramCore::Frontend frontend{dispatcher_, timer_, *charts_, *panels_, *this};
    frontend.reportError = [this](const std::string& message) { settings::ErrorBox::show(this, qs(message)); };
    frontend.confirmRemark = [this] {
        if (confirm_) confirm_->confirm();
    };
    frontend.setProgress = [this](int percent) { ProgressBar1->setValue(percent); };
    frontend.pointsOnScreenChanged = [this](std::int32_t points) { charts_->setPointsOnScreen(points); };
    frontend.optionsChanged = [this] {
        if (options_) options_->refresh();
    };
    frontend.outputDirectoryChanged = [this] {
        if (selectDir_) selectDir_->refresh();
    };
    frontend.portChooser = portDialog_;
    frontend.retryTimer = &retryTimer_;
    core_ = std::make_unique<ProgramCore>(frontend, settingsPath);
    health_ = std::make_unique<StationHealth>(*core_);
    timer_.setOnTimeout([this] { guarded([this] { core_->Timer5Timer(); }); });
    retryTimer_.setOnTimeout([this] { guarded([this] { core_->RetryTimerTimer(); }); });
    charts_->setLog([this](const std::string& line) { core_->eventLog().addlogfile(line); });
    viewer_->setLog([this](const std::string& line) { core_->eventLog().addlogfile(line); });

    // The dialogs, in the order the program creates them.
    about_ = new settings::TAboutBox(this);
    selectDir_ = new settings::TSelectDir(core_->outputDirectory(), this);
    options_ = new settings::TOptions(core_->options(), this);
    remarksModel_ = std::make_unique<settings::RemarksModel>(core_->remarks(), core_->eventLog(),
                                                             [this] { if (remarks_) remarks_->refresh(); });
    remarks_ = new settings::TRemarks(*remarksModel_, this);
    confirmModel_ = std::make_unique<settings::ConfirmModel>(core_->remarks(), core_->eventLog(),
                                                             [this] { if (confirm_) confirm_->refresh(); });
    confirm_ = new settings::Tconfirm(*confirmModel_, this);

    core_->dataFile().setCaptionListener([this](const std::string& caption) { setWindowTitle(qs(caption)); });
    watchClock_ = [] { return std::chrono::steady_clock::now(); };
    watch_ = std::make_unique<display::DataFlowWatch>([this] { return watchClock_(); });
    core_->seconds().add(secondWatch_, "the window's data watch");
    watchTimer_.setInterval(kWatchIntervalMs);
    connect(&watchTimer_, &QTimer::timeout, this, [this] { checkDataFlow(); });
    watchTimer_.start();
    core_->eventLog().setOnChanged([this] { showEventLines(); });
    bindControls();

    resize(kWidth, kHeight);
    placeWideControls();
    restorePlacement();
    fitToScreen();
}

TForm1::~TForm1() {
    stopLoading();
    watchTimer_.stop();
    if (core_) {
        core_->seconds().remove(secondWatch_);
        core_->eventLog().setOnChanged({});
        core_->dataFile().setCaptionListener({});
    }
}

void TForm1::buildControls(QWidget* client) {
    GroupBox2 = group(client, " Gain ", 16);
    ComboBox3 = new QComboBox(GroupBox2);
    ComboBox3->addItems({"1", "10", "100", "1000"});
    ComboBox3->setEditable(false);
    ComboBox3->setGeometry(10, 17, 111, 21);

    Calibration = group(client, " Calibration ", 160);
    button3 = speedButton(Calibration, "OFF", QRect(10, 16, 110, 25));
    button3->setToolTip("Press to calibrate");

    GroupBox1 = group(client, " Real time visualization ", 304);
    Button4 = speedButton(GroupBox1, "ON", QRect(10, 16, 109, 25));
    Button4->setToolTip("Press to turn the visualization off");

    GroupBox3 = group(client, " Recording ", 448);
    SpeedButton2 = speedButton(GroupBox3, QString::fromUtf8("\u25B6"), QRect(8, 18, 49, 22));
    SpeedButton2->setToolTip("Start");
    SpeedButton3 = speedButton(GroupBox3, QString::fromUtf8("\u25A0"), QRect(74, 18, 47, 22));
    SpeedButton3->setToolTip("Stop");

    GroupBox4 = group(client, "GPS", 592);
    speedbutton1 = new QPushButton("GPS", GroupBox4);
    speedbutton1->setGeometry(10, 16, 109, 25);

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    ComboBox1 = new QComboBox(client);
    ComboBox1->setEditable(true);
    ComboBox1->setMaxVisibleItems(10);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
}

void TForm1::buildMenu() {
    Open1 = menuBar()->addMenu("&File");
    Open2 = Open1->addAction("&Open...");
    OpenFolder = Open1->addAction("Open &folder...");
    Savetotext1 = Open1->addAction("Save data to text file");
    Outputdirectory1 = Open1->addAction("Output &directory...");
    Exit1 = Open1->addAction("&Exit");
    Options1 = menuBar()->addAction("Options");
    Remarks1 = menuBar()->addAction("Remarks");
    N24 = menuBar()->addAction("&ComPort");
    Help1 = menuBar()->addMenu("Help");
    Help2 = Help1->addAction("&Help");
    N2 = Help1->addAction("&About...");
}

void TForm1::bindControls() {
    auto& control = core_->acquisition().controlWord();
    connect(ComboBox3, &QComboBox::activated, this,
            [this](int index) { guarded([this, index] { core_->lifecycle().GainBoxChange(index); }); });
    connect(button3, &QToolButton::clicked, this, [this, &control] {
        guarded([&control] { control.RxSpeedButton1Click(); });
        button3->setText(qs(control.calibrationCaption()));
        button3->setToolTip(qs(control.calibrationHint()));
    });
    connect(Button4, &QToolButton::clicked, this, [this] { Button4Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { guarded([this] { core_->run().Button1Click(); }); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { guarded([this] { core_->run().Button2Click(); }); });
    connect(speedbutton1, &QPushButton::clicked, this,
            [this, &control] { guarded([&control] { control.SpeedButton1Click(); }); });

    connect(Open2, &QAction::triggered, this, [this] { Open2Click(); });
    connect(OpenFolder, &QAction::triggered, this, [this] { OpenFolderClick(); });
    connect(Savetotext1, &QAction::triggered, this, [this] { Savetotext1Click(); });
    connect(Outputdirectory1, &QAction::triggered, this, [this] { selectDir_->Outputdirectory1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(Options1, &QAction::triggered, this, [this] { options_->Options1Click(); });
    connect(Remarks1, &QAction::triggered, this, [this] { remarks_->Remarks1Click(); });
    connect(N24, &QAction::triggered, this, [this, &control] {
        guarded([this, &control] { core_->port().N24Click([&control] { control.SpeedButton1Click(); }); });
    });
    connect(Help2, &QAction::triggered, this,
            [this] { settings::HelpFile::Help2Click(this, {}, {}, settings::HelpFile::guidePlaces()); });
    connect(N2, &QAction::triggered, this, [this] { about_->N2Click(); });

    auto& states = core_->controls();
    for (std::size_t i = 0; i < acquisition::kControlCount; ++i) {
        const auto c = static_cast<acquisition::Control>(i);
        applyControlState(c, states.isEnabled(c));
    }
    states.addObserver([this](acquisition::Control c, bool enabled) {
        applyControlState(c, enabled);
        // The File menu is off exactly while a run is on.
        if (c == acquisition::Control::FileMenu) applyRunState(!enabled);
    });
}

void TForm1::applyControlState(acquisition::Control control, bool enabled) {
    using acquisition::Control;
    switch (control) {
        case Control::StartButton: SpeedButton2->setEnabled(enabled); break;
        case Control::StopButton: SpeedButton3->setEnabled(enabled); break;
        case Control::GpsButton: speedbutton1->setEnabled(enabled); break;
        case Control::GainBox: ComboBox3->setEnabled(enabled); break;
        case Control::FileMenu: Open1->menuAction()->setEnabled(enabled); break;
        case Control::RemarksMenu: Remarks1->setEnabled(enabled); break;
        case Control::ComPortMenu: N24->setEnabled(enabled); break;
        default: break;  // the Options dialog's controls are bound by the dialog
    }
}

void TForm1::FormCreate() {
    guarded([this] {
        core_->startUp();
        health_->started();
    });
    // The MQTT status also while no seconds come, and the publisher's lines into the log.
    if (StationPublishing* publishing = core_->publishing()) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [publishing] { publishing->tick(); });
        timer->start(2000);
    }
    setWindowTitle(kCaption);
    const QSignalBlocker block(ComboBox3);
    ComboBox3->setCurrentIndex(core_->lifecycle().gainIndex());
    button3->setText(qs(core_->acquisition().controlWord().calibrationCaption()));
    offerPortWait();
}

void TForm1::offerPortWait() {
    const std::string configured = core_->port().ConfiguredPort();
    if (core_->port().SelectedPort() != acquisition::kNoPort || configured == acquisition::kNoPort ||
        configured.empty()) {
        return;
    }
    // Start-up went on without the stored port ("COM99"); the status bar offers to wait
    // for it, looking once a second, and to carry on with the start-up once it is there.
    waitButton_ = new QPushButton(qs("Wait for " + configured), statusBar());
    waitButton_->setObjectName("waitForPort");
    waitButton_->setFlat(true);
    statusBar()->addPermanentWidget(waitButton_);
    stationTimer_ = new QTimer(this);
    stationTimer_->setInterval(1000);
    connect(stationTimer_, &QTimer::timeout, this, [this] {
        guarded([this] { core_->lifecycle().retryStation(); });
        if (core_->lifecycle().waitingForStation()) return;
        stationTimer_->stop();
        if (waitButton_) waitButton_->deleteLater();
    });
    connect(waitButton_, &QPushButton::clicked, this, [this, configured] {
        if (!core_->lifecycle().waitForConfiguredPort()) {
            waitButton_->deleteLater();
            return;
        }
        waitButton_->setText(qs("Waiting for " + configured));
        waitButton_->setEnabled(false);
        stationTimer_->start();
    });
}

void TForm1::guarded(const std::function<void()>& action) { settings::ErrorBox::guard(this, action); }

void TForm1::showEventLines() {
    const auto& log = core_->eventLog();
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    // Newest first, as the drop-down shows them.
    for (auto it = log.lines().rbegin(); it != log.lines().rend(); ++it) ComboBox1->addItem(qs(*it));
    ComboBox1->setEditText(qs(log.editText()));
}

bool TForm1::isOn() const { return Button4->text() == "ON"; }

void TForm1::showCharts(bool visible) {
    for (int i = 0; i < display::LiveCharts::kCharts; ++i) charts_->chart(i)->setVisible(visible && !viewerShown_);
    if (viewerShown_) viewer_->setVisible(visible);
    ProgressBar1->setVisible(visible);
    resize(width(), visible ? kHeightVisualizationOn : kHeightVisualizationOff);
    placeWideControls();
}

void TForm1::applyRunState(bool running) {
    if (running) {
        // A new run shows its own data: an opened file leaves the charts' place.
        showLiveCharts();
        watch_->runStarted(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")).toStdString());
    } else {
        watch_->runStopped();
    }
    checkDataFlow();
}

void TForm1::showLiveCharts() {
    if (!viewerShown_) return;
    stopLoading();
    ++loadGeneration_;  // blocks of the file still queued are dropped
    loading_ = false;
    viewerShown_ = false;
    viewerFiles_.clear();
    viewer_->hide();
    viewer_->clear();
    for (int i = 0; i < display::LiveCharts::kCharts; ++i) charts_->chart(i)->setVisible(isOn());
    ProgressBar1->setValue(0);
    setWindowTitle(kCaption);
}

void TForm1::setWatchClock(std::function<std::chrono::steady_clock::time_point()> clock) {
    watchClock_ = std::move(clock);
}

void TForm1::checkDataFlow() {
    const std::string warning = watch_->check(core_->reconnect().Waiting());
    panels_->setWarning(qs(warning));
    charts_->setAlarm(!warning.empty());
}

void TForm1::SecondWatch::secondCompleted(const acquisition::CompletedSecond& second) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second.time.hour % 100, second.time.minute % 100,
                  second.time.second % 100);
    form_.watch_->secondArrived(text);
    form_.checkDataFlow();
}

void TForm1::overloadSwitchOff() {
    Button4->setText("OFF");
    Button4->setToolTip("Press to visualize");
    showCharts(false);
}

void TForm1::Button4Click() {
    if (Button4->text() != "OFF") {
        overloadSwitchOff();
        core_->eventLog().addlogfile("Visualization: Off");
    } else {
        Button4->setText("ON");
        Button4->setToolTip("Press to turn the visualization off");
        showCharts(true);
        charts_->ResetAxisAndSeries();
        core_->eventLog().addlogfile("Visualization: On");
    }
}

int TForm1::chartHeight() const {
    // The designed 170 px between a window height of 708 and 722; beyond, the three
    // charts share what the window gains or loses, down to kMinChartHeight.
    int change = 0;
    if (height() > kHeight) change = height() - kHeight;
    if (height() < kHeightVisualizationOn) change = height() - kHeightVisualizationOn;
    return std::max(kMinChartHeight, kChartHeight + change / 3);
}

void TForm1::placeWideControls() {
    const int chartWidth = std::max(100, client_->width() - kMargin - kRightMargin);
    const int h = chartHeight();
    for (int i = 0; i < display::LiveCharts::kCharts; ++i)
        charts_->chart(i)->setGeometry(kMargin, kChartTop + i * (h + kChartGap), chartWidth, h);
    viewer_->setGeometry(kMargin, kChartTop, chartWidth, 3 * h + 2 * kChartGap);
    const int progressTop = kChartTop + 3 * (h + kChartGap);  // 592 at the designed size
    ProgressBar1->setGeometry(kMargin, progressTop, chartWidth, 16);
    const int eventTop = isOn() ? progressTop + 23 : kEventLineTopOff;  // 615 or 58
    ComboBox1->setGeometry(kMargin, eventTop, chartWidth, 21);
    // Below the event line room for its drop-down edge and a horizontal scroll bar.
    client_->setMinimumSize(kMinClientWidth, eventTop + 21 + 24);
}

void TForm1::fitToScreen() {
    QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr || isMaximized()) return;
    const QRect available = screen->availableGeometry();
    // Room for the window manager's title bar and borders.
    const int frameWidth = 16;
    const int frameHeight = 40;
    const int w = std::min(width(), available.width() - frameWidth);
    const int h = std::min(height(), available.height() - frameHeight);
    if (w == width() && h == height()) return;
    resize(std::max(w, 200), std::max(h, kHeightVisualizationOff));
    const int left = std::clamp(x(), available.left(), std::max(available.left(), available.right() - width() - frameWidth));
    const int top = std::clamp(y(), available.top(), std::max(available.top(), available.bottom() - height() - frameHeight));
    move(left, top);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize && charts_) placeWideControls();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::restorePlacement() {
    const auto placement = settings::WindowPlacement::load(core_->settingsFile(), kPlacementSection);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    if (!placement) {
        // Centred on the screen in the designed size.
        if (available.isValid()) move(available.center() - QPoint(kWidth / 2, kHeight / 2));
        return;
    }
    const QRect wanted(placement->left, placement->top, placement->width, placement->height);
    // A place on a screen that is no longer there is not taken: the window would
    // open where nobody can see it.
    if (available.isValid() && !available.intersects(wanted)) {
        resize(placement->width, placement->height);
        move(available.center() - QPoint(width() / 2, height() / 2));
    } else {
        resize(placement->width, placement->height);
        move(placement->left, placement->top);
    }
    if (placement->maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::savePlacement() {
    const QRect normal = isMaximized() ? normalGeometry() : QRect(pos(), size());
    // With the charts hidden the window is only a strip; it opens again with them.
    const int height = isOn() ? normal.height() : kHeightVisualizationOn;
    const settings::WindowPlacement placement{normal.x(), normal.y(), normal.width(), height, isMaximized()};
    try {
        placement.save(core_->settingsFile(), kPlacementSection);
    } catch (const std::exception& e) {
        core_->eventLog().addlogfile(std::string("Window placement not saved: ") + e.what());
    }
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (charts_) placeWideControls();
}

bool TForm1::askToStopAndClose() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("ZUVA-7k Logger"), QString::fromLatin1(kCloseQuestion),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("CloseQuestion"));
    QPushButton* keep = box.addButton(QString::fromLatin1(kKeepRecording), QMessageBox::RejectRole);
    QPushButton* stop = box.addButton(QString::fromLatin1(kStopAndClose), QMessageBox::DestructiveRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    asking_ = true;
    box.exec();
    asking_ = false;
    return box.clickedButton() == stop;
}

void TForm1::closeWithoutAsking() {
    closeWithoutAsking_ = true;
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    const bool running = core_->acquisition().DataMode() || watch_->running();
    if (!closed_ && !closeWithoutAsking_ && running) {
        // A hand close during a run asks first; keeping the recording is the default.
        const bool stop = !asking_ && askToStopAndClose();
        if (!closed_ && !stop) {
            event->ignore();
            return;
        }
    }
    if (stationTimer_) stationTimer_->stop();
    if (!closed_) {
        closed_ = true;
        stopLoading();
        core_->shutDown();
        savePlacement();
    }
    event->accept();
}

void TForm1::logLater(const std::string& message) {
    QMetaObject::invokeMethod(this, [this, message] { core_->eventLog().addlogfile(message); },
                              Qt::QueuedConnection);
}

void TForm1::stopLoading() {
    {
        const std::lock_guard lock(flightMutex_);
        cancelLoading_ = true;
    }
    flightChanged_.notify_all();
    if (loader_.joinable()) loader_.join();
    const std::lock_guard lock(flightMutex_);
    cancelLoading_ = false;
    blocksInFlight_ = 0;
}

QString TForm1::openFolder() const {
    if (!lastFolder_.isEmpty() && QFileInfo(lastFolder_).isDir()) return lastFolder_;
    const QString output = qs(core_->outputDirectory().fieldText());
    if (!output.isEmpty() && QFileInfo(output).isDir()) return output;
    return QDir::currentPath();
}

QString TForm1::chooseDataFile() {
    QFileDialog dialog(this, {}, openFolder(), kOpenFilter);
    dialog.setDefaultSuffix("zuva");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    lastFolder_ = QFileInfo(dialog.selectedFiles().front()).absolutePath();
    return dialog.selectedFiles().front();
}

QStringList TForm1::chooseDataFiles() {
    QFileDialog dialog(this, QStringLiteral("Open data files"), openFolder(), kOpenFilter);
    dialog.setDefaultSuffix("zuva");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    lastFolder_ = QFileInfo(dialog.selectedFiles().front()).absolutePath();
    return dialog.selectedFiles();
}

void TForm1::Open2Click() {
    const QStringList names = chooseDataFiles();
    if (!names.isEmpty()) openDataFiles(names);
}

void TForm1::OpenFolderClick() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Open every data file of a folder"), openFolder());
    if (folder.isEmpty()) return;
    lastFolder_ = folder;
    openDataFiles({folder});
}

bool TForm1::openDataFile(const QString& name) { return openDataFiles({name}); }

QString TForm1::notOpenedWhileRecordingText(const QStringList& names) {
    return QStringLiteral("Not opened while recording: %1 (File / Open... after Stop)").arg(names.join(QStringLiteral(", ")));
}

bool TForm1::openGivenFiles(const QStringList& names) {
    if (names.isEmpty()) return false;
    // The File menu is off exactly while a run is on.
    if (!core_->controls().isEnabled(acquisition::Control::FileMenu)) {
        core_->eventLog().addlogfile(notOpenedWhileRecordingText(names).toStdString());
        return false;
    }
    return openDataFiles(names);
}

bool TForm1::openDataFiles(const QStringList& names) {
    stopLoading();
    // Folders stand for their data files.
    QStringList files;
    for (const QString& name : names) {
        const QFileInfo info(name);
        if (info.isDir()) {
            const QDir dir(name);
            const QStringList found =
                dir.entryList({QStringLiteral("*.zuv"), QStringLiteral("*.ZUV")}, QDir::Files, QDir::Name);
            if (found.isEmpty()) core_->eventLog().addlogfile("No data files (*.zuv) in " + name.toStdString());
            for (const QString& f : found) files << dir.absoluteFilePath(f);
        } else {
            files << name;
        }
    }
    files.removeDuplicates();

    struct Opened {
        std::string path;
        recording::DataFileHeaderScan header;
        QDate date;
    };
    std::vector<Opened> opened;
    for (const QString& name : files) {
        const std::string path = name.toStdString();
        try {
            recording::DataFileHeaderReader reader(core_->eventLog());
            Opened o{path, reader.ReadDataFileHeader(path, core_->options().sensitivity()), {}};
            o.date = QDate(o.header.year, o.header.month, o.header.day);
            opened.push_back(std::move(o));
        } catch (const std::exception& e) {
            core_->eventLog().addlogfile(std::string("Cannot open file: ") + path + ": " + e.what());
            if (files.size() == 1) settings::ErrorBox::show(this, qs(recording::dataFileNotFoundMessage(path)));
        }
    }
    if (opened.empty()) {
        if (files.isEmpty() && !names.isEmpty())
            settings::ErrorBox::show(this, QStringLiteral("No data files (*.zuv) in ") + names.front());
        else if (files.size() > 1)
            settings::ErrorBox::show(this, QStringLiteral("None of the %1 files could be opened").arg(files.size()));
        return false;
    }
    // One timeline in time order: by the header's date, then by name (the file names
    // begin with the time of their first record).
    std::stable_sort(opened.begin(), opened.end(), [](const Opened& a, const Opened& b) {
        if (a.date != b.date) return !a.date.isValid() ? false : (!b.date.isValid() ? true : a.date < b.date);
        return a.path < b.path;
    });
    QDate origin;
    for (const Opened& o : opened) {
        if (o.date.isValid() && (!origin.isValid() || o.date < origin)) origin = o.date;
    }

    viewerFiles_.clear();
    for (const Opened& o : opened) viewerFiles_ << qs(o.path);
    if (opened.size() == 1) {
        setWindowTitle(QString(kViewerCaption) + viewerFiles_.front());
    } else {
        setWindowTitle(QString(kViewerCaption) + QStringLiteral("%1 files, %2 ... %3")
                                                     .arg(opened.size())
                                                     .arg(QFileInfo(viewerFiles_.front()).fileName(),
                                                          QFileInfo(viewerFiles_.back()).fileName()));
    }
    for (const Opened& o : opened) {
        core_->eventLog().addlogfile("Loading file: " + o.path);
        if (!o.header.FileInfoText.empty()) core_->eventLog().addlogfile(o.header.FileInfoText);
    }

    charts_->ResetAxisAndSeries();
    viewer_->clear();
    // Only files with a date can be placed after others; without one a file's
    // records count from the origin's midnight.
    viewer_->setOrigin(origin);
    viewerShown_ = true;
    for (int i = 0; i < display::LiveCharts::kCharts; ++i) charts_->chart(i)->hide();
    viewer_->setVisible(isOn());
    ProgressBar1->setValue(0);

    struct Job {
        std::string path;
        recording::DataFileHeaderScan header;
        double offsetSeconds;
    };
    std::vector<Job> jobs;
    for (const Opened& o : opened) {
        const qint64 days = origin.isValid() && o.date.isValid() ? origin.daysTo(o.date) : 0;
        jobs.push_back({o.path, o.header, static_cast<double>(days) * 86400.0});
    }

    loading_ = true;
    // Blocks of an earlier load still queued for the main thread are dropped there.
    const std::uint64_t generation = ++loadGeneration_;
    loader_ = std::thread([this, jobs, generation] {
        ForwardingLog log([this](const std::string& line) { logLater(line); });
        struct Consumer final : recording::RecordBlockConsumer {
            TForm1* form;
            std::uint64_t generation;
            double offsetSeconds = 0.0;
            int fileIndex = 0;
            int fileCount = 1;
            bool consumeBlock(const recording::RecordBlock& block) override {
                {
                    std::unique_lock lock(form->flightMutex_);
                    form->flightChanged_.wait(lock, [f = form] {
                        return f->cancelLoading_ || f->blocksInFlight_ < kBlocksInFlight;
                    });
                    if (form->cancelLoading_) return false;
                    ++form->blocksInFlight_;
                }
                auto copy = std::make_shared<LoadedBlock>();
                copy->seconds.assign(block.timeOfDay.begin(), block.timeOfDay.end());
                for (double& t : copy->seconds) t += offsetSeconds;
                copy->bx.assign(block.bx.begin(), block.bx.end());
                copy->by.assign(block.by.begin(), block.by.end());
                copy->bz.assign(block.bz.begin(), block.bz.end());
                copy->percent = (fileIndex * 100 + block.progressPercent()) / fileCount;
                QMetaObject::invokeMethod(
                    form,
                    [f = form, copy, g = generation] {
                        if (g != f->loadGeneration_) return;
                        f->viewer_->appendBlock(copy->seconds.data(), copy->bx.data(), copy->by.data(),
                                                copy->bz.data(), copy->seconds.size());
                        f->ProgressBar1->setValue(copy->percent);
                        {
                            const std::lock_guard lock(f->flightMutex_);
                            if (f->blocksInFlight_ > 0) --f->blocksInFlight_;
                        }
                        f->flightChanged_.notify_all();
                    },
                    Qt::QueuedConnection);
                return true;
            }
        } consumer;
        consumer.form = this;
        consumer.generation = generation;
        consumer.fileCount = static_cast<int>(jobs.size());
        std::string failure;
        for (std::size_t i = 0; i < jobs.size() && !cancelLoading_; ++i) {
            consumer.fileIndex = static_cast<int>(i);
            consumer.offsetSeconds = jobs[i].offsetSeconds;
            try {
                recording::DataRecordReader reader(log);
                const auto result = reader.read(jobs[i].path, jobs[i].header, consumer);
                if (result.status == recording::RecordReadResult::Status::FileNotFound) {
                    failure += (failure.empty() ? "" : "; ") + result.message;
                }
            } catch (const std::exception& e) {
                failure += (failure.empty() ? "" : "; ") + jobs[i].path + ": " + e.what();
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, failure, generation] {
                if (generation != loadGeneration_) return;
                if (!failure.empty()) core_->eventLog().addlogfile("Loading stopped: " + failure);
                viewer_->resetView();
                viewer_->refreshNow();
                ProgressBar1->setValue(0);
                loading_ = false;
            },
            Qt::QueuedConnection);
    });
    return true;
}

void TForm1::Savetotext1Click() {
    const QString name = chooseDataFile();
    if (!name.isEmpty()) exportDataFile(name);
}

QString TForm1::exportNotice(std::uint64_t lines, const QString& outputName) {
    // A long path is shortened to its file name; the tooltip holds it whole.
    const QString shown = outputName.size() <= kNoticePathLength
                              ? outputName
                              : QStringLiteral(".../") + QFileInfo(outputName).fileName();
    return QStringLiteral("Written %1 lines to %2").arg(groupedCount(lines), shown);
}

QString TForm1::exportFailureText(int code, const QString& outputName) {
    return QStringLiteral("I/O error %1: %2\nThe text file %3 was not written completely.")
        .arg(code)
        .arg(QString::fromLocal8Bit(std::strerror(code)), outputName);
}

void TForm1::exportDataFile(const QString& name) {
    const std::string path = name.toStdString();
    const QString outputName = name + QStringLiteral(".txt");
    panels_->setNotice({});
    Savetotext1->setEnabled(false);
    try {
        recording::DataFileHeaderReader reader(core_->eventLog());
        const auto header = reader.ReadDataFileHeader(path, core_->options().sensitivity());
        recording::DataTextExporter exporter(core_->eventLog(), recording::systemLocaleFormats());
        const auto result = exporter.ExportDataToText(path, header, [this](int percent) {
            ProgressBar1->setValue(percent);
            // The picture stays alive while the lines are written.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        ProgressBar1->setValue(0);
        if (result.status == recording::ExportResult::Status::FileNotFound) {
            settings::ErrorBox::show(this, qs(result.message));
        } else if (result.status == recording::ExportResult::Status::Completed) {
            const QString written = result.outputName.empty() ? outputName : qs(result.outputName);
            panels_->setNotice(exportNotice(result.linesWritten, written),
                               QStringLiteral("Written %1 lines to %2").arg(groupedCount(result.linesWritten), written));
        }
    } catch (const recording::IoError& e) {
        ProgressBar1->setValue(0);
        const QString text = exportFailureText(e.code(), outputName);
        core_->eventLog().addlogfile("Export stopped: " + text.section(QLatin1Char('\n'), 0, 0).toStdString() +
                                     ": " + outputName.toStdString());
        settings::ErrorBox::show(this, text);
    } catch (const std::exception& e) {
        ProgressBar1->setValue(0);
        settings::ErrorBox::show(this, qs(e.what()));
    }
    Savetotext1->setEnabled(true);
}

}  // namespace zuva::app
