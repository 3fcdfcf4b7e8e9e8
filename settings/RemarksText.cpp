#include "settings/RemarksText.h"

#include "settings/SingleLineText.h"

namespace zuva::settings {

void RemarksText::set(std::string_view text) { text_ = SingleLineText::fit(text, kMaxCharacters); }

}  // namespace zuva::settings
