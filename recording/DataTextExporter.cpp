#include "recording/DataTextExporter.h"

#include "recording/BufferedFileWriter.h"
#include "recording/DataRecordReader.h"
#include "recording/ExportLineWriter.h"
#include "recording/PosixFile.h"

namespace zuva::recording {

ExportResult DataTextExporter::ExportDataToText(const std::string& name, const DataFileHeaderScan& header,
                                                const Progress& progress) {
    ExportResult result;
    result.outputName = name + ".txt";
    if (!pathExists(name)) {
        result.status = ExportResult::Status::FileNotFound;
        result.message = dataFileNotFoundMessage(name);
        return result;
    }
    if (header.FileSamplingRate <= 0) {
        log_.addlogfile("Error  SamplingRate=0!");
        result.status = ExportResult::Status::NoSamplingRate;
        return result;
    }

    BufferedFileWriter out(result.outputName);
    ExportLineWriter lines(out, separator_, progress);
    DataRecordReader reader(log_);
    try {
        const RecordReadResult read = reader.read(name, header, lines);
        if (read.status == RecordReadResult::Status::FileNotFound) {
            result.status = ExportResult::Status::FileNotFound;
            result.message = read.message;
        }
    } catch (...) {
        // Keep the lines written so far; the first error is the one reported.
        try {
            out.close();
        } catch (...) {
        }
        throw;
    }
    out.close();
    result.linesWritten = lines.linesWritten();
    return result;
}

}  // namespace zuva::recording
