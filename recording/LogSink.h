#pragma once

#include <string>

namespace zuva::recording {

// Where every part of the program writes its event-log messages. The program's
// implementation is EventLog ("zuva.log" plus the ten-line list); tests record them.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void addlogfile(const std::string& message) = 0;
};

}  // namespace zuva::recording
