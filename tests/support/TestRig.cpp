#include "tests/support/TestRig.h"

#include "platform/PathStyle.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <stdexcept>

namespace ondrel::test {

namespace {

// Runs before NativeServices is built, so that nothing it creates can see the
// real home.
QTemporaryDir& redirectHome(QTemporaryDir& root) {
    if (!root.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const QString home = root.path() + QStringLiteral("/home");
    QDir().mkpath(home + QStringLiteral("/.config"));
    QDir().mkpath(home + QStringLiteral("/.local/share"));
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toUtf8());
    qputenv("XDG_STATE_HOME", (home + QStringLiteral("/.local/state")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", "/etc/xdg");
    qputenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    // The Send To folder follows the desktop in use: the window tests see
    // GNOME's, whatever desktop runs them.
    qunsetenv("XDG_CURRENT_DESKTOP");
    QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly))
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
    return root;
}

} // namespace

TestRig::TestRig() : native((redirectHome(root), 0), nullptr), toolkit("ondrel-tests") {
    QDir().mkpath(QString::fromStdString(tempDir()));
    environment.programFolder = binDir();
    environment.variables["TEMP"] = tempDir();
    environment.privateTempFolder = makeFolder("private-temp");
    environment.currentFolder = makeFolder("current folder");
}

platform::Services TestRig::services() {
    platform::Services real = native.services();
    return platform::Services{real.fileSystem, environment, real.settings, real.processes,
                              sleeper,         real.shell,  drives,        programEnd};
}

std::string TestRig::home() const {
    return root.path().toStdString() + "/home";
}

std::string TestRig::desktop() const {
    return home() + "/Desktop";
}

std::string TestRig::tempDir() const {
    return root.path().toStdString() + "/temp";
}

std::string TestRig::configFile() const {
    return home() + "/.config/Zara.ini";
}

std::string TestRig::makeFolder(const std::string& relative) const {
    const std::string path = root.path().toStdString() + "/" + relative;
    QDir().mkpath(QString::fromStdString(path));
    return path;
}

std::string TestRig::writeFile(const std::string& relative, const std::string& content) const {
    const std::string path = root.path().toStdString() + "/" + relative;
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path);
    file.write(content.data(), static_cast<qint64>(content.size()));
    return path;
}

std::string TestRig::binDir() {
    return ONDREL_BIN_DIR;
}

} // namespace ondrel::test
