#pragma once

#include <string>

namespace zuva::recording {

// The user's locale conventions that the program's texts follow: the short date
// and long time formats of the event log (strftime patterns, LC_TIME) and the
// decimal separator of the settings file and the text export (LC_NUMERIC).
struct LocaleFormats {
    std::string shortDateFormat = "%m/%d/%y";
    std::string longTimeFormat = "%H:%M:%S";
    char decimalSeparator = '.';
};

// The formats of the locale the environment selects (LANG, LC_ALL, LC_TIME,
// LC_NUMERIC); the C locale's when none is set or the named locale is not installed.
LocaleFormats systemLocaleFormats();

}  // namespace zuva::recording
