#include "platform/qt/QtMessageBox.h"

#include "platform/qt/QtText.h"

#include <QMessageBox>

namespace ondrel::platform {

void QtMessageBox::show(const std::string& text) {
    m_windows.ensureApplication();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ondrel"), QString(), QMessageBox::Ok);
    // The texts carry CR LF; a lone CR would show as a stray glyph.
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // A file name is never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    box.exec();
}

} // namespace ondrel::platform
