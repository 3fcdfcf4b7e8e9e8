#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace zuva::settings {

class OutputDirectoryModel;

// The output-directory window: a list of volumes in place of drives, the directory
// tree of the chosen volume and the read-only field with the chosen directory. It
// shows an OutputDirectoryModel and forwards the user's actions to it; a click on a
// directory chooses it without opening it. Modeless.
class TSelectDir : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 387;
    static constexpr int kHeight = 311;

    // volumes: the entries of the volume list, "/" first (VolumeList::systemVolumes()).
    TSelectDir(OutputDirectoryModel& model, std::vector<std::string> volumes, QWidget* parent = nullptr);
    explicit TSelectDir(OutputDirectoryModel& model, QWidget* parent = nullptr);

    // The "Output directory..." menu entry: shows the window with the tree at the
    // directory in force.
    void Outputdirectory1Click();
    // Field and visibility from the model.
    void refresh();
    // Tree and volume list moved to the directory in the field.
    void showFieldDirectory();

    // What a click on the row of directory does.
    void DirectoryListBox1Click(const QString& directory);
    // What choosing a volume in the volume list does.
    void DriveComboBox1Change(int index);

    QComboBox* DriveComboBox1 = nullptr;   // the volumes
    QTreeView* DirectoryListBox1 = nullptr;  // the directory tree
    QFileSystemModel* directories = nullptr;
    QLineEdit* Edit1 = nullptr;            // the output directory, read-only
    QPushButton* Button1 = nullptr;        // "Ok"
    QPushButton* Button2 = nullptr;        // "Exit"

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void forward(const std::function<void()>& action);
    void showVolume(const std::string& volume);

    OutputDirectoryModel& model_;
    std::vector<std::string> volumes_;
};

}  // namespace zuva::settings
