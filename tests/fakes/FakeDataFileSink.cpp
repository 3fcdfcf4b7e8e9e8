#include "fakes/FakeDataFileSink.h"

#include <cstdio>

#include "recording/IoError.h"

namespace zuva::fakes {

void FakeDataFileSink::OpenNewDataFile(const recording::DataFileHeaderInfo& info) {
    ++openAttempts;
    name = info.fileDate + info.fileTime + ".zuv";
    if (failOpens > 0) {
        --failOpens;
        throw recording::IoError(errorCode);
    }
    opened.push_back(info);
    firstRecordOfFile.push_back(records.size());
    if (journal) journal->add("open " + name);
}

void FakeDataFileSink::AppendSecondRecord(const recording::SecondRecord& record) {
    ++appendAttempts;
    if (failAppends > 0) {
        --failAppends;
        throw recording::IoError(errorCode);
    }
    records.push_back(record);
    if (journal) {
        char text[32];
        std::snprintf(text, sizeof text, "record %02d:%02d:%02d", record.hour, record.minute, record.second);
        journal->add(text);
    }
}

}  // namespace zuva::fakes
