#pragma once

#include <cstdint>
#include <string>

#include "products/FieldValue.h"
#include "products/IagaHeader.h"

namespace zuva::network {

// One IAGA-2002 day file of the collector's archive, written in place: its records
// run from the day's first second (or minute) up to the latest value received, and
// a record that is still missing (99999.00) when a late value comes is filled in.
// A repeated value never replaces one already there. Every record has the same
// length, so a value's place follows from its time; an append a crash cut short is
// cut off when the file is opened again.
class CollectorDayFile {
public:
    enum class Result { Written, Repeat, OutsideDay };

    // Opens `path` or creates it with `header`. Throws std::runtime_error with the
    // path and the system's reason when the file cannot be opened or read.
    CollectorDayFile(std::string path, const products::IagaHeader& header, products::Interval interval,
                     std::int64_t dayStart);
    ~CollectorDayFile();
    CollectorDayFile(const CollectorDayFile&) = delete;
    CollectorDayFile& operator=(const CollectorDayFile&) = delete;

    // Throws std::runtime_error when the write fails.
    Result put(const products::FieldValue& value);
    const std::string& path() const { return path_; }
    std::uint64_t records() const { return records_; }

private:
    std::string path_;
    products::Interval interval_;
    std::int64_t dayStart_;
    int fd_ = -1;
    std::uint64_t headerSize_ = 0;
    std::uint64_t records_ = 0;
};

}  // namespace zuva::network
