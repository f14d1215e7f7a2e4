#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace ondrel {

class Form1;

// The About window. Loaded anew at every opening; deletes itself on close.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(Form1& main, QWidget* parent = nullptr);

    // Disables the main window; the opener calls it before show().
    void Form_Load();

    // The fixed text the window shows, the same at every opening.
    static QString aboutText();

    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;

public Q_SLOTS:
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Unload();

    Form1& m_main;
};

} // namespace ondrel
