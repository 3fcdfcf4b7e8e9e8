#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "recording/DataFileSink.h"
#include "recording/LogSink.h"
#include "recording/SecondRecordEncoder.h"

namespace zuva::recording {

// Writes data files: a new file with its XML header for each recording period
// (OpenNewDataFile) and one record per completed second (AppendSecondRecord). No
// handle is held between calls: each header and each record is written by its own
// open, write and close. Every failure throws IoError with errno.
//
// Recorded data is never destroyed: when the composed name is taken (the clock was
// set back, two runs began in the same second) the file goes to the first free
// name "<name>-1.zuv", "<name>-2.zuv", ...; a file that disappeared during its
// period is created again with its header before the record is appended; a record
// that could not be written completely is cut off again so that later records stay
// in step.
class DataFileWriter final : public DataFileSink {
public:
    using CaptionListener = std::function<void(const std::string& caption)>;

    explicit DataFileWriter(LogSink& log);

    // The owner passes the output directory (empty: the current directory) and the
    // remark; both are read when the next file is opened.
    void setOutputDirectory(std::string directory) { outputDirectory_ = std::move(directory); }
    void setRemarksText(std::string remarks) { remarks_ = std::move(remarks); }
    const std::string& outputDirectory() const { return outputDirectory_; }
    const std::string& remarksText() const { return remarks_; }

    // The main window caption for the current data file; the listener is told each
    // time it changes.
    std::string caption() const { return captionFor(dataFileName_); }
    void setCaptionListener(CaptionListener listener) { captionListener_ = std::move(listener); }
    static std::string captionFor(const std::string& dataFileName);

    // Throws std::invalid_argument when info.averaging is not a power of two up to
    // 256, IoError when the file cannot be created or written.
    void OpenNewDataFile(const DataFileHeaderInfo& info) override;
    // Throws std::logic_error before the first file was opened, std::invalid_argument
    // when the record's triple count differs from the current file's, IoError when
    // the file cannot be written.
    void AppendSecondRecord(const SecondRecord& record) override;
    std::string DataFileName() const override { return dataFileName_; }

    // How many "-n" alternatives are tried before a taken name is given up.
    static inline constexpr unsigned kMaxNameAlternatives = 999;

private:
    void announce(const std::string& name);

    LogSink& log_;
    std::string outputDirectory_;
    std::string remarks_;
    std::string dataFileName_ = "TEST.ZUV";
    std::string headerText_;         // header of the current file, to create it again
    std::uint16_t tripleCount_ = 0;  // triples per record of the current file; 0 before the first
    CaptionListener captionListener_;
    std::array<std::uint8_t, kMaxRecordSize> recordBuffer_{};
};

}  // namespace zuva::recording
