#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "recording/DataFileSink.h"
#include "recording/FileHandle.h"
#include "recording/FileSystem.h"
#include "recording/LogSink.h"
#include "recording/PeriodFile.h"
#include "recording/SecondRecordEncoder.h"
#include "recording/WriteBacklog.h"

namespace zuva::recording {

// Writes data files: a new file with its XML header for each recording period
// (OpenNewDataFile) and one record per completed second (AppendSecondRecord). No
// handle is held between calls: each header and each record is written by its own
// open, write and close, and (unless switched off) flushed to the disk before the
// call returns, so a power cut costs at most the second in progress.
//
// Recorded data is never destroyed: when the composed name is taken (the clock was
// set back, two runs began in the same second) the file goes to the first free
// name "<name>-1.zuv", "<name>-2.zuv", ...; a file that disappeared during its
// period is created again with its header before the record is appended; a record
// that could not be written completely is cut off again so that later records stay
// in step. The output directory itself is never created: a missing directory (an
// unmounted drive) must not fill the file system underneath.
//
// A header or record that cannot be written (disk full, I/O error, directory gone,
// file made read-only) does not throw: it waits in a bounded backlog and is written,
// into the file of its own period and in order, as soon as writing succeeds again.
// Each later call first tries the backlog again, a limited number of records at a
// time; a file of a later period (in another directory, say) is written meanwhile
// if it can be. The event log gets one line when writing begins to fail, one when
// the backlog has been written, and one for each run of seconds the full backlog had
// to drop (the newest seconds are dropped; see WriteBacklog).
class DataFileWriter final : public DataFileSink {
public:
    using CaptionListener = std::function<void(const std::string& caption)>;

    // Seconds kept while the data files cannot be written: one hour, at most
    // 3600 * kMaxRecordSize bytes (11 MB at 256 Hz).
    static inline constexpr std::size_t kBacklogCapacity = 3600;
    // Backlog records written per call, so that catching up after a long failure
    // never holds the reception of data for long (an hour is caught up in about a
    // minute).
    static inline constexpr std::size_t kBacklogRecordsPerCall = 60;

    explicit DataFileWriter(LogSink& log);
    DataFileWriter(LogSink& log, FileSystem& fileSystem, std::size_t backlogCapacity = kBacklogCapacity);
    DataFileWriter(const DataFileWriter&) = delete;
    DataFileWriter& operator=(const DataFileWriter&) = delete;
    // Tries the backlog a last time; what still cannot be written is reported.
    ~DataFileWriter() override;

    // The owner passes the output directory (empty: the current directory) and the
    // remark; both are read when the next file is opened.
    void setOutputDirectory(std::string directory) { outputDirectory_ = std::move(directory); }
    void setRemarksText(std::string remarks) { remarks_ = std::move(remarks); }
    const std::string& outputDirectory() const { return outputDirectory_; }
    const std::string& remarksText() const { return remarks_; }

    // Each record (and each new file's header) is flushed to the disk with
    // fdatasync, and the directory of a new file with fsync. On by default; only a
    // soak test that writes hours of data in seconds switches it off.
    void setSyncEachRecord(bool on) { syncEachRecord_ = on; }
    bool syncEachRecord() const { return syncEachRecord_; }

    // The main window caption for the current data file; the listener is told each
    // time it changes.
    std::string caption() const { return captionFor(dataFileName_); }
    void setCaptionListener(CaptionListener listener) { captionListener_ = std::move(listener); }
    static std::string captionFor(const std::string& dataFileName);

    // Throws std::invalid_argument when info.averaging is not a power of two up to
    // 256. A file that cannot be created now is begun later, before the records
    // that follow it.
    void OpenNewDataFile(const DataFileHeaderInfo& info) override;
    // Throws std::logic_error before the first file was opened and
    // std::invalid_argument when the record's triple count differs from the last
    // file's. A record that cannot be written now waits in the backlog.
    void AppendSecondRecord(const SecondRecord& record) override;
    std::string DataFileName() const override { return dataFileName_; }
    std::size_t backlogSeconds() const override { return backlog_.records(); }

    // True from the first failed write until the backlog has been written.
    bool writeFailing() const { return failing_; }

    // How many "-n" alternatives are tried before a taken name is given up.
    static inline constexpr unsigned kMaxNameAlternatives = 999;

private:
    void announce(const std::string& name);
    void logQuietly(const std::string& message);
    // Creates the file under its composed name or the first free alternative and
    // writes its header; returns 0 or the system's error number. announceNow: the
    // caption and "Start= " line are given here (a file created when asked for).
    int createFile(PeriodFile& file, bool announceNow);
    static std::string takenNameLine(const std::string& composedName, const std::string& chosen);
    void announceAs(PeriodFile& file, const std::string& name);
    int writeUnnamed(const PeriodFile& file, FileHandle& unnamed);
    std::string firstFreeName(const std::string& composedName) const;
    int linkFirstFree(const PeriodFile& file, FileHandle& unnamed, std::string& chosen);
    int createInPlace(PeriodFile& file, std::string& chosen, bool announceNow);
    // writeUnnamed's answer when the file system cannot make unnamed files.
    static constexpr int kNoUnnamedFiles = -1;
    // Appends bytes (whole records) to a created file; returns 0 or the error.
    int appendTo(const PeriodFile& file, const std::uint8_t* bytes, std::size_t size);
    void retryBacklog(std::size_t recordLimit);
    void keepRecord(std::span<const std::uint8_t> bytes, const RecordTime& time);
    void writeFailed(int error, const std::string& name);
    void reportDropped(const WriteBacklog::DroppedRun& run);

    LogSink& log_;
    FileSystem& fileSystem_;
    std::string outputDirectory_;
    std::string remarks_;
    std::string dataFileName_ = "TEST.ZUV";
    std::uint16_t tripleCount_ = 0;   // triples per record of the last file asked for; 0 before the first
    std::uint64_t filesAskedFor_ = 0;
    bool syncEachRecord_ = true;
    CaptionListener captionListener_;
    WriteBacklog backlog_;  // the current file, and earlier ones while they owe records
    bool failing_ = false;
    std::size_t writtenLate_ = 0;
    std::array<std::uint8_t, kMaxRecordSize> recordBuffer_{};
    std::vector<std::uint8_t> batch_;       // backlog records written together
    std::vector<std::uint8_t> withHeader_;  // a vanished file's header with its records
};

}  // namespace zuva::recording
