#include <windows.h>
#undef CopyFile
#undef DeleteFile

#include "tests/contract/Check.h"
#include "tests/contract/ScratchFolder_win.h"

#include "platform/DriveList.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/Services.h"
#include "platform/win/WinText.h"

#include <optional>

using contract::win::ScratchFolder;
using ondrel::platform::NativeServices;
using ondrel::platform::PlatformError;
using ondrel::platform::win::toUtf8;
using ondrel::platform::win::toWide;

namespace {

std::string shortPathOf(const std::string& path) {
    const std::wstring wide = toWide(path);
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetShortPathNameW(wide.c_str(), buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return {};
    return toUtf8(std::wstring(buffer, length));
}

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesW(toWide(path).c_str());
}

// A letter from D to Z that stands for no drive in this session, if any.
std::optional<char> unusedDriveLetter() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter >= 'D'; --letter) {
        if ((drives & (1u << (letter - 'A'))) == 0)
            return letter;
    }
    return std::nullopt;
}

} // namespace

// The shell hands the program short 8.3 paths of what was dropped; the log
// must show the names as they are stored. Short names are whatever the volume
// made up, so they are asked of the system, never written out here.
CONTRACT_TEST(win_lookup_entry_name_turns_short_names_long) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    ScratchFolder scratch;
    const std::string folder = scratch / "A Folder With A Long Name";
    CreateDirectoryW(toWide(folder).c_str(), nullptr);
    const std::string file = folder + "\\Song With Long Name.final.mp3";
    ScratchFolder::writeFile(file, "music");

    const std::string shortFile = shortPathOf(file);
    const std::string shortFolder = shortPathOf(folder);
    CHECK(!shortFile.empty());
    CHECK(!shortFolder.empty());
    if (shortFile.empty() || shortFolder.empty())
        return;
    CHECK(shortFile != file);
    CHECK_EQ(files.LookupEntryName(shortFile), std::string("Song With Long Name.final.mp3"));
    CHECK_EQ(files.LookupEntryName(shortFolder), std::string("A Folder With A Long Name"));
    // A long name spelt in another case still gives the stored spelling.
    CHECK_EQ(files.LookupEntryName(folder + "\\song with long name.FINAL.MP3"),
             std::string("Song With Long Name.final.mp3"));
    CHECK_EQ(files.LookupEntryName(folder + "/Song With Long Name.final.mp3"),
             std::string("Song With Long Name.final.mp3"));
}

