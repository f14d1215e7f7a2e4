#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace ondrel::platform {

// The log box's widget. The program writes CR LF line breaks and counts the caret in
// that text; the widget keeps its lines apart and would otherwise turn
// non-breaking spaces and other separators into something else. So the box
// keeps the text as written beside the widget's copy and answers from it,
// until the user edits the box, from then on from the widget.
class QtLogBoxWidget : public QPlainTextEdit {
public:
    explicit QtLogBoxWidget(QWidget* parent = nullptr);

    // The whole text with CR LF line breaks.
    QString text() const;
    // Replaces the whole text.
    void setText(const QString& text);
    // Adds a piece at the end, without touching what stands before it.
    void append(const QString& piece);

    // The caret position, counted in the CR LF text.
    qsizetype selectionStart() const;
    void setSelectionStart(qsizetype position);

private:
    void userEdited();
    // What the widget shows for a piece of the log.
    static QString shownForm(const QString& piece);
    QString widgetText() const;

    QString m_text;
    bool m_textIsCurrent = true;
    bool m_writing = false;
};

} // namespace ondrel::platform
