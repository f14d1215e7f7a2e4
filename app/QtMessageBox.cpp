#include "app/QtMessageBox.h"

#include <QMessageBox>

namespace ondrel {

void QtMessageBox::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ondrel"), QString(), QMessageBox::Ok);
    // The texts carry CR LF; a lone CR would show as a stray glyph.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A file name is never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    box.exec();
}

} // namespace ondrel
