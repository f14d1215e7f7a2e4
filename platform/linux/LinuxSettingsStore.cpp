#include "platform/linux/LinuxSettingsStore.h"

#include "platform/PlatformError.h"
#include "platform/linux/AtomicFile.h"
#include "platform/linux/Errno.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ondrel::platform {

namespace {

QString qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file is ours and holds our one value: one that Qt cannot parse would
// fail every later save, so it is emptied, whole or not at all, and the value
// saved again by Qt, which escapes whatever the value holds. Until then the
// file reads as nothing stored, as the unreadable one did.
void emptyUnreadable(const std::string& path) {
    AtomicFile file(path, "SaveSetting", path, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    file.commit(true);
}

// Qt says only that the file could not be written; the user needs the
// system's reason, asked of the folder and the file in turn.
std::string unwritableReason(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : path.substr(0, slash);
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0)
        return errnoText(errno);
    if (!S_ISDIR(status.st_mode))
        return errnoText(ENOTDIR);
    if (::access(folder.c_str(), W_OK) != 0)
        return errnoText(errno);
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), R_OK | W_OK) != 0)
        return errnoText(errno);
    return "the settings file cannot be written";
}

// One save through Qt; its status tells whether the file could be parsed. The
// QSettings object is gone when this returns, so that it cannot write over a
// repair when it ends.
QSettings::Status saveThroughQt(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& value) {
    QSettings settings(qt(path), QSettings::IniFormat);
    settings.setValue(qt(section) + QLatin1Char('/') + qt(key), qt(value));
    // QSettings writes through a save file that is flushed before it replaces the old one.
    settings.sync();
    return settings.status();
}

} // namespace

std::string LinuxSettingsStore::filePath(const std::string& application) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QLatin1Char('/') + qt(application) + QStringLiteral(".ini")).toStdString();
}

std::string LinuxSettingsStore::read(const std::string& application, const std::string& section,
                                     const std::string& key,
                                     const std::string& defaultValue) const {
    QSettings settings(qt(filePath(application)), QSettings::IniFormat);
    const QVariant value = settings.value(qt(section) + QLatin1Char('/') + qt(key));
    // Whatever a file Qt cannot parse seems to hold was never stored by us.
    if (settings.status() != QSettings::NoError)
        return defaultValue;
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

void LinuxSettingsStore::write(const std::string& application, const std::string& section,
                               const std::string& key, const std::string& value) {
    const std::string path = filePath(application);
    QSettings::Status status = saveThroughQt(path, section, key, value);
    if (status == QSettings::FormatError) {
        emptyUnreadable(path);
        status = saveThroughQt(path, section, key, value);
    }
    switch (status) {
    case QSettings::NoError:
        return;
    case QSettings::AccessError:
        throw PlatformError("SaveSetting", path, unwritableReason(path));
    case QSettings::FormatError:
        throw PlatformError("SaveSetting", path, "the emptied settings file cannot be parsed");
    }
}

} // namespace ondrel::platform
