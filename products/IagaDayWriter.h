#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "products/FieldValueListener.h"
#include "products/IagaHeader.h"
#include "recording/FileSystem.h"
#include "recording/LogSink.h"

namespace zuva::products {

// Writes the values of both intervals into the IAGA-2002 day files of a directory
// as they come: one file per UTC day and interval, every second (or minute) of the
// day a record in time order, 99999.00 where no value came. A day's file that is
// already there (an earlier run of the same day) is continued after its last whole
// record; an incomplete last record (a run killed while writing) is cut off first,
// and a file that does not fit (another station, not IAGA-2002) is moved aside to
// "<name>.old" (or ".old2", ...) with a log line. When the next day begins, the
// file of the day before is completed to its last second or minute; so is the file
// of the day before the first value when the program was not running at midnight.
//
// A new file appears under its name only with its header whole. A write that fails
// keeps what it could not write and tries again with every later value, reporting
// the failure once and the recovery once; nothing is lost while fewer than
// maxWaitingRecords records wait. Beyond that the newest values are left out, and
// their records are written later as missing (99999.00), so the files stay whole.
class IagaDayWriter final : public FieldValueListener {
public:
    struct Options {
        std::string directory;  // empty: the current directory
        IagaHeader secondHeader;
        IagaHeader minuteHeader;
        char typeLetter = 'v';
        std::size_t maxWaitingRecords = 3 * 86400;
    };

    IagaDayWriter(recording::FileSystem& fs, recording::LogSink& log, Options options);

    void valueReady(Interval interval, const FieldValue& value) override;
    // Tries again to write what waits.
    void retry();
    // Files begun from now on go into this directory (empty: the current one).
    void setDirectory(const std::string& directory) { options_.directory = directory; }

    // Records handed over but not yet on the disk.
    std::size_t waitingRecords() const;
    // The file the interval's values now go to ("" before the first value).
    std::string currentFile(Interval interval) const;

private:
    struct DayFile {
        std::string path;
        std::int64_t day = 0;
        std::int64_t next = 0;       // the time of the next record
        bool onDisk = false;         // the file is there with its header
        std::string pending;         // bytes still to append
        std::size_t pendingRecords = 0;
        std::uint64_t truncateTo = UINT64_MAX;  // an incomplete last record to cut off first
        bool failing = false;
        std::string resumeNote;  // the log line of a file continued, or empty
    };
    struct Stream {
        Interval interval;
        const IagaHeader* header;
        std::deque<DayFile> files;
        bool skipping = false;  // values at times already written are being left out
        bool dropping = false;  // the newest values are being left out (too much waits)
    };

    Stream& stream(Interval interval) { return streams_[interval == Interval::Second ? 0 : 1]; }
    DayFile& dayFile(Stream& s, std::int64_t day);
    DayFile openDay(Stream& s, std::int64_t day);
    void fillUpTo(Stream& s, DayFile& f, std::int64_t end);
    void flush(Stream& s);
    bool write(Stream& s, DayFile& f);
    std::string pathOf(const Stream& s, std::int64_t day) const;

    recording::FileSystem& fs_;
    recording::LogSink& log_;
    Options options_;
    std::array<Stream, 2> streams_;
};

}  // namespace zuva::products
