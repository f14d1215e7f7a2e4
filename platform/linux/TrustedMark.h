#pragma once

#include <string>

namespace ondrel::platform {

// Marks a desktop entry as one the user allows to launch, as GNOME's "Allow
// Launching" and Xfce's "Mark as trusted" do, in GLib's metadata store. Where
// there is no such store (no GVfs) the desktops ask the user instead, so a
// failure here is no error and nothing is reported.
void markTrusted(const std::string& path, const std::string& content);

} // namespace ondrel::platform
