#pragma once

#include <string>
#include <vector>

#include "fakes/CallJournal.h"
#include "recording/DataFileSink.h"

namespace zuva::fakes {

// A data file writer that keeps every header it was asked for and every record.
// failOpens / failAppends make the next calls throw IoError(errorCode).
class FakeDataFileSink final : public recording::DataFileSink {
public:
    void OpenNewDataFile(const recording::DataFileHeaderInfo& info) override;
    void AppendSecondRecord(const recording::SecondRecord& record) override;
    std::string DataFileName() const override { return name; }
    std::size_t backlogSeconds() const override { return backlog; }

    std::vector<recording::DataFileHeaderInfo> opened;
    std::vector<recording::SecondRecord> records;
    // Index into records of the first record of each opened file.
    std::vector<std::size_t> firstRecordOfFile;
    std::string name = "TEST.ZUV";
    int failOpens = 0;
    int failAppends = 0;
    int openAttempts = 0;
    int appendAttempts = 0;
    int errorCode = 2;
    // What backlogSeconds reports.
    std::size_t backlog = 0;
    CallJournal* journal = nullptr;
};

}  // namespace zuva::fakes
