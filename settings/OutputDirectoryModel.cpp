#include "settings/OutputDirectoryModel.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "recording/LogSink.h"
#include "settings/OutputDirectorySetting.h"
#include "settings/SettingsFile.h"

namespace zuva::settings {

OutputDirectoryModel::OutputDirectoryModel(recording::LogSink& log, std::function<void()> changed)
    : log_(log), changed_(std::move(changed)) {
    showDirectory("/");
}

void OutputDirectoryModel::FormCreate(const SettingsFile& file) {
    FormCreate(file, OutputDirectorySetting::currentDirectory());
}

void OutputDirectoryModel::FormCreate(const SettingsFile& file, const std::string& currentDirectory) {
    stored_ = file.readConfig(OutputDirectorySetting::kKey, "");
    field_ = OutputDirectorySetting::read(stored_, currentDirectory);
    standIn_ = !stored_.empty() && field_ != stored_;
    std::error_code ec;
    showDirectory(std::filesystem::is_directory(field_, ec) ? field_ : std::string("/"));
    notify();
}

void OutputDirectoryModel::adoptStored() {
    if (!standIn_) return;
    standIn_ = false;
    field_ = stored_;
    std::error_code ec;
    showDirectory(std::filesystem::is_directory(field_, ec) ? field_ : std::string("/"));
    notify();
}

bool OutputDirectoryModel::DirectoryListBox1Click(std::size_t row) {
    if (row >= rows_.size()) return false;
    standIn_ = false;
    selected_ = row;
    DirectoryListBox1Change();
    return true;
}

bool OutputDirectoryModel::openRow(std::size_t row) {
    if (row >= rows_.size()) return false;
    const std::string path = rows_[row].path;
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
        showDirectory(listDirectory_);
        notify();
        return false;
    }
    standIn_ = false;
    showDirectory(path);
    DirectoryListBox1Change();
    return true;
}

void OutputDirectoryModel::Button1Click() {
    visible_ = false;
    notify();
    log_.addlogfile("Output directory: " + field_);
}

void OutputDirectoryModel::Button2Click() {
    visible_ = false;
    notify();
}

void OutputDirectoryModel::show() {
    visible_ = true;
    notify();
}

void OutputDirectoryModel::DirectoryListBox1Change() {
    if (!selected_) return;
    field_ = rows_[*selected_].path;
    notify();
}

void OutputDirectoryModel::showDirectory(const std::string& directory) {
    listDirectory_ = DirectoryListing::normalPath(directory);
    rows_ = DirectoryListing::rows(listDirectory_, DirectoryListing::subdirectoriesOf(listDirectory_));
    selected_.reset();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const auto kind = rows_[i].kind;
        if (kind == DirectoryListing::Kind::Current || (kind == DirectoryListing::Kind::Root && listDirectory_ == "/")) {
            selected_ = i;
        }
    }
}

void OutputDirectoryModel::notify() {
    if (changed_) changed_();
}

}  // namespace zuva::settings
