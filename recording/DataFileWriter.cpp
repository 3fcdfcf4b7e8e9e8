#include "recording/DataFileWriter.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "recording/DataFileHeaderComposer.h"
#include "recording/DataFileNameComposer.h"
#include "recording/FileHandle.h"
#include "recording/IoError.h"
#include "recording/PosixFileSystem.h"

namespace zuva::recording {

namespace {

constexpr int kCreateNew = O_WRONLY | O_CREAT | O_EXCL;

std::string directoryOf(const std::string& name) { return std::filesystem::path(name).parent_path().string(); }

std::string systemMessage(int error) {
    return std::string(std::strerror(error)) + " (I/O error " + std::to_string(error) + ")";
}

}  // namespace

DataFileWriter::DataFileWriter(LogSink& log) : DataFileWriter(log, PosixFileSystem::instance()) {}

DataFileWriter::DataFileWriter(LogSink& log, FileSystem& fileSystem, std::size_t backlogCapacity)
    : log_(log), fileSystem_(fileSystem), backlog_(backlogCapacity) {}

DataFileWriter::~DataFileWriter() {
    if (backlog_.empty()) return;
    try {
        retryBacklog(std::numeric_limits<std::size_t>::max());
    } catch (...) {
    }
    if (backlog_.empty()) return;
    if (auto run = backlog_.endDroppedRun()) reportDropped(*run);
    std::size_t count = 0;
    RecordTime first;
    RecordTime last;
    for (std::size_t i = 0; i < backlog_.fileCount(); ++i) {
        for (const WriteBacklog::Record& record : backlog_.file(i).records) {
            if (count++ == 0) first = record.time;
            last = record.time;
        }
    }
    if (count > 0) {
        logQuietly("Error: data file not written at exit: " + std::to_string(count) + " seconds lost, " +
                   recordTimeText(first) + " to " + recordTimeText(last));
    }
}

std::string DataFileWriter::captionFor(const std::string& dataFileName) {
    return "ZUVA-7k Logger - Version 3.8 - 19.08.2009 - " + dataFileName;
}

void DataFileWriter::announce(const std::string& name) {
    dataFileName_ = name;
    if (captionListener_) captionListener_(caption());
    log_.addlogfile("Start= " + dataFileName_);
}

std::string DataFileWriter::takenNameLine(const std::string& composedName, const std::string& chosen) {
    return "Data file " + composedName + " already exists, recording into " + chosen;
}

// The "Start= " line for a file to be recorded under `name`, after the line that
// says why when that is not the name composed for it.
void DataFileWriter::announceAs(PeriodFile& file, const std::string& name) {
    if (name != file.composedName) log_.addlogfile(takenNameLine(file.composedName, name));
    announce(name);
    file.announcedName = name;
}

void DataFileWriter::logQuietly(const std::string& message) {
    try {
        log_.addlogfile(message);
    } catch (...) {
        // Catching up must not stop half way because a log line failed.
    }
}

void DataFileWriter::OpenNewDataFile(const DataFileHeaderInfo& info) {
    ComposedHeader header = DataFileHeaderComposer::compose(info, remarks_);
    for (const std::string& note : header.notes) log_.addlogfile(note);

    PeriodFile file;
    file.composedName = DataFileNameComposer::compose(outputDirectory_, info.fileDate, info.fileTime);
    file.headerText = std::move(header.text);
    file.tripleCount = header.tripleCount;
    file.serial = ++filesAskedFor_;

    if (!backlog_.empty()) retryBacklog(kBacklogRecordsPerCall);
    // A new file does not depend on the earlier ones: it is created now if it can be,
    // even while older files still wait for their records.
    const int error = createFile(file, true);
    tripleCount_ = file.tripleCount;
    const std::string name = file.composedName;
    backlog_.beginFile(std::move(file), error == 0);
    if (error != 0) writeFailed(error, name);
}

int DataFileWriter::createFile(PeriodFile& file, bool announceNow) {
    std::string chosen;
    FileHandle unnamed(fileSystem_);
    int error = writeUnnamed(file, unnamed);
    if (error == kNoUnnamedFiles) {
        error = createInPlace(file, chosen, announceNow);
    } else if (error == 0) {
        // The "Start= " line comes before the name appears, as it does for a file
        // made in place: a file on the disk was always begun in the log.
        if (announceNow && file.announcedName.empty()) announceAs(file, firstFreeName(file.composedName));
        error = linkFirstFree(file, unnamed, chosen);
    }
    if (error != 0) {
        if (announceNow && file.announcedName.empty()) announceAs(file, file.composedName);
        return error;
    }
    if (chosen != file.announcedName) {
        // A file begun late, or taken from under us by another program, got another
        // name than announced: said once, when it exists.
        logQuietly(takenNameLine(file.composedName, chosen));
        if (file.serial == filesAskedFor_) {
            dataFileName_ = chosen;
            if (captionListener_) captionListener_(caption());
        }
    }
    // The directory entry goes to the disk as well. Its failure costs no data that
    // is written; a failing disk shows itself at the next record's flush.
    if (syncEachRecord_) fileSystem_.syncDirectory(directoryOf(chosen));
    file.name = chosen;
    return 0;
}

// The file appears under its name only once its header is complete and on the
// disk: the header goes into an unnamed file of the directory (O_TMPFILE), which is
// then linked to the first free name. A process killed at any moment leaves either
// no file or a whole header. kNoUnnamedFiles: the file system has no unnamed files.
int DataFileWriter::writeUnnamed(const PeriodFile& file, FileHandle& unnamed) {
    const std::string directory = directoryOf(file.composedName);
    const int error = unnamed.tryOpen(directory.empty() ? std::string(".") : directory, O_TMPFILE | O_WRONLY, 0644);
    if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL) return kNoUnnamedFiles;
    if (error != 0) return error;
    try {
        unnamed.writeAll(file.headerText.data(), file.headerText.size());
        if (syncEachRecord_) unnamed.syncData();
    } catch (const IoError& e) {
        return e.code();  // the unnamed file goes with its descriptor
    }
    return 0;
}

