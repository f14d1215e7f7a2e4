#pragma once

#include <exception>
#include <string>

namespace ondrel {

// What the program knows about the places a failure may lie in.
struct FailureContext {
    std::string tempDir;
    // The batch writes to the Desktop instead of the card.
    bool desktopOutput = false;
};

// The text of the message box that ends the program after a failure: the
// place in the user's terms (the temporary folder, the card's Music folder,
// the settings file...), the path and the system's reason.
std::string failureMessage(const std::exception& error, const FailureContext& context);

} // namespace ondrel
