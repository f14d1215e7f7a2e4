#pragma once

#include "platform/Services.h"

#include <set>
#include <string>

namespace ondrel {

class BatchWindow;

// The transfer batch: the body of the main button's click when it does not
// read "FINISH". Converts or passes through every listed file and copies each
// result to the memory card or the Desktop, one log line per file.
class TransferBatch {
public:
    TransferBatch(BatchWindow& window, platform::Services services);
    // Runs the whole batch. Platform failures propagate as PlatformError.
    void run();

private:
    // Works one file through. False when the window was closed on the way,
    // after which nothing of the batch may go on.
    bool transferFile(int index, const std::string& cardRoot);
    std::string destinationFile(const std::string& displayName, const std::string& cardRoot);
    // Refuses, before anything runs, a program folder or TEMP in which every
    // file would fail: throws PlatformError naming it.
    void refuseWhatEveryFileWouldFailIn();
    // Copies the temporary file to its destination: on the card replacing
    // what was there before the batch, never a song of this batch; on the
    // Desktop under a free name. False when the temporary file is not the
    // user's own (any more) or no name can take it; failure then holds what
    // the status line says.
    bool deliver(const std::string& tempFile, const std::string& destFile, std::string& failure);
    // The path as its folder stores it (on a card that ignores case, the
    // spelling of the entry it names); "" when it names nothing.
    std::string storedPath(const std::string& path);
    void setStatus(const std::string& text);
    // RefreshDisplay; false when the window was unloaded inside it.
    bool refresh();
    void finish();

    BatchWindow& m_window;
    platform::Services m_services;
    // The card files this batch wrote, as stored.
    std::set<std::string> m_delivered;
};

} // namespace ondrel
