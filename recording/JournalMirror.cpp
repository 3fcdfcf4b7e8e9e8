#include "recording/JournalMirror.h"

#include <algorithm>

namespace zuva::recording {

int JournalMirror::severity(const std::string& message) {
    if (message.rfind("Error", 0) == 0) return 3;
    if (message.rfind("Warning", 0) == 0) return 4;
    return 6;
}

std::string JournalMirror::text(const std::string& message, const std::string& line, EventLog::Delivery delivery) {
    // One message is one journal entry: line breaks inside it become blanks.
    const auto oneLine = [](std::string t) {
        std::replace(t.begin(), t.end(), '\n', ' ');
        std::replace(t.begin(), t.end(), '\r', ' ');
        return t;
    };
    const int level = severity(message);
    std::string out = "<" + std::to_string(level) + ">" + oneLine(message) + "\n";
    if (delivery == EventLog::Delivery::NotWritten) {
        out += "<" + std::to_string(std::min(level, 4)) + ">Not written to " + EventLog::kFileName + ": " +
               oneLine(line) + "\n";
    }
    return out;
}

void JournalMirror::write(const std::string& message, const std::string& line, EventLog::Delivery delivery) {
    const std::string out = text(message, line, delivery);
    std::fwrite(out.data(), 1, out.size(), out_);
    std::fflush(out_);
}

}  // namespace zuva::recording
