#include "recording/ExportLineWriter.h"

#include <cstring>

namespace zuva::recording {

namespace {

constexpr std::size_t kMaxLine = 16 + 3 * (ExportNumberFormatter::kMaxLength + 1) + 2;

char* twoDigits(int v, char* out) {
    out[0] = static_cast<char>('0' + v / 10);
    out[1] = static_cast<char>('0' + v % 10);
    return out + 2;
}

char* sampleNumber(std::size_t k, char* out) {
    if (k >= 100) *out++ = static_cast<char>('0' + k / 100);
    if (k >= 10) *out++ = static_cast<char>('0' + k / 10 % 10);
    *out++ = static_cast<char>('0' + k % 10);
    return out;
}

}  // namespace

ExportLineWriter::ExportLineWriter(BufferedFileWriter& out, char decimalSeparator, Progress progress)
    : out_(out), number_(decimalSeparator), progress_(std::move(progress)) {}

bool ExportLineWriter::consumeBlock(const RecordBlock& block) {
    const std::size_t n = block.samplesPerRecord;
    for (std::size_t r = 0; r < block.recordCount; ++r) {
        const int second = block.recordSecond[r];
        char time[9];
        char* t = twoDigits(second / 3600, time);
        *t++ = ' ';
        t = twoDigits(second / 60 % 60, t);
        *t++ = ' ';
        t = twoDigits(second % 60, t);
        *t = ' ';
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = r * n + k;
            char* p = out_.reserve(kMaxLine);
            std::memcpy(p, time, sizeof time);
            p = sampleNumber(k + 1, p + sizeof time);
            *p++ = ' ';
            p = number_.format(block.bx[i], p);
            *p++ = ' ';
            p = number_.format(block.by[i], p);
            *p++ = ' ';
            p = number_.format(block.bz[i], p);
            *p++ = ' ';
            *p++ = '\r';
            *p++ = '\n';
            out_.commit(p);
        }
    }
    lines_ += block.sampleCount();
    if (progress_) {
        const int percent = block.progressPercent();
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            progress_(percent);
        }
    }
    return true;
}

}  // namespace zuva::recording
