#include "settings/ConfirmModel.h"

#include <utility>

#include "recording/LogSink.h"
#include "settings/RemarksText.h"
#include "settings/SingleLineText.h"

namespace zuva::settings {

ConfirmModel::ConfirmModel(RemarksText& remarks, recording::LogSink& log, std::function<void()> changed)
    : remarks_(remarks), log_(log), changed_(std::move(changed)) {}

bool ConfirmModel::open() {
    if (remarks_.empty()) return false;
    field_ = remarks_.text();
    visible_ = true;
    if (changed_) changed_();
    return true;
}

void ConfirmModel::setFieldText(std::string_view text) {
    field_ = SingleLineText::fit(text, RemarksText::kMaxCharacters);
    if (changed_) changed_();
}

void ConfirmModel::Button1Click() {
    remarks_.set(field_);
    close();
    log_.addlogfile("Remarks= " + remarks_.text());
}

void ConfirmModel::Button2Click() {
    remarks_.clear();
    field_.clear();
    close();
}

void ConfirmModel::closeBox() { close(); }

void ConfirmModel::close() {
    visible_ = false;
    if (changed_) changed_();
}

}  // namespace zuva::settings