CONTRACT_TEST(win_lookup_entry_name_finds_nothing_it_should_not) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    ScratchFolder scratch;
    ScratchFolder::writeFile(scratch / "present.mp3", "x");
    const std::string hidden = scratch / "hidden.mp3";
    ScratchFolder::writeFile(hidden, "x");
    SetFileAttributesW(toWide(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    CHECK_EQ(files.LookupEntryName(hidden), std::string("hidden.mp3"));
    CHECK_EQ(files.LookupEntryName(scratch / "absent.mp3"), std::string());
    CHECK_EQ(files.LookupEntryName(scratch / "absent\\present.mp3"), std::string());
    // Wildcards would match present.mp3 if they reached the directory search.
    CHECK_EQ(files.LookupEntryName(scratch / "*.mp3"), std::string());
    CHECK_EQ(files.LookupEntryName(scratch / "present.mp?"), std::string());
    CHECK_EQ(files.LookupEntryName(scratch / "present<mp3"), std::string());
    CHECK_EQ(files.LookupEntryName(scratch.path() + "\\"), std::string());
}

// The card search probes every letter from D to Z, most of which hold no
// volume or no medium; none of that may raise an error or a dialog.
CONTRACT_TEST(win_card_marker_on_a_mapped_drive_letter) {
    NativeServices native(0, nullptr);
    auto services = native.services();
    auto& files = services.fileSystem;
    auto& drives = services.drives;

    CHECK_EQ(drives.DriveRoot('D').value_or("<none>"), std::string("D:"));
    CHECK_EQ(drives.DriveRoot('Z').value_or("<none>"), std::string("Z:"));
    CHECK(!drives.DriveRoot('C').has_value());
    CHECK(!drives.DriveRoot('A').has_value());
    CHECK(!drives.DriveRoot('[').has_value());

    if (const auto unused = unusedDriveLetter()) {
        const std::string root = drives.DriveRoot(*unused).value_or("<none>");
        CHECK(!files.FolderExists(root + "\\private\\ds"));
        CHECK(!files.FolderExists(root + "\\"));
        CHECK(!files.FileExists(root + "\\Music\\song.mp4"));
        CHECK_EQ(files.LookupEntryName(root + "\\private"), std::string());
        CHECK_THROWS(files.CreateFolder(root + "\\Music"));
    }

    const std::string card = services.environment.Variable("ONDREL_TEST_CARD_DRIVE");
    if (card.empty() || card[0] < 'D' || card[0] > 'Z')
        contract::skip("ONDREL_TEST_CARD_DRIVE names no mapped card drive");
    const std::string root = drives.DriveRoot(card[0]).value_or("<none>");
    CHECK(files.FolderExists(root + "\\private\\ds"));
    CHECK(files.FolderExists(root + "\\PRIVATE\\DS"));
    CHECK(!files.FileExists(root + "\\private\\ds"));
    const std::string music = root + "\\Music";
    const bool hadMusic = files.FolderExists(music);
    if (!hadMusic)
        files.CreateFolder(music);
    CHECK(files.FolderExists(music));
    // A drive root is "D:", which alone would name the drive's current folder.
    CHECK_EQ(files.folderOnVolumeProblem(music, root), std::string());
    CHECK_EQ(files.folderOnVolumeProblem(root + "\\private\\ds", root), std::string());
    const std::string song = music + "\\contract song.mp4";
    ScratchFolder::writeFile(song, "mp4");
    CHECK(files.FileExists(song));
    files.DeleteFile(song, true);
    CHECK(!files.FileExists(song));
    if (!hadMusic)
        RemoveDirectoryW(toWide(music).c_str());
}

CONTRACT_TEST(win_path_text_takes_both_separators_and_drive_prefixes) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    CHECK_EQ(files.GetBaseName("C:\\Music\\a.b.mp3"), std::string("a.b"));
    CHECK_EQ(files.GetExtensionName("C:/Music/a.b.mp3"), std::string("mp3"));
    CHECK_EQ(files.GetBaseName("C:\\dotted.folder\\song"), std::string("song"));
    CHECK_EQ(files.GetExtensionName("C:\\dotted.folder\\song"), std::string());
    CHECK_EQ(files.GetBaseName("D:song.m4a"), std::string("song"));
    CHECK_EQ(files.GetExtensionName("D:song.m4a"), std::string("m4a"));
    CHECK_EQ(files.GetBaseName("\\\\server\\share\\Folder/track.WAV"), std::string("track"));
}

