#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zuva::recording {
class LogSink;
}

namespace zuva::settings {

class RemarksText;

// The Remarks dialog (TRemarks) without its widgets: the remark field (Edit2, one
// line, at most 1024 characters), its length counter (Edit1, read-only) and the
// buttons "Ok" (Button1), "Clear" (Button3) and "Cancel" (Button2). Modeless.
class RemarksModel {
public:
    RemarksModel(RemarksText& remarks, recording::LogSink& log, std::function<void()> changed = {});

    // The "Remarks" menu entry: shows the dialog, then puts RemarksText into the field.
    void Remarks1Click();
    // Typing or pasting: the field takes the text fitted to one line of 1024
    // characters; the counter follows.
    void setFieldText(std::string_view text);
    // "Ok": RemarksText = field; logs "Remarks= " + RemarksText; hides the dialog.
    void Button1Click();
    // "Cancel": the field gets RemarksText back; hides the dialog.
    void Button2Click();
    // "Clear": empties the field only.
    void Button3Click();

    const std::string& fieldText() const noexcept { return field_; }
    const std::string& counterText() const noexcept { return counter_; }
    bool visible() const noexcept { return visible_; }

private:
    void Edit2Change();
    void putField(std::string_view text);

    RemarksText& remarks_;
    recording::LogSink& log_;
    std::function<void()> changed_;
    std::string field_;
    std::string counter_ = "0";
    bool visible_ = false;
};

}  // namespace zuva::settings
