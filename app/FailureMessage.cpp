#include "app/FailureMessage.h"

#include "platform/PathStyle.h"
#include "platform/PlatformError.h"

namespace ondrel {

namespace {

const std::string kBlankLine = "\r\n\r\n";

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Whether the copy's destination lies in the temporary folder: "source ->
// destination" with the destination directly inside tempDir.
bool copiesIntoTemp(const std::string& paths, const std::string& tempDir) {
    const std::string marker = " -> " + tempDir + platform::pathSeparator();
    const std::size_t at = paths.rfind(marker);
    if (at == std::string::npos)
        return false;
    const std::string name = paths.substr(at + marker.size());
    for (const char c : name) {
        if (platform::isPathSeparator(c))
            return false;
    }
    return true;
}

// The sentence that names the place of a failed step, "" for a step we do
// not know.
std::string placeOf(const platform::PlatformError& error, const FailureContext& context) {
    const std::string& operation = error.operation();
    if (operation == "CreateFreeFile" || operation == "PrivateTempFolder" ||
        operation == "TemporaryFolder")
        return "The temporary folder cannot be used.";
    if (operation == "CreateFolder" || operation == "MusicFolder")
        return "The Music folder cannot be created on the memory card.";
    if (operation == "CopyFile") {
        if (!context.tempDir.empty() && copiesIntoTemp(error.path(), context.tempDir))
            return "The music file cannot be copied into the temporary folder.";
        return context.desktopOutput ? "The file cannot be copied onto the Desktop."
                                     : "The file cannot be copied into the Music folder of the "
                                       "memory card.";
    }
    if (operation == "SaveSetting")
        return "The settings file cannot be saved.";
    if (operation == "SpecialFolders")
        return startsWith(error.path(), "SendTo") ? "The \"Send To\" folder cannot be used."
                                                  : "The Desktop folder cannot be used.";
    if (operation == "StartProcess" || operation == "ConverterFolder")
        return "The converter cannot be started.";
    if (operation == "Save")
        return "The shortcut cannot be created.";
    if (operation == "DeleteFile")
        return "The shortcut cannot be removed.";
    if (operation == "ReadShortcut")
        return "The shortcut cannot be read.";
    if (operation == "ProgramFolder")
        return "The program's own folder cannot be found.";
    return "";
}

// The path to show: a special folder's error carries its name before it.
std::string shownPath(const platform::PlatformError& error) {
    if (error.operation() != "SpecialFolders")
        return error.path();
    const std::size_t colon = error.path().find(": ");
    return colon == std::string::npos ? std::string() : error.path().substr(colon + 2);
}

} // namespace

std::string failureMessage(const std::exception& error, const FailureContext& context) {
    const auto* platformError = dynamic_cast<const platform::PlatformError*>(&error);
    if (platformError != nullptr) {
        const std::string place = placeOf(*platformError, context);
        if (!place.empty()) {
            const std::string path = shownPath(*platformError);
            std::string text = place;
            if (!path.empty())
                text += kBlankLine + path;
            return text + kBlankLine + platformError->reason();
        }
    }
    return "Ondrel cannot go on." + kBlankLine + error.what();
}

} // namespace ondrel
