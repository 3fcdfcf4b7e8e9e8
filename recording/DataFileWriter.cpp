#include "recording/DataFileWriter.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

#include "recording/DataFileHeaderComposer.h"
#include "recording/DataFileNameComposer.h"
#include "recording/IoError.h"
#include "recording/PosixFile.h"

namespace zuva::recording {

namespace {

constexpr int kCreateNew = O_WRONLY | O_CREAT | O_EXCL;

void removeQuietly(const std::string& name) { ::unlink(name.c_str()); }

}  // namespace

DataFileWriter::DataFileWriter(LogSink& log) : log_(log) {}

std::string DataFileWriter::captionFor(const std::string& dataFileName) {
    return "ZUVA-7k Logger - Version 3.8 - 19.08.2009 - " + dataFileName;
}

void DataFileWriter::announce(const std::string& name) {
    dataFileName_ = name;
    if (captionListener_) captionListener_(caption());
    log_.addlogfile("Start= " + dataFileName_);
}

void DataFileWriter::OpenNewDataFile(const DataFileHeaderInfo& info) {
    ComposedHeader header = DataFileHeaderComposer::compose(info, remarks_);
    for (const std::string& note : header.notes) log_.addlogfile(note);
    headerText_ = std::move(header.text);
    tripleCount_ = header.tripleCount;

    const std::string composed = DataFileNameComposer::compose(outputDirectory_, info.fileDate, info.fileTime);

    // O_EXCL finds a free name and creates the file in one step, so an existing
    // file is never truncated, not even by a second program racing for the name.
    PosixFile file;
    std::string chosen;
    int error = 0;
    for (unsigned n = 0; n <= kMaxNameAlternatives; ++n) {
        chosen = DataFileNameComposer::alternative(composed, n);
        file = PosixFile::tryOpen(chosen, kCreateNew, 0644, error);
        if (file.isOpen() || error != EEXIST) break;
    }
    if (!file.isOpen()) {
        announce(composed);
        throw IoError(error);
    }
    try {
        if (chosen != composed) log_.addlogfile("Data file " + composed + " already exists, recording into " + chosen);
        announce(chosen);
        file.writeAll(headerText_.data(), headerText_.size());
        file.close();
    } catch (...) {
        // The file is ours and holds no records yet: leave no half header behind,
        // so that the next attempt can use the same name.
        file = PosixFile();
        removeQuietly(chosen);
        throw;
    }
}

void DataFileWriter::AppendSecondRecord(const SecondRecord& record) {
    if (tripleCount_ == 0) throw std::logic_error("Second record before any data file was opened");
    if (record.tripleCount != tripleCount_) {
        throw std::invalid_argument("Second record with " + std::to_string(record.tripleCount) +
                                    " triples for a data file of " + std::to_string(tripleCount_));
    }
    const std::size_t size = SecondRecordEncoder::encode(record, recordBuffer_);

    int error = 0;
    PosixFile file = PosixFile::tryOpen(dataFileName_, O_WRONLY | O_APPEND, 0, error);
    bool recreated = false;
    if (!file.isOpen()) {
        if (error != ENOENT) throw IoError(error);
        file = PosixFile::tryOpen(dataFileName_, kCreateNew | O_APPEND, 0644, error);
        if (file.isOpen()) {
            recreated = true;
        } else if (error == EEXIST) {
            file = PosixFile::open(dataFileName_, O_WRONLY | O_APPEND);
        } else {
            throw IoError(error);
        }
    }

    const std::uint64_t sizeBefore = recreated ? 0 : file.size();
    try {
        if (recreated) {
            std::string bytes = headerText_;
            bytes.append(reinterpret_cast<const char*>(recordBuffer_.data()), size);
            file.writeAll(bytes.data(), bytes.size());
        } else {
            file.writeAll(std::span<const std::uint8_t>(recordBuffer_.data(), size));
        }
    } catch (...) {
        // A part of a record would shift every later record: take it back.
        if (recreated) {
            file = PosixFile();
            removeQuietly(dataFileName_);
        } else {
            try {
                file.truncate(sizeBefore);
            } catch (const IoError&) {
            }
        }
        throw;
    }
    file.close();
    if (recreated) log_.addlogfile("Data file was missing, created again with its header: " + dataFileName_);
}

}  // namespace zuva::recording
