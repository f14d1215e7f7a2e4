#pragma once

#include <QFont>

namespace ondrel {

// The face every control of the About and Setting windows draws with, the
// same as the main window's. The bitmap face the layout was drawn for does not
// exist on every platform, so a scalable face stands in for it, at a pixel size
// at which every caption still fits its control's fixed rectangle.
QFont windowFont();

} // namespace ondrel
