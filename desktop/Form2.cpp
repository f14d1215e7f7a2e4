#include "desktop/Form2.h"

#include "app/Form1.h"
#include "desktop/WindowFont.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace ondrel {

Form2::Form2(Form1& main, QWidget* parent) : QWidget(parent), m_main(main) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("About this software."));
    setWindowIcon(main.windowIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed layout: a title bar with the window menu and a close box, nothing
    // to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(windowFont());
    setFixedSize(562, 221);

    Label1 = new QLabel(aboutText(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 0, 545, 177);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::NoTextInteraction);
    Label1->setFocusPolicy(Qt::NoFocus);

    Command1 = new QPushButton(QStringLiteral("Close"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(216, 176, 113, 33);
    // Not the window's default button, yet Enter and Return press it while it
    // has the focus, as Space does; that is what auto-default means outside a
    // dialog. Escape is left unhandled, so it does nothing here.
    Command1->setDefault(false);
    Command1->setAutoDefault(true);
    // The only control that takes the focus, so it has it on opening.
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

QString Form2::aboutText() {
    return QStringLiteral("Version 3.1.1\r\n"
                          "Thank you for using my application. Ondrel turns your music files "
                          "into files that the DS handheld can play and copies them onto its "
                          "memory card, or onto your Desktop if you prefer. Drop the files on "
                          "the Desktop icon or send them to Ondrel with a right click, press "
                          "START! and let it work through the list.\r\n"
                          "\r\n"
                          "Author: the Ondrel project. Contact: through the project's issue "
                          "tracker.");
}

void Form2::Form_Load() {
    m_main.setEnabled(false);
}

void Form2::Command1_Click() {
    close();
}

void Form2::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form2::Form_Unload() {
    m_main.setEnabled(true);
}

} // namespace ondrel
