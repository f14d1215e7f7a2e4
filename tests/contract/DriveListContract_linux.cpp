// Drive letters over the volumes mounted where memory cards are mounted.

#include "platform/linux/LinuxDriveList.h"
#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"
#include "tests/contract/TestFiles.h"

#include <fstream>

using namespace ondrel::platform;
using contract::TempFolder;

namespace {

std::string mountLine(int id, const std::string& mountPoint, const std::string& type = "vfat") {
    return std::to_string(id) + " 1 8:1 / " + mountPoint + " rw,relatime shared:1 - " + type +
           " /dev/sdx1 rw\n";
}

} // namespace

// drives FILE: FILE receives "L=root" for each letter D to Z that has a volume.
CONTRACT_CHILD(drives) {
    LinuxDriveList drives;
    std::ofstream out(arguments.at(0), std::ios::binary);
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        if (const auto root = drives.DriveRoot(letter))
            out << letter << '=' << *root << '\n';
    }
    return 0;
}

CONTRACT_TEST(removable_mount_points_are_picked_decoded_and_sorted) {
    const std::string table = mountLine(21, "/", "ext4") + mountLine(22, "/run/media/bob/X") +
                              mountLine(23, "/media/user/DS\\040CARD") +
                              mountLine(24, "/mnt", "ext4") + mountLine(25, "/mediafoo") +
                              mountLine(26, "/home/media/x") + mountLine(27, "/run/user/1000") +
                              mountLine(28, "/media/user/DS\\040CARD") +
                              mountLine(29, "/mnt/back\\134slash\\011tab") + "garbage\n\n";
    CHECK(removableMountPoints(table) ==
          (std::vector<std::string>{"/media/user/DS CARD", "/mnt", "/mnt/back\\slash\ttab",
                                    "/run/media/bob/X"}));
}

CONTRACT_TEST(there_are_at_most_twenty_three_letters) {
    std::string table;
    for (int i = 0; i < 30; ++i)
        table += mountLine(100 + i, "/mnt/v" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    const std::vector<std::string> mountPoints = removableMountPoints(table);
    CHECK_EQ(mountPoints.size(), std::size_t(23));
    CHECK_EQ(mountPoints.back(), std::string("/mnt/v22"));
}

CONTRACT_TEST(letters_d_to_z_stand_for_the_volumes_in_order) {
    TempFolder temp;
    const std::string tablePath = temp / "mountinfo";
    contract::writeFile(tablePath, mountLine(1, "/media/b") + mountLine(2, "/media/a"));
    const LinuxDriveList drives(tablePath);
    CHECK(drives.DriveRoot('D') == std::optional<std::string>("/media/a"));
    CHECK(drives.DriveRoot('E') == std::optional<std::string>("/media/b"));
    CHECK(drives.DriveRoot('e') == std::optional<std::string>("/media/b"));
    CHECK(!drives.DriveRoot('F'));
    CHECK(!drives.DriveRoot('C'));
    CHECK(!drives.DriveRoot('A'));
    CHECK(!drives.DriveRoot('['));

    // A card that is pulled out is gone at the next question.
    contract::writeFile(tablePath, mountLine(1, "/media/b"));
    CHECK(drives.DriveRoot('D') == std::optional<std::string>("/media/b"));
    CHECK(!drives.DriveRoot('E'));
    CHECK(!LinuxDriveList(temp / "no table").DriveRoot('D'));
}

CONTRACT_TEST(a_card_mounted_under_media_gets_a_letter) {
    if (!contract::runningAsRoot())
        contract::skip("mounting a card needs root");
    if (contract::runShell("command -v unshare >/dev/null && test -d /media") != 0)
        contract::skip("unshare or /media is missing");
    // Inside a chroot, for one, the root is no mount point and no namespace can
    // be made private.
    if (contract::runShell("unshare -m true 2>/dev/null") != 0)
        contract::skip("cannot make a private mount namespace here");
    auto native = contract::nativeServices();
    const std::string runner = contract::runnerPath(native.services());
    TempFolder temp;
    const std::string result = temp / "drives.txt";
    // A private mount namespace: the machine's own mounts stay as they are.
    const int status = contract::runShell(
        "unshare -m sh -c " +
        contract::shellQuoted("mount --make-rprivate / && mount -t tmpfs none /media && "
                              "mkdir '/media/DS CARD' && mount -t tmpfs none '/media/DS CARD' "
                              "2>/dev/null || exit 77; exec " +
                              contract::shellQuoted(runner) + " --child drives " +
                              contract::shellQuoted(result)));
    if (status == 77)
        contract::skip("cannot mount in a private namespace here");
    CHECK_EQ(status, 0);
    const std::string drives = contract::readFile(result);
    CHECK(drives.find("=/media/DS CARD\n") != std::string::npos);
    CHECK(drives.find("=/media\n") != std::string::npos);
}
