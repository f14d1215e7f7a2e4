#pragma once

#include <string>

namespace ondrel::platform {

// "${TMPDIR:-/tmp}/ondrel-<uid>": a folder of the user's alone (owner-only),
// created when missing; one that is a link or belongs to someone else is
// refused with a PlatformError. Every Ondrel of the user finds the same one.
std::string privateTempFolder();

} // namespace ondrel::platform
