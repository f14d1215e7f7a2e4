#include "app/Form1.h"
#include "app/QtMessageBox.h"
#include "platform/NativeServices.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <exception>

namespace {

// A small drawn icon: a note on a card, so the window is told apart in a task bar.
QIcon programIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x3a, 0x6e, 0xa5));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 28, 28, 5, 5);
    painter.setBrush(Qt::white);
    painter.drawEllipse(8, 19, 8, 6);
    painter.drawRect(14, 7, 2, 15);
    painter.drawRect(14, 7, 9, 3);
    painter.end();
    return QIcon(pixmap);
}

} // namespace

int main(int argc, char** argv) {
    // The command line carries only file paths: Qt sees none of it, so a file
    // named like one of its options ("-style", "-reverse") stays a file.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    app.setWindowIcon(programIcon());

    ondrel::platform::NativeServices native(argc, argv);
    ondrel::QtMessageBox messageBox;
    ondrel::Form1 form(native.services(), messageBox);
    try {
        form.Form_Load();
    } catch (const std::exception& error) {
        form.endOnError(error);
        return 1;
    }
    form.showCentred();
    return app.exec();
}
