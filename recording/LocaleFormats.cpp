#include "recording/LocaleFormats.h"

#include <langinfo.h>
#include <locale.h>

namespace zuva::recording {

namespace {

std::string langinfo(nl_item item, int categoryMask, const char* fallback) {
    locale_t loc = newlocale(categoryMask, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return fallback;
    std::string value = nl_langinfo_l(item, loc);
    freelocale(loc);
    return value.empty() ? std::string(fallback) : value;
}

}  // namespace

LocaleFormats systemLocaleFormats() {
    LocaleFormats f;
    f.shortDateFormat = langinfo(D_FMT, LC_TIME_MASK, "%m/%d/%y");
    f.longTimeFormat = langinfo(T_FMT, LC_TIME_MASK, "%H:%M:%S");
    const std::string radix = langinfo(RADIXCHAR, LC_NUMERIC_MASK, ".");
    f.decimalSeparator = radix.size() == 1 ? radix[0] : '.';
    return f;
}

}  // namespace zuva::recording
