#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

namespace zuva::window_test {

// Before the application exists: an offscreen screen of the given size (in device
// pixels) and scale factor, so that the window's fit to the screen is tested on a
// known screen and not on the offscreen plugin's 800 x 600 default.
inline void useScreen(int width, int height, double scale) {
    const QString config = QDir::temp().filePath(QStringLiteral("zuva-screen-%1x%2-%3.json").arg(width).arg(height).arg(QCoreApplication::applicationPid()));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2, "dpr": 1}]})")
                       .arg(width)
                       .arg(height)
                       .toUtf8());
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    if (scale != 1.0) qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
}

}  // namespace zuva::window_test
