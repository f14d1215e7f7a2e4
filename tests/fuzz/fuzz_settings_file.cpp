// The stored-setting reader on any settings file, and the write that follows
// at every close. Input: a control byte, then
// - even control byte: the file's content; the value written is "1" or "2"
//   (bit 1 of the control byte);
// - odd control byte: the value to write, a NUL byte, the file's content.

#include "app/KdhSetting.h"
#include "platform/PlatformError.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/ScratchFolder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using ondrel::KdhSetting;
using ondrel::fuzz::require;

namespace {

// Cannot come from a file: QSettings would read it from "\x01" text at most.
const std::string kNothingStored = "(nothing stored)";

std::string readKdh() {
    const ondrel::platform::LinuxSettingsStore store;
    return store.read(KdhSetting::kApplication, KdhSetting::kSection, KdhSetting::kKey,
                      kNothingStored);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const ondrel::fuzz::ScratchFolder scratch;
    static unsigned long long run = 0;

    std::string content = ondrel::fuzz::bytes(data + 1, size - 1);
    std::string value = KdhSetting::storedFor((data[0] & 2u) != 0);
    if ((data[0] & 1u) != 0) {
        const std::size_t end = content.find('\0');
        value = content.substr(0, end);
        content = end == std::string::npos ? std::string() : content.substr(end + 1);
    }

    // QSettings caches a file by its name, size and time stamp, so each input
    // gets a time stamp of its own (one name for all keeps the cache, and so
    // the leak check, quiet).
    const std::string config = scratch.freshFolder("config");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string file = config + "/Zara.ini";
    ondrel::fuzz::writeFile(file, content);
    const timespec stamp{static_cast<time_t>(1000000000 + ++run), 0};
    const timespec stamps[2] = {stamp, stamp};
    require(::utimensat(AT_FDCWD, file.c_str(), stamps, 0) == 0, "the file takes its time stamp");

    // Read once, as the program does at each start: Qt's per-process cache
    // may answer a second read of a file it could not parse differently.
    const std::string stored = readKdh();
    // What the window makes of it must not depend on anything but the text.
    static_cast<void>(KdhSetting::ticked(stored == kNothingStored ? std::string() : stored));

    try {
        ondrel::platform::LinuxSettingsStore store;
        store.write(KdhSetting::kApplication, KdhSetting::kSection, KdhSetting::kKey, value);
    } catch (const ondrel::platform::PlatformError&) {
        // Whatever the file held, it is ours, and the folder can be written.
        require(false, "a setting can be saved in a folder that can be written");
    }
    const std::string readBack = readKdh();
    // The program saves only "1" and "2"; any other text it never writes, and
    // Qt's escaping of control characters need not survive a repair.
    if (value == "1" || value == "2")
        require(readBack == value, "a saved value reads back unchanged");
    require(KdhSetting::ticked(readBack) == KdhSetting::ticked(value) ||
                !ondrel::fuzz::isUtf8(value),
            "a saved value reads back as the same check box state");
    return 0;
}