// Windows refuses to replace or remove files that are read-only or open
// without sharing; a copy must then fail cleanly.
CONTRACT_TEST(win_copy_onto_a_file_that_cannot_be_replaced) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    ScratchFolder scratch;
    const std::string source = scratch / "new \u00fc.mp4";
    const std::string destination = scratch / "old.mp4";
    ScratchFolder::writeFile(source, "new content");
    ScratchFolder::writeFile(destination, "old content");

    HANDLE locked = CreateFileW(toWide(destination).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(locked != INVALID_HANDLE_VALUE);
    try {
        files.CopyFile(source, destination, true);
        CHECK(!"a copy over a file open without sharing must fail");
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string("CopyFile"));
        CHECK(error.path().find("old.mp4") != std::string::npos);
        CHECK(error.path().find("new \u00fc.mp4") != std::string::npos);
        CHECK(!error.reason().empty());
    }
    CloseHandle(locked);
    CHECK_EQ(ScratchFolder::readFile(destination), std::string("old content"));
    CHECK_EQ(scratch.entryCount(), std::size_t{2});

    SetFileAttributesW(toWide(destination).c_str(), FILE_ATTRIBUTE_READONLY);
    CHECK_THROWS(files.CopyFile(source, destination, true));
    CHECK_EQ(ScratchFolder::readFile(destination), std::string("old content"));
    CHECK_EQ(scratch.entryCount(), std::size_t{2});

    // Once it can be replaced, the copy lands and the temporary file is gone.
    SetFileAttributesW(toWide(destination).c_str(), FILE_ATTRIBUTE_NORMAL);
    files.CopyFile(source, destination, true);
    CHECK_EQ(ScratchFolder::readFile(destination), std::string("new content"));
    CHECK_EQ(scratch.entryCount(), std::size_t{2});
    CHECK_THROWS(files.CopyFile(source, destination, false));
}

CONTRACT_TEST(win_delete_needs_force_for_a_read_only_file) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    ScratchFolder scratch;
    const std::string link = scratch / "Ondrel.lnk";
    ScratchFolder::writeFile(link, "shortcut");
    SetFileAttributesW(toWide(link).c_str(), FILE_ATTRIBUTE_READONLY);

    CHECK_THROWS(files.DeleteFile(link, false));
    CHECK(files.FileExists(link));
    CHECK((attributesOf(link) & FILE_ATTRIBUTE_READONLY) != 0);
    files.DeleteFile(link, true);
    CHECK(!files.FileExists(link));
    // A folder is no file to delete, forced or not.
    const std::string folder = scratch / "folder";
    files.CreateFolder(folder);
    CHECK_THROWS(files.DeleteFile(folder, true));
    CHECK(files.FolderExists(folder));
}

CONTRACT_TEST(win_a_free_file_is_never_made_over_a_read_only_file_or_a_device_name) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    ScratchFolder scratch;
    const std::string kept = scratch / "kept.mp4";
    ScratchFolder::writeFile(kept, "the user's");
    SetFileAttributesW(toWide(kept).c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string made = files.createFreeFile(
        [&](int n) { return n == 1 ? scratch / "KEPT.MP4" : scratch / "Aux.mp4"; }, 2);
    // The device's name is made as the file it names, not opened as the device.
    CHECK_EQ(made, scratch / "Aux.mp4");
    CHECK_EQ(files.LookupEntryName(made), std::string("Aux.mp4"));
    CHECK_EQ(files.ownFileSize(made), std::uint64_t{0});
    CHECK_EQ(ScratchFolder::readFile(kept), std::string("the user's"));
    files.removeEmptyOwnFile(made);
    CHECK(!files.FileExists(made));
    // The scratch folder goes with what is in it.
    SetFileAttributesW(toWide(kept).c_str(), FILE_ATTRIBUTE_NORMAL);
}

CONTRACT_TEST(win_files_and_folders_are_known_by_volume_and_index_however_spelled) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    ScratchFolder scratch;
    const std::string folder = scratch / "A Folder With A Long Name";
    CreateDirectoryW(toWide(folder).c_str(), nullptr);
    const std::string file = folder + "\\Song With A Long Name.mp4";
    ScratchFolder::writeFile(file, "x");
    const std::string shortFile = shortPathOf(file);
    if (!shortFile.empty() && shortFile != file)
        CHECK(files.sameFile(file, shortFile));
    CHECK(files.sameFile(file,
                         folder + "\\..\\A FOLDER WITH A LONG NAME\\song with a long name.MP4"));
    CHECK(files.isOwnFile(file));

    const std::string drive = scratch.path().substr(0, 2);
    CHECK_EQ(files.folderOnVolumeProblem(folder, drive), std::string());
    const std::string link = scratch / "linked";
    if (CreateSymbolicLinkW(toWide(link).c_str(), toWide(folder).c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        CHECK(!files.folderOnVolumeProblem(link, drive).empty());
        // A link to a folder is no file of the user's.
        CHECK_EQ(files.ownFileSize(link), std::uint64_t{0});
        CHECK(files.FileExists(file));
    }

    // Only a path with a drive and its root, or a server and share, names one place.
    CHECK_EQ(files.temporaryFolderProblem(drive + "temp"), std::string("Not a full path"));
    CHECK_EQ(files.temporaryFolderProblem("\\temp"), std::string("Not a full path"));
    CHECK_EQ(files.temporaryFolderProblem(folder), std::string());
    CHECK(!files.temporaryFolderProblem(file).empty());
}

