#include "settings/ComPortSetting.h"

#include "settings/SettingsFile.h"

namespace zuva::settings {

std::string ComPortSetting::load(const SettingsFile& file) { return file.readConfig(kKey, kDefault); }

}  // namespace zuva::settings
