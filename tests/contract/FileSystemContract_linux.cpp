// File operations where POSIX has more to get right: permissions, links,
// files that fill the device, volumes that ignore case.

#include "platform/PlatformError.h"
#include "platform/Processes.h"
#include "platform/linux/AtomicFile.h"
#include "platform/linux/FoldedNameIndex.h"
#include "platform/linux/LinuxFileSystem.h"
#include "tests/contract/Check.h"
#include "tests/contract/Support_linux.h"
#include "tests/contract/TestFiles.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

using namespace ondrel::platform;
using contract::TempFolder;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// Files larger than the limit cannot be written, as on a full card; the write
// fails with EFBIG instead of the process being killed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Polls for a file that another process writes, for at most about 120 s.
bool waitForFile(const std::string& path) {
    for (int i = 0; i < 1200; ++i) {
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

} // namespace

// copy_in_progress DESTINATION FOLDER: another Ondrel copying onto DESTINATION.
// Writes the first half, says so with FOLDER/ready, waits for FOLDER/go, writes
// the rest and renames it into place; FOLDER/outcome receives "whole" or why not.
CONTRACT_CHILD(copy_in_progress) {
    const std::string& destination = arguments.at(0);
    const std::string folder = arguments.at(1);
    std::string outcome = "whole";
    try {
        AtomicFile out(destination, "CopyFile", destination, 0644);
        out.write("the other ", 10);
        contract::writeFile(folder + "/ready", "");
        if (!waitForFile(folder + "/go"))
            throw PlatformError("wait", folder + "/go", "never came");
        out.write("copy", 4);
        out.commit(true);
    } catch (const PlatformError& error) {
        outcome = error.what();
    }
    contract::writeFile(folder + "/outcome", outcome);
    return 0;
}

// lookup FILE PATH: FILE receives the stored name of PATH's entry.
CONTRACT_CHILD(lookup) {
    LinuxFileSystem files;
    std::ofstream(arguments.at(0), std::ios::binary) << files.LookupEntryName(arguments.at(1));
    return 0;
}

CONTRACT_TEST(a_copy_that_fills_the_device_leaves_the_older_destination_intact) {
    LinuxFileSystem files;
    TempFolder temp;
    const std::string source = temp / "long song.mp4";
    const std::string destination = temp / "song.mp4";
    contract::writeFile(source, std::string(64 * 1024, 's'));
    contract::writeFile(destination, "the older song");
    const auto before = contract::folderEntries(temp.path());
    {
        FileSizeLimit limit(16 * 1024);
        try {
            files.CopyFile(source, destination, true);
            contract::reportFailure(__FILE__, __LINE__, "a copy beyond the limit succeeded");
        } catch (const PlatformError& error) {
            CHECK_EQ(error.operation(), std::string("CopyFile"));
            CHECK_EQ(error.reason(), std::string("File too large"));
        }
    }
    CHECK_EQ(contract::readFile(destination), std::string("the older song"));
    CHECK(contract::folderEntries(temp.path()) == before);
}

CONTRACT_TEST(a_copy_keeps_the_permissions_of_its_source) {
    LinuxFileSystem files;
    TempFolder temp;
    contract::writeFile(temp / "private.mp4", "x");
    ::chmod((temp / "private.mp4").c_str(), 0640);
    contract::writeFile(temp / "copy.mp4", "older");
    ::chmod((temp / "copy.mp4").c_str(), 0666);
    files.CopyFile(temp / "private.mp4", temp / "copy.mp4", true);
    CHECK_EQ(modeOf(temp / "copy.mp4"), mode_t(0640));
}

CONTRACT_TEST(a_copy_into_a_read_only_folder_fails_cleanly) {
    if (contract::runningAsRoot())
        contract::skip("root writes into read-only folders");
    LinuxFileSystem files;
    TempFolder temp;
    contract::writeFile(temp / "song.mp4", "new");
    contract::makeFolder(temp / "card");
    contract::writeFile(temp / "card" + "/song.mp4", "older");
    ::chmod((temp / "card").c_str(), 0555);
    CHECK_THROWS(files.CopyFile(temp / "song.mp4", temp / "card" + "/song.mp4", true));
    CHECK_EQ(contract::readFile(temp / "card" + "/song.mp4"), std::string("older"));
    CHECK(contract::folderEntries(temp / "card") == std::vector<std::string>{"song.mp4"});
}

CONTRACT_TEST(links_are_looked_up_by_their_own_name_and_never_made_over) {
    LinuxFileSystem files;
    TempFolder temp;
    contract::writeFile(temp / "target.mp4", "keep me");
    ::symlink((temp / "target.mp4").c_str(), (temp / "song.mp4").c_str());
    ::symlink((temp / "nowhere").c_str(), (temp / "dangling.mp4").c_str());

    CHECK_EQ(files.LookupEntryName(temp / "song.mp4"), std::string("song.mp4"));
    CHECK_EQ(files.LookupEntryName(temp / "dangling.mp4"), std::string("dangling.mp4"));
    CHECK(files.FileExists(temp / "song.mp4"));
    CHECK(!files.FileExists(temp / "dangling.mp4"));

    // A link, even one leading nowhere, keeps its name taken; what it leads
    // to is never written.
    const auto candidate = [&temp](int n) {
        return temp / (n == 1 ? "song.mp4" : n == 2 ? "dangling.mp4" : "free.mp4");
    };
    CHECK_EQ(files.createFreeFile(candidate, 3), temp / "free.mp4");
    CHECK_EQ(contract::readFile(temp / "target.mp4"), std::string("keep me"));
    CHECK(!files.FileExists(temp / "nowhere"));
    CHECK_EQ(files.ownFileSize(temp / "song.mp4"), std::uint64_t{0});
    files.removeEmptyOwnFile(temp / "dangling.mp4");
    CHECK_EQ(files.LookupEntryName(temp / "dangling.mp4"), std::string("dangling.mp4"));
}

CONTRACT_TEST(look_up_of_odd_components_on_a_case_sensitive_volume) {
    LinuxFileSystem files;
    TempFolder temp;
    if (LinuxFileSystem::isCaseInsensitiveFolder(temp.path()))
        contract::skip("the temporary folder ignores case");
    contract::writeFile(temp / "Song.mp3", "x");
    // Another spelling is another name here, and no such entry exists.
    CHECK_EQ(files.LookupEntryName(temp / "SONG.MP3"), std::string());
    CHECK_EQ(files.LookupEntryName(temp / "Song.mp3"), std::string("Song.mp3"));
    CHECK_EQ(files.LookupEntryName(temp.path() + "/"), std::string());
    CHECK_EQ(files.LookupEntryName(temp / "."), std::string("."));
    CHECK_EQ(files.LookupEntryName(temp / "Song.mp3/x"), std::string());
    CHECK_EQ(files.LookupEntryName("/"), std::string());
}

CONTRACT_TEST(folded_names_find_the_stored_spelling) {
    const FoldedNameIndex index(
        {"MixedCase.mp3", "\xC3\x84pfel.MP3", "Cafe\xCC\x81.m4a", "other.mp3", ".", ".."});
    using Names = std::vector<std::string>;
    CHECK(index.candidates("mixedcase.MP3") == Names{"MixedCase.mp3"});
    CHECK(index.candidates("MIXEDCASE.MP3") == Names{"MixedCase.mp3"});
    CHECK(index.candidates("\xC3\xA4PFEL.mp3") == Names{"\xC3\x84pfel.MP3"});
    // The composed and decomposed forms of "é" are the same name.
    CHECK(index.candidates("CAF\xC3\x89.M4A") == Names{"Cafe\xCC\x81.m4a"});
    CHECK(index.candidates("missing.mp3").empty());
    CHECK(index.candidates("mixedcase.mp").empty());
}

CONTRACT_TEST(look_up_on_a_fat_card_gives_the_stored_spelling) {
    if (!contract::runningAsRoot())
        contract::skip("mounting a FAT image needs root");
    if (contract::runShell("command -v mkfs.vfat >/dev/null && command -v unshare >/dev/null") != 0)
        contract::skip("mkfs.vfat (dosfstools) or unshare is missing");
    // Inside a chroot, for one, the root is no mount point and no namespace can
    // be made private.
    if (contract::runShell("unshare -m true 2>/dev/null") != 0)
        contract::skip("cannot make a private mount namespace here");
    auto native = contract::nativeServices();
    const std::string runner = contract::runnerPath(native.services());
    TempFolder temp;
    const std::string image = temp / "card.img";
    const std::string mountPoint = temp / "card";
    const std::string result = temp / "result.txt";
    contract::makeFolder(mountPoint);
    if (contract::runShell("truncate -s 8M " + contract::shellQuoted(image) + " && mkfs.vfat " +
                           contract::shellQuoted(image) + " >/dev/null") != 0)
        contract::skip("cannot make a FAT image");
    // The kernel's vfat where there is one, else the FUSE daemon a machine
    // without it mounts cards with; either must give the stored spelling.
    const std::string mount =
        "mount -o loop " + contract::shellQuoted(image) + " " + contract::shellQuoted(mountPoint) +
        " 2>/dev/null || fusefat -o rw+ " + contract::shellQuoted(image) + " " +
        contract::shellQuoted(mountPoint) + " >/dev/null 2>&1 || exit 77; ";
    const int status = contract::runShell(
        "unshare -m sh -c " +
        contract::shellQuoted(
            "mount --make-rprivate / && " + mount + "mkdir " +
            contract::shellQuoted(mountPoint + "/Private") + " && : > " +
            contract::shellQuoted(mountPoint + "/Private/MixedCase.mp3") + " && " +
            contract::shellQuoted(runner) + " --child lookup " + contract::shellQuoted(result) +
            " " + contract::shellQuoted(mountPoint + "/private/mixedcase.MP3") +
            "; status=$?; umount " + contract::shellQuoted(mountPoint) + "; exit $status"));
    if (status == 77)
        contract::skip("neither the kernel nor FUSE can mount a FAT image here");
    CHECK_EQ(status, 0);
    CHECK_EQ(contract::readFile(result), std::string("MixedCase.mp3"));
}

CONTRACT_TEST(volumes_that_ignore_case_are_known_by_the_type_the_mount_table_gives) {
    // Kernel drivers and the FUSE daemons a card or a Windows disk is mounted with.
    for (const char* type : {"vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuse.fusefat", "fuseblk",
                             "fuse.exfat", "fuse.exfat-fuse", "fuse.ntfs-3g", "fuseblk.ntfs-3g",
                             "fuse.lowntfs-3g", "cifs", "smb3", "hfsplus"})
        CHECK(LinuxFileSystem::isCaseInsensitiveVolumeType(type));
    for (const char* type : {"ext4", "tmpfs", "btrfs", "xfs", "fuse", "fuse.sshfs",
                             "fuse.gvfsd-fuse", "fuse.fusefatx", "overlay", "nfs4", ""})
        CHECK(!LinuxFileSystem::isCaseInsensitiveVolumeType(type));
}

CONTRACT_TEST(a_volume_type_is_read_from_the_mount_table_by_device) {
    const std::string table =
        "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
        "66 22 0:40 / /media/card\\040one rw,nosuid,nodev,relatime - fuse.fusefat fusefat rw\n"
        "67 22 0:41 / /media/win rw,relatime shared:7 master:2 - fuseblk /dev/sdb1 rw\n"
        "68 22 0:42 / /mnt/x rw - tmpfs none rw\n"
        "69 22 0:42 / /mnt/x rw - fuse.exfat /dev/sdc1 rw\n";
    CHECK_EQ(LinuxFileSystem::volumeTypeOf(table, makedev(259, 2)), std::string("ext4"));
    CHECK_EQ(LinuxFileSystem::volumeTypeOf(table, makedev(0, 40)), std::string("fuse.fusefat"));
    CHECK_EQ(LinuxFileSystem::volumeTypeOf(table, makedev(0, 41)), std::string("fuseblk"));
    // The later mount over the same device is the one seen.
    CHECK_EQ(LinuxFileSystem::volumeTypeOf(table, makedev(0, 42)), std::string("fuse.exfat"));
    CHECK_EQ(LinuxFileSystem::volumeTypeOf(table, makedev(0, 4)), std::string());
    CHECK_EQ(LinuxFileSystem::volumeTypeOf("garbage\n\n1 2\n", makedev(0, 40)), std::string());
}

CONTRACT_TEST(a_copy_clears_the_parts_that_interrupted_copies_left) {
    LinuxFileSystem files;
    TempFolder temp;
    contract::makeFolder(temp / "card");
    const std::string card = temp / "card";
    // What a card pulled out mid-copy keeps: a hidden part nothing could remove.
    contract::writeFile(card + "/.song.mp4.ondrel-a1B2c3", "part of the song");
    contract::writeFile(card + "/.other.mp4.ondrel-a1B2c3", "part of another song");
    contract::writeFile(card + "/.song.mp4.ondrel-notours", "the user's");
    contract::writeFile(temp / "song.mp4", "the whole song");

    files.CopyFile(temp / "song.mp4", card + "/song.mp4", true);

    // Only the parts of this destination go: another's may still be written.
    CHECK(contract::folderEntries(card) ==
          (std::vector<std::string>{".other.mp4.ondrel-a1B2c3", ".song.mp4.ondrel-notours",
                                    "song.mp4"}));
    CHECK_EQ(contract::readFile(card + "/song.mp4"), std::string("the whole song"));
}

CONTRACT_TEST(a_copy_leaves_the_part_another_running_copy_writes) {
    // Two Ondrels sending to one card: the second's clean-up of leftover parts
    // must not take away the part the first is still writing.
    auto native = contract::nativeServices();
    Services services = native.services();
    Processes& processes = services.processes;
    LinuxFileSystem files;
    TempFolder temp;
    const std::string card = temp / "card";
    contract::makeFolder(card);
    contract::writeFile(temp / "song.mp4", "this copy");
    const std::int32_t id = processes.StartProcess(
        contract::childCommandLine(services, {"copy_in_progress", card + "/song.mp4", temp.path()}),
        kMinimizedNoFocus);
    const ProcessHandle handle = processes.OpenProcess(kSynchronize, false, id);
    CHECK(handle != 0);
    CHECK(waitForFile(temp / "ready"));

    files.CopyFile(temp / "song.mp4", card + "/song.mp4", true);
    CHECK_EQ(contract::readFile(card + "/song.mp4"), std::string("this copy"));
    contract::writeFile(temp / "go", "");
    CHECK_EQ(contract::waitForEnd(processes, handle), kWaitObject0);
    processes.CloseHandle(handle);

    CHECK_EQ(contract::readFile(temp / "outcome"), std::string("whole"));
    CHECK_EQ(contract::readFile(card + "/song.mp4"), std::string("the other copy"));
    CHECK(contract::folderEntries(card) == std::vector<std::string>{"song.mp4"});
}

CONTRACT_TEST(links_and_second_names_are_no_own_files) {
    LinuxFileSystem files;
    TempFolder temp;
    contract::writeFile(temp / "song.mp4", "x");
    ::symlink((temp / "song.mp4").c_str(), (temp / "link.mp4").c_str());
    contract::writeFile(temp / "linked.mp4", "x");
    CHECK_EQ(::link((temp / "linked.mp4").c_str(), (temp / "second name.mp4").c_str()), 0);
    CHECK(files.isOwnFile(temp / "song.mp4"));
    CHECK(!files.isOwnFile(temp / "link.mp4"));
    CHECK(!files.isOwnFile(temp / "linked.mp4"));
    CHECK(!files.copyOwnFile(temp / "link.mp4", temp / "copy.mp4"));
    CHECK(!files.copyOwnFile(temp / "second name.mp4", temp / "copy.mp4"));
    CHECK(!files.FileExists(temp / "copy.mp4"));
    // A second name of an empty file is not ours to give back.
    contract::writeFile(temp / "empty.mp4", "");
    CHECK_EQ(::link((temp / "empty.mp4").c_str(), (temp / "other name.mp4").c_str()), 0);
    files.removeEmptyOwnFile(temp / "other name.mp4");
    CHECK(files.FileExists(temp / "other name.mp4"));
    CHECK_EQ(contract::readFile(temp / "song.mp4"), std::string("x"));
}

CONTRACT_TEST(a_fifo_is_no_readable_file_and_is_never_waited_on) {
    LinuxFileSystem files;
    TempFolder temp;
    CHECK_EQ(::mkfifo((temp / "fifo.m4a").c_str(), 0600), 0);
    CHECK_EQ(files.readFileBytes(temp / "fifo.m4a", 0, 16), std::string());
    CHECK(!files.copyReadableFile(temp / "fifo.m4a", temp / "song.mp4"));
    CHECK(!files.FileExists(temp / "song.mp4"));
}

CONTRACT_TEST(a_link_is_no_folder_of_the_volume) {
    LinuxFileSystem files;
    TempFolder temp;
    contract::makeFolder(temp / "card");
    contract::makeFolder(temp / "elsewhere");
    ::symlink((temp / "elsewhere").c_str(), (temp / "card" + "/Music").c_str());
    CHECK_EQ(files.folderOnVolumeProblem(temp / "card" + "/Music", temp / "card"),
             std::string("Is a symbolic link"));
    CHECK_EQ(files.folderOnVolumeProblem(temp / "elsewhere", temp / "card"), std::string());
    // /proc is a volume of its own wherever it is mounted.
    CHECK_EQ(files.folderOnVolumeProblem("/proc/sys", "/"),
             std::string("Lies on another volume than /"));
}