namespace {

// A file made under its literal name, which Win32 would otherwise turn into a
// device or trim.
void writeLiteral(const std::string& path, const std::string& content) {
    ScratchFolder::writeFile("\\\\?\\" + path, content);
}

} // namespace

// Songs from a network share or a card written elsewhere may bear names that
// Win32 reads as a device ("Aux.mp3") or trims ("song. " opens "song"): each
// operation must reach the file itself, never the device or another file.
CONTRACT_TEST(win_names_of_devices_and_with_trailing_dots_are_files_of_their_own) {
    NativeServices native(0, nullptr);
    auto& files = native.services().fileSystem;
    ScratchFolder scratch;
    const std::string aux = scratch / "Aux.mp3";
    const std::string nul = scratch / "nul.m4a";
    const std::string dotted = scratch / "song. ";
    writeLiteral(aux, "the aux song");
    writeLiteral(nul, "the nul song");
    writeLiteral(dotted, "the dotted song");
    ScratchFolder::writeFile(scratch / "song", "another song");

    // Nothing of these names is there until made.
    CHECK(!files.FileExists(scratch / "COM1.mp4"));
    CHECK(!files.FileExists(scratch / "CON.mp4"));
    CHECK(!files.FolderExists(scratch / "PRN.mp4"));
    CHECK_EQ(files.LookupEntryName(scratch / "LPT1.m4a"), std::string());

    CHECK(files.FileExists(aux));
    CHECK(!files.FolderExists(aux));
    CHECK_EQ(files.LookupEntryName(aux), std::string("Aux.mp3"));
    CHECK_EQ(files.LookupEntryName(nul), std::string("nul.m4a"));
    CHECK_EQ(files.LookupEntryName(dotted), std::string("song. "));
    CHECK_EQ(files.LookupEntryName(scratch / "AUX.MP3"), std::string("Aux.mp3"));

    files.CopyFile(nul, scratch / "copied.mp4", true);
    CHECK_EQ(ScratchFolder::readFile(scratch / "copied.mp4"), std::string("the nul song"));
    files.CopyFile(dotted, scratch / "dotted.mp4", true);
    CHECK_EQ(ScratchFolder::readFile(scratch / "dotted.mp4"), std::string("the dotted song"));
    // Over such a name too: the file itself is replaced.
    files.CopyFile(scratch / "copied.mp4", aux, true);
    CHECK_EQ(ScratchFolder::readFile("\\\\?\\" + aux), std::string("the nul song"));

    CHECK_EQ(files.readFileBytes(aux, 4, 3), std::string("nul"));
    files.DeleteFile(aux, true);
    CHECK(!files.FileExists(aux));
    files.DeleteFile(dotted, true);
    CHECK(!files.FileExists(dotted));
    CHECK_EQ(ScratchFolder::readFile(scratch / "song"), std::string("another song"));
    // "." and ".." are resolved as Windows resolves them, the name kept.
    CHECK(files.FileExists(scratch / "sub\\..\\.\\nul.m4a"));
    CHECK_EQ(files.LookupEntryName(scratch / "sub/../nul.m4a"), std::string("nul.m4a"));
}
