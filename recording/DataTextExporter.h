#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "recording/DataFileHeaderScan.h"
#include "recording/LocaleFormats.h"
#include "recording/LogSink.h"

namespace zuva::recording {

struct ExportResult {
    enum class Status {
        Completed,       // every whole record was written
        FileNotFound,    // no output; message holds the text to show
        NoSamplingRate,  // no output; "Error  SamplingRate=0!" was logged
    };
    Status status = Status::Completed;
    std::string message;
    std::string outputName;  // the data file name + ".txt"
    std::uint64_t linesWritten = 0;
};

// File / Save data to text file: writes every sample of a data file as a line of
// text to the data file's name + ".txt", replacing a file of that name, using the
// values of a header scan of that file and the locale's decimal separator.
//
// A record whose time bytes are no time of day throws TimeEncodeError and file
// errors throw IoError; the lines written before stay in the output file.
class DataTextExporter {
public:
    using Progress = std::function<void(int percent)>;

    DataTextExporter(LogSink& log, const LocaleFormats& formats) : log_(log), separator_(formats.decimalSeparator) {}

    ExportResult ExportDataToText(const std::string& name, const DataFileHeaderScan& header,
                                  const Progress& progress = {});

private:
    LogSink& log_;
    char separator_;
};

}  // namespace zuva::recording
