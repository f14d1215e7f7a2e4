#pragma once

#include "app/MessageBox.h"

class QWidget;

namespace ondrel {

// The program's message box on screen: the text, one OK button, no icon,
// "Ondrel" as caption, modal until dismissed.
class QtMessageBox : public MessageBox {
public:
    void show(const QString& text) override;
};

} // namespace ondrel
