#pragma once

// Ondrel.exe of the unpacked Windows download, started with songs as the
// Desktop shortcut starts it, and its one batch worked from outside: START!
// posted, FINISH waited for, the log read back. Shared by the batches through
// the stand-in FFmpeg and those through the FFmpeg the download carries.
//
// ONDREL_UNPACKED names the unpacked download (its name holds spaces),
// ONDREL_TEST_CARD_DRIVE a drive that holds private\ds; without them the test
// is skipped.

#include <windows.h>

#include <string>
#include <vector>

namespace downloadbatch {

bool exists(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// The names in a folder, in UTF-8.
std::vector<std::string> namesIn(const std::string& folder);
bool contains(const std::string& text, const std::string& part);
// An environment variable of this runner, empty when unset.
std::string variable(const char* name);

class DownloadBatch {
public:
    // A fresh scratch folder for the test, with TEMP for Ondrel.exe in it.
    DownloadBatch();
    ~DownloadBatch();
    DownloadBatch(const DownloadBatch&) = delete;
    DownloadBatch& operator=(const DownloadBatch&) = delete;

    // The folder of the unpacked download, the card ("M:"), the scratch
    // folder (its name holds spaces) and Ondrel.exe's TEMP inside it.
    const std::string& program() const { return m_program; }
    const std::string& card() const { return m_card; }
    const std::string& root() const { return m_root; }
    const std::string& temp() const { return m_temp; }

    // "KDH mode." as the program finds it stored at its start: on or off.
    static void storeKdh(bool on);
    // Empties the card's Music folder.
    void emptyCardMusic() const;

    // Starts Ondrel.exe from its folder with these files on its command line,
    // each in quotes, and waits for its main window; false when none came.
    bool launch(const std::vector<std::string>& sources);
    HWND main() const { return m_main; }
    // The state of the check box "KDH mode." in the main window.
    bool kdhTicked() const;
    // The main window's log, in UTF-8.
    std::string log() const;

    // START!, posted: its handler runs the whole batch.
    void start();
    // The main button reads FINISH: the batch has ended.
    bool finished();
    // FINISH pressed.
    void finish();
    // The program has ended (waited for generously).
    bool ended();
    DWORD exitCode() const;

private:
    std::string m_program;
    std::string m_card;
    std::string m_root;
    std::string m_temp;
    PROCESS_INFORMATION m_process{};
    HWND m_main = nullptr;
};

} // namespace downloadbatch
