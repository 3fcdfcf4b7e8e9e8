#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "recording/Clock.h"
#include "recording/LocaleFormats.h"
#include "recording/LogSink.h"

namespace zuva::recording {

// The event log: every message becomes one line, short date + " " + long time +
// ": " + message, appended with CR LF to "zuva.log" in the process's current
// directory at the time of the write (opened and closed for each line), and kept
// in the list of the ten newest lines the main window shows.
//
// addlogfile never throws: a line that cannot be written to the file still enters
// the list, the failure is reported once as a line of its own in the list, and the
// log goes back to writing silently once the file can be written again.
class EventLog final : public LogSink {
public:
    static constexpr const char* kFileName = "zuva.log";
    static constexpr std::size_t kLinesShown = 10;

    EventLog(const Clock& clock, LocaleFormats formats);

    void addlogfile(const std::string& message) override;

    // The line addlogfile would form for `message` now.
    std::string formatLine(const std::string& message) const;

    // Lines held in the list (0..10).
    std::uint16_t LogLinesShown() const { return static_cast<std::uint16_t>(lines_.size()); }
    // The list, oldest first, newest last.
    const std::deque<std::string>& lines() const { return lines_; }
    // The text of the list's edit field: the newest line.
    const std::string& editText() const { return editText_; }
    // True while writes to the file fail.
    bool fileWriteFailing() const { return failing_; }

    // Called after every change of the list.
    void setOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }
    // Called with every line as it enters the list (the publisher sends them on). The
    // number returned ends the calls through removeLineObserver, which an observer
    // that goes before the log must call.
    using LineObserver = std::function<void(const std::string&)>;
    int addLineObserver(LineObserver observer);
    void removeLineObserver(int id);

    // How a line reached the file, for a second copy of the log (the journal).
    enum class Delivery {
        Written,     // the line is in the file
        NotWritten,  // the file could not be written; this copy is the only one
        Notice,      // the log's own line about the file failing (never in the file)
    };
    // Called with every message and its full line, after the file was tried.
    using Mirror = std::function<void(const std::string& message, const std::string& line, Delivery delivery)>;
    void setMirror(Mirror mirror) { mirror_ = std::move(mirror); }

private:
    // Appends line + CR LF to the file; returns 0 or the system's error number.
    static int appendToFile(const std::string& line);
    void show(const std::string& line);
    void mirror(const std::string& message, const std::string& line, Delivery delivery);

    const Clock& clock_;
    LocaleFormats formats_;
    std::deque<std::string> lines_;
    std::string editText_;
    bool failing_ = false;
    std::function<void()> onChanged_;
    Mirror mirror_;
    std::vector<std::pair<int, LineObserver>> lineObservers_;
    int nextObserverId_ = 1;
};

}  // namespace zuva::recording
