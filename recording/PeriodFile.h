#pragma once

#include <cstdint>
#include <string>

namespace zuva::recording {

// The data file of one recording period as the writer keeps it: the name composed
// for it, the name it was created under (empty until then) and the one announced,
// its header, the triples per record and its place among the files asked for.
struct PeriodFile {
    std::string composedName;
    std::string name;
    std::string announcedName;  // the name the "Start= " line gave
    std::string headerText;
    std::uint16_t tripleCount = 0;
    std::uint64_t serial = 0;  // counts the files asked for, from 1
};

// The instrument's time of a second as its record carries it.
struct RecordTime {
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

// "HH MM SS", the form of the time texts in the event log.
std::string recordTimeText(const RecordTime& time);

}  // namespace zuva::recording
