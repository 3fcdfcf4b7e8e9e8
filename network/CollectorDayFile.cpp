#include "network/CollectorDayFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "recording/FileBytes.h"
#include "products/IagaFormat.h"

namespace zuva::network {

namespace {

constexpr std::uint64_t kRecord = products::IagaFormat::kRecordLength + 1;

std::runtime_error failure(const std::string& what, const std::string& path) {
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

CollectorDayFile::CollectorDayFile(std::string path, const products::IagaHeader& header,
                                   products::Interval interval, std::int64_t dayStart)
    : path_(std::move(path)), interval_(interval), dayStart_(dayStart) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) throw failure("cannot open", path_);
    struct stat st {};
    ::fstat(fd_, &st);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0) {
        const std::string text = products::IagaFormat::headerText(header);
        if (!recording::FileBytes::writeAt(fd_, text, 0)) {
            const int error = errno;
            ::close(fd_);
            ::unlink(path_.c_str());
            errno = error;
            throw failure("cannot write", path_);
        }
        headerSize_ = text.size();
        return;
    }
    // The header ends with the column header line ("DATE       TIME ...").
    std::string text;
    if (!recording::FileBytes::readAt(fd_, 0, static_cast<std::size_t>(std::min<std::uint64_t>(size, 64 * 1024)), text)) {
        const int error = errno;
        ::close(fd_);
        errno = error;
        throw failure("cannot read", path_);
    }
    const auto column = text.find("\nDATE ");
    const auto end = column == std::string::npos ? std::string::npos : text.find('\n', column + 1);
    if (text.rfind("DATE ", 0) != 0 && end == std::string::npos) {
        ::close(fd_);
        errno = EINVAL;
        throw std::runtime_error("not an IAGA-2002 file of the archive: " + path_);
    }
    headerSize_ = end + 1;
    records_ = (size - headerSize_) / kRecord;
    const std::uint64_t whole = headerSize_ + records_ * kRecord;
    if (whole != size && ::ftruncate(fd_, static_cast<off_t>(whole)) != 0) {
        const int error = errno;
        ::close(fd_);
        errno = error;
        throw failure("cannot cut off an incomplete record of", path_);
    }
}

CollectorDayFile::~CollectorDayFile() {
    if (fd_ >= 0) ::close(fd_);
}

CollectorDayFile::Result CollectorDayFile::put(const products::FieldValue& value) {
    const std::int64_t step = products::IagaFormat::step(interval_);
    const std::int64_t offset = value.time - dayStart_;
    if (offset < 0 || offset >= 86400 || offset % step != 0) return Result::OutsideDay;
    const auto index = static_cast<std::uint64_t>(offset / step);
    if (index < records_) {
        // A record already there: it takes a value only while it is missing.
        std::string old;
        if (!recording::FileBytes::readAt(fd_, headerSize_ + index * kRecord, kRecord, old)) throw failure("cannot read", path_);
        const std::string missing = products::IagaFormat::field(std::nan(""));
        const bool empty = old.compare(30, 10, missing) == 0 && old.compare(40, 10, missing) == 0 &&
                           old.compare(50, 10, missing) == 0;
        const bool nothingNew = std::isnan(value.x) && std::isnan(value.y) && std::isnan(value.z);
        if (!empty || nothingNew) return Result::Repeat;
        if (!recording::FileBytes::writeAt(fd_, products::IagaFormat::dataRecord(value), headerSize_ + index * kRecord))
            throw failure("cannot write", path_);
        return Result::Written;
    }
    // Records up to this one, the ones between still missing.
    std::string text;
    for (std::uint64_t i = records_; i < index; ++i) {
        products::FieldValue gap{dayStart_ + static_cast<std::int64_t>(i) * step, std::nan(""), std::nan(""),
                                 std::nan("")};
        text += products::IagaFormat::dataRecord(gap);
    }
    text += products::IagaFormat::dataRecord(value);
    if (!recording::FileBytes::writeAt(fd_, text, headerSize_ + records_ * kRecord)) {
        const int error = errno;
        if (::ftruncate(fd_, static_cast<off_t>(headerSize_ + records_ * kRecord)) != 0) {
        }
        errno = error;
        throw failure("cannot write", path_);
    }
    records_ = index + 1;
    return Result::Written;
}

}  // namespace zuva::network
