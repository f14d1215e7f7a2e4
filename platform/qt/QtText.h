#pragma once

#include <QString>

#include <string>

namespace ondrel::platform {

// The interfaces speak UTF-8; Qt speaks UTF-16.
inline QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toStdString(const QString& text) {
    return text.toStdString();
}

} // namespace ondrel::platform
