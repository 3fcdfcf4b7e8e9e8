#pragma once

#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace zuva::dialogs_test {

// Answers the modal message boxes that appear while it lives: records each text
// and presses its default button, so a test can run code that reports an error.
class MessageBoxCatcher {
public:
    MessageBoxCatcher() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            texts.append(box->text());
            titles.append(box->windowTitle());
            box->done(QMessageBox::Ok);
        });
        timer_.start();
    }

    QStringList texts;
    QStringList titles;

private:
    QTimer timer_;
};

// Runs step once the next modal dialog has started its own event loop.
inline void whenModal(const std::function<void()>& step) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (QApplication::activeModalWidget() == nullptr) return;
        timer->stop();
        timer->deleteLater();
        step();
    });
    timer->start();
}

// The user picks an entry of a drop-down list, as the list's popup does it.
inline void userPicks(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Saves what the widget shows, to look at, and says whether there was anything.
inline bool saveScreenshot(QWidget& widget, const QString& path) {
    // Pending layout requests first, as the event loop would run them before painting.
    QApplication::processEvents();
    const QPixmap pixmap = widget.grab();
    return !pixmap.isNull() && pixmap.save(path);
}

}  // namespace zuva::dialogs_test
