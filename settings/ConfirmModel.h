#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zuva::recording {
class LogSink;
}

namespace zuva::settings {

class RemarksText;

// The Confirm dialog (Tconfirm) without its widgets, shown by Start when a remark is
// set: the editable remark field (Edit2) and the buttons "Ok" (Button1) and "Clear"
// (Button2). Modal: Start goes on when it closes, however it was closed.
class ConfirmModel {
public:
    ConfirmModel(RemarksText& remarks, recording::LogSink& log, std::function<void()> changed = {});

    // Start's confirmation step: with a remark set, puts it into the field, shows the
    // dialog and returns true; with no remark returns false and shows nothing.
    bool open();
    // Editing the field: one line of at most 1024 characters.
    void setFieldText(std::string_view text);
    // "Ok": RemarksText = field (with the edits); logs "Remarks= " + RemarksText; closes.
    void Button1Click();
    // "Clear": empties RemarksText and the field; closes. No log line.
    void Button2Click();
    // The window's close box: RemarksText unchanged, no log line; closes.
    void closeBox();

    const std::string& fieldText() const noexcept { return field_; }
    bool visible() const noexcept { return visible_; }

private:
    void close();

    RemarksText& remarks_;
    recording::LogSink& log_;
    std::function<void()> changed_;
    std::string field_;
    bool visible_ = false;
};

}  // namespace zuva::settings
