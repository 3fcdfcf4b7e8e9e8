#include "settings/RemarksModel.h"

#include <utility>

#include "recording/LogSink.h"
#include "settings/RemarksText.h"
#include "settings/SingleLineText.h"

namespace zuva::settings {

RemarksModel::RemarksModel(RemarksText& remarks, recording::LogSink& log, std::function<void()> changed)
    : remarks_(remarks), log_(log), changed_(std::move(changed)) {}

void RemarksModel::Remarks1Click() {
    visible_ = true;
    putField(remarks_.text());
}

void RemarksModel::setFieldText(std::string_view text) { putField(text); }

void RemarksModel::Button1Click() {
    remarks_.set(field_);
    visible_ = false;
    if (changed_) changed_();
    log_.addlogfile("Remarks= " + remarks_.text());
}

void RemarksModel::Button2Click() {
    visible_ = false;
    putField(remarks_.text());
}

void RemarksModel::Button3Click() { putField(""); }

void RemarksModel::Edit2Change() {
    counter_ = std::to_string(SingleLineText::characterCount(field_));
    if (changed_) changed_();
}

void RemarksModel::putField(std::string_view text) {
    field_ = SingleLineText::fit(text, RemarksText::kMaxCharacters);
    Edit2Change();
}

}  // namespace zuva::settings
