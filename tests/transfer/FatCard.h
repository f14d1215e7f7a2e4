#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace ondrel::test {

// A FAT32 image mounted read-write through FUSE (fusefat), as a real card is
// formatted. The mounting itself is tests/scripts/fat.sh, shared with the
// script tests; mount only inside a private mount namespace.
class FatCard {
public:
    FatCard(const std::string& folder, int megabytes)
        : m_image(folder + "/card.img"), m_root(folder + "/card"), m_state(folder + "/fat") {
        if (shell("fat_make " + quoted(m_image) + " " + std::to_string(megabytes)) != 0)
            throw std::runtime_error("cannot make the FAT image " + m_image);
        mount();
    }
    ~FatCard() {
        if (m_mounted)
            shell("FAT_PID=$(cat " + quoted(m_state + ".pid") + ") fat_unmount " + quoted(m_root) +
                  " || umount -l " + quoted(m_root));
    }
    FatCard(const FatCard&) = delete;
    FatCard& operator=(const FatCard&) = delete;

    const std::string& root() const { return m_root; }
    const std::string& image() const { return m_image; }

    void mount() {
        if (shell("fat_mount " + quoted(m_image) + " " + quoted(m_root) +
                  " && echo \"$FAT_PID\" >" + quoted(m_state + ".pid")) != 0)
            throw std::runtime_error("cannot mount " + m_image + " at " + m_root);
        m_mounted = true;
    }

    // Unmounts and waits until the daemon has written everything and ended.
    bool unmount() {
        m_mounted = false;
        return shell("FAT_PID=$(cat " + quoted(m_state + ".pid") + ") fat_unmount " +
                     quoted(m_root)) == 0;
    }

    // The daemon killed as a card pulled out mid-write: the mount stays, dead.
    bool pullOut() const {
        return shell("kill -KILL \"$(cat " + quoted(m_state + ".pid") + ")\"") == 0;
    }

    // After pullOut: the dead mount taken away, as the desktop does when a
    // card is gone.
    bool takeAwayDeadMount() {
        m_mounted = false;
        return shell("fat_wait_gone \"$(cat " + quoted(m_state + ".pid") + ")\" && umount -l " +
                     quoted(m_root)) == 0;
    }

    // fsck.fat -n on the unmounted image: true when it found nothing; its report in report.
    bool fsck(std::string& report) const {
        const int status =
            shell("fat_fsck " + quoted(m_image) + "; s=$?; printf '%s' \"$FAT_FSCK\" >" +
                  quoted(m_state + ".fsck") + "; exit $s");
        std::ifstream in(m_state + ".fsck", std::ios::binary);
        report.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return status == 0;
    }

    // Runs commands in bash with the FAT helpers loaded; its exit status.
    static int shell(const std::string& commands) {
        const std::string helpers = std::string(ONDREL_SOURCE_DIR) + "/tests/scripts/fat.sh";
        const int status = std::system(
            ("bash -c " + quoted("source " + quoted(helpers) + " && " + commands)).c_str());
        return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Single-quoted for the shell.
    static std::string quoted(const std::string& text) {
        std::string out = "'";
        for (const char c : text)
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    }

private:
    std::string m_image;
    std::string m_root;
    std::string m_state;
    bool m_mounted = false;
};

} // namespace ondrel::test
