// Built into every window test program: before main() builds the application
// object, the environment is the same whatever the caller's holds, so that a
// test run by hand behaves as under CTest. Headless, one locale (the system's
// error texts are compared), no display or session of the caller's, the
// system's temporary folder; each test's home is set up by TestRig.

#include <QByteArray>
#include <QtGlobal>

namespace {

const bool g_clean = [] {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    qputenv("LC_ALL", QByteArrayLiteral("C.UTF-8"));
    qputenv("LANG", QByteArrayLiteral("C.UTF-8"));
    qputenv("TMPDIR", QByteArrayLiteral("/tmp"));
    for (const char* name : {"LANGUAGE",
                             "LC_MESSAGES",
                             "LC_CTYPE",
                             "TEMP",
                             "TMP",
                             "DISPLAY",
                             "WAYLAND_DISPLAY",
                             "XAUTHORITY",
                             "QT_QPA_PLATFORMTHEME",
                             "QT_STYLE_OVERRIDE",
                             "QT_SCALE_FACTOR",
                             "QT_SCREEN_SCALE_FACTORS",
                             "QT_AUTO_SCREEN_SCALE_FACTOR",
                             "QT_ENABLE_HIGHDPI_SCALING",
                             "QT_FONT_DPI",
                             "QT_PLUGIN_PATH",
                             "DBUS_SESSION_BUS_ADDRESS",
                             "XDG_CURRENT_DESKTOP",
                             "XDG_SESSION_TYPE",
                             "XDG_RUNTIME_DIR"})
        qunsetenv(name);
    return true;
}();

} // namespace
