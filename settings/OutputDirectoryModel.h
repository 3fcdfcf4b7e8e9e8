#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/DirectoryListing.h"

namespace zuva::recording {
class LogSink;
}

namespace zuva::settings {

class SettingsFile;

// The output-directory dialog (TSelectDir) without its widgets: the directory tree
// list (DirectoryListBox1), the read-only field with the chosen directory (Edit1, the
// output directory setting) and the buttons "Ok" (Button1) and "Exit" (Button2).
// Linux has no drives, so the list always starts at the root "/".
class OutputDirectoryModel {
public:
    explicit OutputDirectoryModel(recording::LogSink& log, std::function<void()> changed = {});

    // Creation: the field gets "OutputDirectory" when it names an existing directory,
    // otherwise currentDirectory; the list shows the field's directory.
    void FormCreate(const SettingsFile& file);
    void FormCreate(const SettingsFile& file, const std::string& currentDirectory);

    // A click on a row selects it and puts its full path into the field, without
    // opening it. Returns false (and changes nothing) for a row that does not exist.
    bool DirectoryListBox1Click(std::size_t row);
    // A double click opens the row: it becomes the list's current directory, which is
    // selected, so the field shows its path. A directory that has gone meanwhile is
    // not opened; the list is read again.
    bool openRow(std::size_t row);

    // "Ok": logs "Output directory: " + field; hides the dialog.
    void Button1Click();
    // "Exit": hides the dialog; the choice in the field stays in force, unlogged.
    void Button2Click();
    // The "Output directory..." menu entry.
    void show();

    const std::string& fieldText() const noexcept { return field_; }
    // What shut-down stores: the field, except while it holds the current directory
    // only because the stored directory was missing at creation; then the stored text,
    // so that an unmounted disk never costs the setting.
    const std::string& settingText() const noexcept { return standIn_ ? stored_ : field_; }
    // The stored directory that was missing at creation, while the field stands in
    // for it; empty otherwise.
    std::string missingStored() const { return standIn_ ? stored_ : std::string(); }
    // The stored directory has appeared: it becomes the field.
    void adoptStored();
    const std::vector<DirectoryListing::Row>& rows() const noexcept { return rows_; }
    std::optional<std::size_t> selectedRow() const noexcept { return selected_; }
    const std::string& listDirectory() const noexcept { return listDirectory_; }
    bool visible() const noexcept { return visible_; }

private:
    void DirectoryListBox1Change();
    void showDirectory(const std::string& directory);
    void notify();

    recording::LogSink& log_;
    std::function<void()> changed_;
    std::string field_;
    std::string stored_;
    bool standIn_ = false;
    std::string listDirectory_ = "/";
    std::vector<DirectoryListing::Row> rows_;
    std::optional<std::size_t> selected_;
    bool visible_ = false;
};

}  // namespace zuva::settings
