#pragma once

#include <QString>

namespace ondrel {

// A modal box with the text, one OK button, no icon and "Ondrel" as caption.
// Returns when the user has dismissed it.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString& text) = 0;
};

} // namespace ondrel
