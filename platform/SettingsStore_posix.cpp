#include "platform/SettingsStore_posix.h"

#include "platform/PlatformError.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace ondrel::platform {

namespace {

QString qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::string PosixSettingsStore::filePath(const std::string& application) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QLatin1Char('/') + qt(application) + QStringLiteral(".ini")).toStdString();
}

std::string PosixSettingsStore::read(const std::string& application, const std::string& section,
                                     const std::string& key,
                                     const std::string& defaultValue) const {
    QSettings settings(qt(filePath(application)), QSettings::IniFormat);
    const QVariant value = settings.value(qt(section) + QLatin1Char('/') + qt(key));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

void PosixSettingsStore::write(const std::string& application, const std::string& section,
                               const std::string& key, const std::string& value) {
    const std::string path = filePath(application);
    QSettings settings(qt(path), QSettings::IniFormat);
    settings.setValue(qt(section) + QLatin1Char('/') + qt(key), qt(value));
    // QSettings writes through a save file that is flushed before it replaces the old one.
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return;
    case QSettings::AccessError:
        throw PlatformError("SaveSetting", path, "the settings file cannot be written");
    case QSettings::FormatError:
        throw PlatformError("SaveSetting", path, "the settings file is not in INI format");
    }
}

} // namespace ondrel::platform