std::string DataFileWriter::firstFreeName(const std::string& composedName) const {
    for (unsigned n = 0; n <= kMaxNameAlternatives; ++n) {
        const std::string candidate = DataFileNameComposer::alternative(composedName, n);
        if (!fileSystem_.exists(candidate)) return candidate;
    }
    return composedName;
}

int DataFileWriter::linkFirstFree(const PeriodFile& file, FileHandle& unnamed, std::string& chosen) {
    int error = 0;
    for (unsigned n = 0; n <= kMaxNameAlternatives; ++n) {
        chosen = DataFileNameComposer::alternative(file.composedName, n);
        error = unnamed.tryLink(chosen);
        if (error != EEXIST) break;
    }
    if (error != 0) return error;
    try {
        unnamed.close();
    } catch (const IoError&) {
        // The header is written and named; a failing close shows itself again at
        // the first record.
    }
    return 0;
}

// Where unnamed files are not to be had (FAT and network file systems): O_EXCL finds
// a free name and creates the file in one step, so an existing file is never
// truncated, not even by a second program racing for the name; the header follows.
int DataFileWriter::createInPlace(PeriodFile& file, std::string& chosen, bool announceNow) {
    FileHandle handle(fileSystem_);
    int error = 0;
    for (unsigned n = 0; n <= kMaxNameAlternatives; ++n) {
        chosen = DataFileNameComposer::alternative(file.composedName, n);
        error = handle.tryOpen(chosen, kCreateNew, 0644);
        if (error != EEXIST) break;
    }
    if (error != 0) return error;
    try {
        if (announceNow) announceAs(file, chosen);
        handle.writeAll(file.headerText.data(), file.headerText.size());
        if (syncEachRecord_) handle.syncData();
        handle.close();
    } catch (const IoError& e) {
        // The file is ours and holds no records yet: leave no half header behind,
        // so that the next attempt can use the same name.
        handle = FileHandle(fileSystem_);
        fileSystem_.removeFile(chosen);
        return e.code();
    } catch (...) {
        handle = FileHandle(fileSystem_);
        fileSystem_.removeFile(chosen);
        throw;
    }
    return 0;
}

