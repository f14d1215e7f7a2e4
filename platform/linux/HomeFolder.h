#pragma once

#include <string>

namespace ondrel::platform {

// The user's home folder from the user database (/etc/passwd and the like);
// "" when the database knows no home for the user.
std::string databaseHomeFolder();

// Puts the user database's home folder into HOME when HOME holds no absolute
// path (unset, empty or relative). Qt takes the user's folders (the settings
// file, the Desktop, the file manager's scripts) from HOME alone and falls
// back to the root of the file system; the converters inherit it too. With
// no home in the database either, HOME stays as it is.
void settleHomeFolder();

} // namespace ondrel::platform
