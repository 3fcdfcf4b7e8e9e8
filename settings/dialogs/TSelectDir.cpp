#include "settings/dialogs/TSelectDir.h"
#include "settings/dialogs/ButtonRow.h"

#include <stdexcept>
#include <utility>

#include <QCloseEvent>
#include <QComboBox>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>

#include "settings/OutputDirectoryModel.h"
#include "settings/dialogs/DirectoryPathChooser.h"
#include "settings/dialogs/ErrorBox.h"
#include "settings/dialogs/VolumeList.h"

namespace zuva::settings {

TSelectDir::TSelectDir(OutputDirectoryModel& model, QWidget* parent)
    : TSelectDir(model, VolumeList::systemVolumes(), parent) {}

TSelectDir::TSelectDir(OutputDirectoryModel& model, std::vector<std::string> volumes, QWidget* parent)
    : QDialog(parent), model_(model), volumes_(std::move(volumes)) {
    if (volumes_.empty()) volumes_.push_back("/");
    setObjectName(QStringLiteral("SelectDir"));
    setWindowTitle(QStringLiteral("Choose output directory"));
    setModal(false);
    setFixedSize(kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    for (const std::string& volume : volumes_) DriveComboBox1->addItem(QString::fromStdString(volume));
    layout->addWidget(DriveComboBox1);

    directories = new QFileSystemModel(this);
    directories->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    directories->setReadOnly(true);
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setModel(directories);
    DirectoryListBox1->setHeaderHidden(true);
    for (int column = 1; column < directories->columnCount(); ++column) DirectoryListBox1->hideColumn(column);
    DirectoryListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(DirectoryListBox1, 1);

    layout->addWidget(new QLabel(QStringLiteral("Output directory:"), this));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    layout->addWidget(Edit1);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Exit"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    layout->addLayout(makeButtonRow({Button1, Button2}));

    connect(DirectoryListBox1, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { DirectoryListBox1Click(directories->filePath(index)); });
    connect(DirectoryListBox1, &QTreeView::activated, this,
            [this](const QModelIndex& index) { DirectoryListBox1Click(directories->filePath(index)); });
    connect(DriveComboBox1, &QComboBox::activated, this, [this](int index) { DriveComboBox1Change(index); });
    connect(Button1, &QPushButton::clicked, this, [this] { forward([this] { model_.Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { forward([this] { model_.Button2Click(); }); });

    showFieldDirectory();
    refresh();
}

void TSelectDir::Outputdirectory1Click() {
    showFieldDirectory();
    forward([this] { model_.show(); });
    raise();
    activateWindow();
}

void TSelectDir::refresh() {
    Edit1->setText(QString::fromStdString(model_.fieldText()));
    if (model_.visible() != isVisible()) setVisible(model_.visible());
}

void TSelectDir::showFieldDirectory() {
    const std::string field = model_.fieldText().empty() ? model_.listDirectory() : model_.fieldText();
    showVolume(VolumeList::volumeOf(volumes_, field));
    const QModelIndex index = directories->index(QString::fromStdString(field));
    if (index.isValid()) {
        DirectoryListBox1->setCurrentIndex(index);
        DirectoryListBox1->scrollTo(index);
    }
}

void TSelectDir::DirectoryListBox1Click(const QString& directory) {
    if (directory.isEmpty()) return;
    const std::string path = directory.toStdString();
    forward([this, &path] {
        if (!DirectoryPathChooser::choose(model_, path)) {
            throw std::runtime_error("Directory " + path + " not found");
        }
    });
}

void TSelectDir::DriveComboBox1Change(int index) {
    if (index < 0 || index >= static_cast<int>(volumes_.size())) return;
    const std::string volume = volumes_[static_cast<std::size_t>(index)];
    showVolume(volume);
    DirectoryListBox1Click(QString::fromStdString(volume));
}

void TSelectDir::showVolume(const std::string& volume) {
    const QSignalBlocker block(DriveComboBox1);
    for (std::size_t i = 0; i < volumes_.size(); ++i) {
        if (volumes_[i] == volume) DriveComboBox1->setCurrentIndex(static_cast<int>(i));
    }
    const QString root = QString::fromStdString(volume);
    directories->setRootPath(root);
    // The tree shows the volume's directories; the volume itself is chosen by the
    // volume list.
    DirectoryListBox1->setRootIndex(directories->index(root));
}

void TSelectDir::closeEvent(QCloseEvent* event) {
    forward([this] { model_.Button2Click(); });
    event->accept();
}

void TSelectDir::reject() {
    forward([this] { model_.Button2Click(); });
}

void TSelectDir::forward(const std::function<void()>& action) {
    ErrorBox::guard(this, action);
    refresh();
}

}  // namespace zuva::settings