int DataFileWriter::appendTo(const PeriodFile& file, const std::uint8_t* bytes, std::size_t size) {
    const std::string& name = file.name;
    FileHandle handle(fileSystem_);
    int error = handle.tryOpen(name, O_WRONLY | O_APPEND, 0);
    bool recreated = false;
    if (error == ENOENT) {
        // The file vanished during its period. If its directory is gone too, this
        // fails with ENOENT as well and the records wait for the directory.
        error = handle.tryOpen(name, kCreateNew | O_APPEND, 0644);
        if (error == 0) {
            recreated = true;
        } else if (error == EEXIST) {
            error = handle.tryOpen(name, O_WRONLY | O_APPEND, 0);
        }
    }
    if (error != 0) return error;

    std::uint64_t sizeBefore = 0;
    try {
        if (recreated) {
            withHeader_.assign(file.headerText.begin(), file.headerText.end());
            withHeader_.insert(withHeader_.end(), bytes, bytes + size);
            handle.writeAll(withHeader_.data(), withHeader_.size());
        } else {
            sizeBefore = handle.size();
            handle.writeAll(bytes, size);
        }
        if (syncEachRecord_) handle.syncData();
    } catch (const IoError& e) {
        // A part of a record would shift every later record: take it back.
        if (recreated) {
            handle = FileHandle(fileSystem_);
            fileSystem_.removeFile(name);
        } else {
            try {
                handle.truncate(sizeBefore);
            } catch (const IoError&) {
            }
        }
        return e.code();
    }
    try {
        handle.close();
    } catch (const IoError&) {
        // write and fdatasync took the bytes; taking them back now could cost a
        // record, writing them again would record it twice.
    }
    if (recreated) {
        if (syncEachRecord_) fileSystem_.syncDirectory(directoryOf(name));
        logQuietly("Data file was missing, created again with its header: " + name);
    }
    return 0;
}

void DataFileWriter::AppendSecondRecord(const SecondRecord& record) {
    if (tripleCount_ == 0) throw std::logic_error("Second record before any data file was opened");
    if (record.tripleCount != tripleCount_) {
        throw std::invalid_argument("Second record with " + std::to_string(record.tripleCount) +
                                    " triples for a data file of " + std::to_string(tripleCount_));
    }
    const std::size_t size = SecondRecordEncoder::encode(record, recordBuffer_);
    const std::span<const std::uint8_t> bytes(recordBuffer_.data(), size);
    const RecordTime time{record.hour, record.minute, record.second};

    if (!backlog_.empty()) retryBacklog(kBacklogRecordsPerCall);
    WriteBacklog::FileQueue& current = backlog_.latest();
    if (!current.created || !current.records.empty()) {
        // Its file or earlier records of it still wait: this one goes after them.
        keepRecord(bytes, time);
        return;
    }
    const int error = appendTo(current.file, bytes.data(), bytes.size());
    if (error == 0) return;
    keepRecord(bytes, time);
    writeFailed(error, current.file.name);
}

void DataFileWriter::retryBacklog(std::size_t recordLimit) {
    std::size_t written = 0;
    for (std::size_t i = 0; i < backlog_.fileCount() && written < recordLimit; ++i) {
        WriteBacklog::FileQueue& queue = backlog_.file(i);
        if (!queue.created) {
            if (createFile(queue.file, false) != 0) continue;
            queue.created = true;
        }
        while (!queue.records.empty() && written < recordLimit) {
            // The records of a file go in one write and one flush.
            batch_.clear();
            const std::size_t n = std::min(queue.records.size(), recordLimit - written);
            for (std::size_t k = 0; k < n; ++k) {
                const std::vector<std::uint8_t>& record = queue.records[k].bytes;
                batch_.insert(batch_.end(), record.begin(), record.end());
            }
            if (appendTo(queue.file, batch_.data(), batch_.size()) != 0) break;
            backlog_.recordsWritten(queue, n);
            written += n;
            writtenLate_ += n;
        }
    }
    backlog_.prune();
    if (!backlog_.empty() || !failing_) return;
    if (auto run = backlog_.endDroppedRun()) reportDropped(*run);
    logQuietly("Data file written again: " + std::to_string(writtenLate_) + " seconds written late");
    failing_ = false;
    writtenLate_ = 0;
}

void DataFileWriter::keepRecord(std::span<const std::uint8_t> bytes, const RecordTime& time) {
    if (!backlog_.addRecord(bytes, time)) return;
    // A record kept after dropped ones ends the run of dropped seconds.
    if (auto run = backlog_.endDroppedRun()) reportDropped(*run);
}

void DataFileWriter::writeFailed(int error, const std::string& name) {
    if (failing_) return;
    failing_ = true;
    logQuietly("Error: data file " + name + " not written: " + systemMessage(error) + "; seconds wait in memory");
}

void DataFileWriter::reportDropped(const WriteBacklog::DroppedRun& run) {
    logQuietly("Error: write backlog full: " + std::to_string(run.count) + " seconds dropped, " +
               recordTimeText(run.first) + " to " + recordTimeText(run.last));
}

}  // namespace zuva::recording
