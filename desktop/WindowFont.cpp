#include "desktop/WindowFont.h"

namespace ondrel {

QFont windowFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    // Pixels rather than points: the layout is in pixels and must not grow
    // with the screen's dots per inch.
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace ondrel
