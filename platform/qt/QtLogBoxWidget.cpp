#include "platform/qt/QtLogBoxWidget.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace ondrel::platform {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

QtLogBoxWidget::QtLogBoxWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A batch writes two pieces per file: an undo history of them would grow
    // with the list, and undoing would only take the program's lines away.
    setUndoRedoEnabled(false);
    // An edit by the user makes the widget's copy the only true one.
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_writing)
            userEdited();
    });
}

QString QtLogBoxWidget::text() const {
    return m_textIsCurrent ? m_text : widgetText();
}

void QtLogBoxWidget::setText(const QString& text) {
    m_writing = true;
    setPlainText(shownForm(text));
    m_writing = false;
    m_text = text;
    m_textIsCurrent = true;
}

void QtLogBoxWidget::append(const QString& piece) {
    if (!m_textIsCurrent) {
        m_text = widgetText();
        m_textIsCurrent = true;
    }
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    m_writing = true;
    cursor.insertText(shownForm(piece));
    m_writing = false;
    m_text += piece;
}

qsizetype QtLogBoxWidget::selectionStart() const {
    const QString current = text();
    const qsizetype widgetPosition = textCursor().selectionStart();
    // A CR LF pair is one block break, one character, in the widget.
    qsizetype position = 0;
    for (qsizetype shown = 0; shown < widgetPosition && position < current.size(); ++shown)
        position += QStringView(current).sliced(position).startsWith(kLineBreak) ? 2 : 1;
    return position;
}

void QtLogBoxWidget::setSelectionStart(qsizetype position) {
    const QString current = text();
    position = std::clamp<qsizetype>(position, 0, current.size());
    QTextCursor cursor(document());
    if (position == current.size()) {
        // The log's usual case, after every write: no need to count anything.
        cursor.movePosition(QTextCursor::End);
    } else {
        const qsizetype lineBreaks = current.first(position).count(kLineBreak);
        cursor.setPosition(static_cast<int>(position - lineBreaks));
    }
    setTextCursor(cursor);
    ensureCursorVisible();
}

void QtLogBoxWidget::userEdited() {
    m_textIsCurrent = false;
    m_text.clear();
}

QString QtLogBoxWidget::shownForm(const QString& piece) {
    QString shown = piece;
    shown.replace(kLineBreak, QStringLiteral("\n"));
    return shown;
}

QString QtLogBoxWidget::widgetText() const {
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, kLineBreak);
    return raw;
}

} // namespace ondrel::platform
