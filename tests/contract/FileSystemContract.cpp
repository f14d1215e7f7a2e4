// The file operations, as every OS's implementation must do them.

#include "platform/DriveList.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/PlatformError.h"
#include "tests/contract/Check.h"
#include "tests/contract/TestFiles.h"

#include <chrono>
#include <future>

using namespace ondrel::platform;
using contract::TempFolder;

namespace {

// Runs the action, expecting a PlatformError that names the operation and
// every path given.
template <typename Action>
void expectPlatformError(const char* operation, const std::vector<std::string>& paths,
                         Action action) {
    try {
        action();
        contract::reportFailure(__FILE__, __LINE__,
                                std::string("no PlatformError from ") + operation);
    } catch (const PlatformError& error) {
        CHECK_EQ(error.operation(), std::string(operation));
        CHECK(!error.reason().empty());
        for (const std::string& path : paths)
            CHECK(std::string(error.what()).find(path) != std::string::npos);
    }
}

} // namespace

CONTRACT_TEST(base_and_extension_names_come_from_the_text_alone) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    const std::string sep(1, pathSeparator());
    struct Case {
        std::string path, base, extension;
    };
    const Case cases[] = {
        {"a.b.mp3", "a.b", "mp3"},
        {"song", "song", ""},
        {"Music" + sep + "Two Words.M4A", "Two Words", "M4A"},
        {"some.folder" + sep + "song", "song", ""},
        {".hidden", "", "hidden"},
        {"trailing.", "trailing", ""},
        {"missing" + sep + "but" + sep + "fine.wav", "fine", "wav"},
        {"folder" + sep + "a.b" + sep, "a", "b"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        CHECK_EQ(files.GetBaseName(c.path), c.base);
        CHECK_EQ(files.GetExtensionName(c.path), c.extension);
    }
}

CONTRACT_TEST(folders_and_files_are_told_apart_and_never_fail) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string file = temp / "song.mp3";
    contract::writeFile(file, "x");
    const std::string folder = temp / "album";
    contract::makeFolder(folder);

    CHECK(files.FolderExists(folder));
    CHECK(!files.FileExists(folder));
    CHECK(files.FileExists(file));
    CHECK(!files.FolderExists(file));
    for (const std::string& missing : {temp / "none", temp / "none" + pathSeparator() + "deeper",
                                       file + pathSeparator() + "x", std::string()}) {
        CHECK(!files.FolderExists(missing));
        CHECK(!files.FileExists(missing));
    }
}

// The card search asks the volumes through the drive list, off the window's
// thread: the answers are FolderExists's, whichever thread gives them.
CONTRACT_TEST(folders_asked_about_later_are_told_apart_as_at_once) {
    auto native = contract::nativeServices();
    const DriveList& drives = native.services().drives;
    TempFolder temp;
    const std::string file = temp / "song.mp3";
    contract::writeFile(file, "x");
    const std::string folder = temp / "private";
    contract::makeFolder(folder);

    const auto answer = [&drives](const std::string& path) {
        std::future<bool> later = drives.askFolderExists(path);
        // A working volume answers in moments; a minute is a generous limit.
        if (later.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            contract::reportFailure(__FILE__, __LINE__, "no answer about " + path);
            return false;
        }
        return later.get();
    };
    CHECK(answer(folder));
    CHECK(!answer(file));
    CHECK(!answer(temp / "none"));
    CHECK(!answer(file + pathSeparator() + "x"));
    CHECK(!answer(std::string()));

    // A card search asks one question after another, batch after batch: every
    // one of them is answered, rightly, and none loses its thread on the way.
    int wrong = 0;
    for (int i = 0; i < 2000; ++i)
        wrong += answer(i % 2 == 0 ? folder : file) == (i % 2 == 0) ? 0 : 1;
    CHECK_EQ(wrong, 0);
}

CONTRACT_TEST(create_folder_makes_one_folder_and_reports_failures) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string music = temp / "Music";
    files.CreateFolder(music);
    CHECK(files.FolderExists(music));

    expectPlatformError("CreateFolder", {music}, [&] { files.CreateFolder(music); });
    const std::string orphan = temp / "no parent" + pathSeparator() + "Music";
    expectPlatformError("CreateFolder", {orphan}, [&] { files.CreateFolder(orphan); });
    CHECK(!files.FolderExists(orphan));
}

CONTRACT_TEST(copy_creates_and_replaces_the_destination) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string source = temp / "song.mp4";
    const std::string destination = temp / "copy of song.mp4";
    const std::string content(300000, 'a'); // more than one read's worth
    contract::writeFile(source, content);

    files.CopyFile(source, destination, true);
    CHECK(contract::readFile(destination) == content);

    contract::writeFile(source, "newer and shorter");
    files.CopyFile(source, destination, true);
    CHECK_EQ(contract::readFile(destination), std::string("newer and shorter"));
    CHECK_EQ(contract::readFile(source), std::string("newer and shorter"));
    // Nothing but the two files: no temporary file was left beside them.
    CHECK(contract::folderEntries(temp.path()) ==
          (std::vector<std::string>{"copy of song.mp4", "song.mp4"}));
}

CONTRACT_TEST(copy_without_overwrite_keeps_an_existing_destination) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    contract::writeFile(temp / "new.mp4", "new");
    contract::writeFile(temp / "old.mp4", "old");
    expectPlatformError("CopyFile", {temp / "new.mp4", temp / "old.mp4"},
                        [&] { files.CopyFile(temp / "new.mp4", temp / "old.mp4", false); });
    CHECK_EQ(contract::readFile(temp / "old.mp4"), std::string("old"));

    files.CopyFile(temp / "new.mp4", temp / "fresh.mp4", false);
    CHECK_EQ(contract::readFile(temp / "fresh.mp4"), std::string("new"));
}

CONTRACT_TEST(a_failing_copy_leaves_the_older_destination_intact) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string destination = temp / "song.mp4";
    contract::writeFile(destination, "the older song");
    contract::makeFolder(temp / "a folder.mp4");
    const std::vector<std::string> before = contract::folderEntries(temp.path());

    for (const std::string& source : {temp / "missing.mp4", temp / "a folder.mp4"}) {
        expectPlatformError("CopyFile", {source, destination},
                            [&] { files.CopyFile(source, destination, true); });
        CHECK_EQ(contract::readFile(destination), std::string("the older song"));
        CHECK(contract::folderEntries(temp.path()) == before);
    }

    const std::string nowhere = temp / "no folder" + pathSeparator() + "song.mp4";
    expectPlatformError("CopyFile", {destination, nowhere},
                        [&] { files.CopyFile(destination, nowhere, true); });
    CHECK(contract::folderEntries(temp.path()) == before);
}

CONTRACT_TEST(delete_file_removes_read_only_files_with_force_and_reports_failures) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string link = temp / "Ondrel.lnk";
    contract::writeFile(link, "x");
    files.DeleteFile(link, true);
    CHECK(!files.FileExists(link));

    contract::writeFile(link, "x");
    contract::setReadOnly(link, true);
    expectPlatformError("DeleteFile", {link}, [&] { files.DeleteFile(link, false); });
    CHECK(files.FileExists(link));
    files.DeleteFile(link, true);
    CHECK(!files.FileExists(link));

    expectPlatformError("DeleteFile", {link}, [&] { files.DeleteFile(link, true); });
    contract::makeFolder(temp / "folder");
    expectPlatformError("DeleteFile", {temp / "folder"},
                        [&] { files.DeleteFile(temp / "folder", true); });
    CHECK(files.FolderExists(temp / "folder"));
}

CONTRACT_TEST(a_free_file_takes_a_name_nothing_had_and_replaces_nothing) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string sep(1, pathSeparator());
    const auto candidate = [&temp](int n) {
        return temp / (n == 1 ? std::string("song.mp4") : "song (" + std::to_string(n) + ").mp4");
    };
    // The user's own file, and a folder, under the first two names.
    contract::writeFile(temp / "song.mp4", "the user's");
    contract::makeFolder(temp / "song (2).mp4");

    CHECK_EQ(files.createFreeFile(candidate, 2), std::string());
    const std::string made = files.createFreeFile(candidate, 9);
    CHECK_EQ(made, temp / "song (3).mp4");
    CHECK(files.isOwnFile(made));
    CHECK_EQ(files.ownFileSize(made), std::uint64_t{0});
    CHECK_EQ(contract::readFile(temp / "song.mp4"), std::string("the user's"));
    CHECK(files.FolderExists(temp / "song (2).mp4"));
    // The next one made finds that name taken as well.
    CHECK_EQ(files.createFreeFile(candidate, 9), temp / "song (4).mp4");

    // Names that differ only in case are one name where the folder ignores case.
    contract::writeFile(temp / "Intro.mp4", "first");
    const std::string intro = files.createFreeFile(
        [&temp](int n) { return temp / (n == 1 ? "intro.mp4" : "intro (2).mp4"); }, 2);
    CHECK(intro == temp / "intro.mp4" || intro == temp / "intro (2).mp4");
    CHECK_EQ(contract::readFile(temp / "Intro.mp4"), std::string("first"));

    expectPlatformError("CreateFreeFile", {temp / "missing" + sep + "song.mp4"}, [&] {
        files.createFreeFile([&](int) { return temp / "missing" + sep + "song.mp4"; }, 3);
    });
}

CONTRACT_TEST(only_an_empty_own_file_is_given_back) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    contract::writeFile(temp / "empty.mp4", "");
    contract::writeFile(temp / "song.mp4", "converted");
    contract::makeFolder(temp / "folder.mp4");

    CHECK_EQ(files.ownFileSize(temp / "song.mp4"), std::uint64_t{9});
    CHECK_EQ(files.ownFileSize(temp / "folder.mp4"), std::uint64_t{0});
    CHECK_EQ(files.ownFileSize(temp / "missing.mp4"), std::uint64_t{0});
    CHECK_EQ(files.ownFileSize(""), std::uint64_t{0});

    files.removeEmptyOwnFile(temp / "empty.mp4");
    files.removeEmptyOwnFile(temp / "song.mp4");
    files.removeEmptyOwnFile(temp / "folder.mp4");
    files.removeEmptyOwnFile(temp / "missing.mp4");
    files.removeEmptyOwnFile("");
    CHECK(!files.FileExists(temp / "empty.mp4"));
    CHECK_EQ(contract::readFile(temp / "song.mp4"), std::string("converted"));
    CHECK(files.FolderExists(temp / "folder.mp4"));
}

CONTRACT_TEST(bytes_are_read_from_where_they_are_asked_for) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += static_cast<char>(i * 7);
    contract::writeFile(temp / "song.m4a", bytes);
    contract::makeFolder(temp / "folder.m4a");

    CHECK_EQ(files.readFileBytes(temp / "song.m4a", 0, 16), bytes.substr(0, 16));
    CHECK_EQ(files.readFileBytes(temp / "song.m4a", 65530, 100), bytes.substr(65530, 100));
    // Fewer at the end, nothing past it.
    CHECK_EQ(files.readFileBytes(temp / "song.m4a", 69990, 100), bytes.substr(69990));
    CHECK_EQ(files.readFileBytes(temp / "song.m4a", 70000, 1), std::string());
    CHECK_EQ(files.readFileBytes(temp / "song.m4a", 0, 1u << 20), bytes);
    CHECK_EQ(files.readFileBytes(temp / "folder.m4a", 0, 16), std::string());
    CHECK_EQ(files.readFileBytes(temp / "missing.m4a", 0, 16), std::string());
}

CONTRACT_TEST(the_same_file_is_known_however_its_path_is_spelled) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string sep(1, pathSeparator());
    contract::makeFolder(temp / "album");
    const std::string song = temp / "song.mp4";
    contract::writeFile(song, "x");
    contract::writeFile(temp / "other.mp4", "x");

    CHECK(files.sameFile(song, song));
    CHECK(files.sameFile(song, temp / "album" + sep + ".." + sep + "song.mp4"));
    CHECK(files.sameFile(temp / "album", temp / "album" + sep + "."));
    CHECK(!files.sameFile(song, temp / "other.mp4"));
    CHECK(!files.sameFile(song, temp / "missing.mp4"));
    CHECK(!files.sameFile(temp / "missing.mp4", temp / "missing.mp4"));
    CHECK(!files.sameFile("", ""));
}

CONTRACT_TEST(own_files_are_regular_files_of_the_user_with_one_name) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    contract::writeFile(temp / "song.mp4", "made here");
    contract::makeFolder(temp / "folder.mp4");
    CHECK(files.isOwnFile(temp / "song.mp4"));
    CHECK(!files.isOwnFile(temp / "folder.mp4"));
    CHECK(!files.isOwnFile(temp / "missing.mp4"));
    CHECK(!files.isOwnFile(""));
}

CONTRACT_TEST(copy_own_file_copies_only_an_own_file) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string destination = temp / "copy.mp4";
    contract::writeFile(temp / "song.mp4", std::string(300000, 's'));
    contract::writeFile(destination, "older");
    contract::makeFolder(temp / "folder.mp4");

    CHECK(!files.copyOwnFile(temp / "missing.mp4", destination));
    CHECK(!files.copyOwnFile(temp / "folder.mp4", destination));
    CHECK_EQ(contract::readFile(destination), std::string("older"));

    CHECK(files.copyOwnFile(temp / "song.mp4", destination));
    CHECK_EQ(contract::readFile(destination), std::string(300000, 's'));
    CHECK(contract::folderEntries(temp.path()) ==
          (std::vector<std::string>{"copy.mp4", "folder.mp4", "song.mp4"}));

    const std::string nowhere = temp / "no folder" + pathSeparator() + "copy.mp4";
    expectPlatformError("CopyFile", {temp / "song.mp4", nowhere},
                        [&] { files.copyOwnFile(temp / "song.mp4", nowhere); });
}

CONTRACT_TEST(a_copy_to_a_free_name_never_replaces_anything) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    contract::makeFolder(temp / "Desktop");
    const std::string desktop = temp / "Desktop";
    const std::string sep(1, pathSeparator());
    contract::writeFile(temp / "song.mp4", "the new song");
    contract::writeFile(desktop + sep + "song 1.mp4", "the user's");
    contract::makeFolder(desktop + sep + "song 2.mp4");
    const auto candidate = [&](int n) {
        return desktop + sep + "song " + std::to_string(n) + ".mp4";
    };

    CHECK_EQ(files.copyOwnFileToFreeName(temp / "song.mp4", candidate, 5), candidate(3));
    CHECK_EQ(contract::readFile(candidate(3)), std::string("the new song"));
    CHECK_EQ(contract::readFile(candidate(1)), std::string("the user's"));
    CHECK(files.FolderExists(candidate(2)));

    // Every name taken: nothing is copied, and nothing is left behind.
    CHECK_EQ(files.copyOwnFileToFreeName(temp / "song.mp4", candidate, 3), std::string());
    CHECK(contract::folderEntries(desktop) ==
          (std::vector<std::string>{"song 1.mp4", "song 2.mp4", "song 3.mp4"}));
    CHECK_EQ(contract::readFile(candidate(3)), std::string("the new song"));
    CHECK_EQ(files.copyOwnFileToFreeName(temp / "missing.mp4", candidate, 5), std::string());
    CHECK(contract::folderEntries(desktop).size() == 3);
}

CONTRACT_TEST(copy_readable_file_answers_for_its_source_and_throws_for_its_destination) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string destination = temp / "song.mp4";
    contract::writeFile(destination, "older");
    contract::writeFile(temp / "song.m4a", "the song");
    contract::makeFolder(temp / "folder.m4a");

    CHECK(!files.copyReadableFile(temp / "missing.m4a", destination));
    CHECK(!files.copyReadableFile(temp / "folder.m4a", destination));
    CHECK_EQ(contract::readFile(destination), std::string("older"));
    CHECK(files.copyReadableFile(temp / "song.m4a", destination));
    CHECK_EQ(contract::readFile(destination), std::string("the song"));
    CHECK(contract::folderEntries(temp.path()) ==
          (std::vector<std::string>{"folder.m4a", "song.m4a", "song.mp4"}));

    const std::string nowhere = temp / "no folder" + pathSeparator() + "song.mp4";
    expectPlatformError("CopyFile", {temp / "song.m4a", nowhere},
                        [&] { files.copyReadableFile(temp / "song.m4a", nowhere); });
}

CONTRACT_TEST(a_folder_on_the_volume_is_told_from_what_is_not) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    contract::makeFolder(temp / "Music");
    contract::writeFile(temp / "file", "x");
    CHECK_EQ(files.folderOnVolumeProblem(temp / "Music", temp.path()), std::string());
    CHECK(!files.folderOnVolumeProblem(temp / "file", temp.path()).empty());
    CHECK(!files.folderOnVolumeProblem(temp / "missing", temp.path()).empty());
    CHECK(!files.folderOnVolumeProblem("", temp.path()).empty());
}

CONTRACT_TEST(a_temporary_folder_must_be_a_full_path_of_a_folder_to_write_in) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    contract::writeFile(temp / "file", "x");
    CHECK_EQ(files.temporaryFolderProblem(temp.path()), std::string());
    CHECK_EQ(files.temporaryFolderProblem("temp"), std::string("Not a full path"));
    CHECK_EQ(files.temporaryFolderProblem(""), std::string("Not a full path"));
    CHECK(!files.temporaryFolderProblem(temp / "missing").empty());
    CHECK(!files.temporaryFolderProblem(temp / "file").empty());
    // Asking leaves nothing behind.
    CHECK(contract::folderEntries(temp.path()) == std::vector<std::string>{"file"});
}

CONTRACT_TEST(entry_look_up_gives_the_stored_name_or_nothing) {
    auto native = contract::nativeServices();
    FileSystem& files = native.services().fileSystem;
    TempFolder temp;
    const std::string album = temp / "Best Album";
    contract::makeFolder(album);
    contract::writeFile(contract::joined(album, "Track 01.mp3"), "x");
    contract::writeFile(contract::joined(album, ".hidden.mp3"), "x");
    contract::writeFile(contract::joined(album, "caf\xC3\xA9 \xE2\x99\xAB.mp3"), "x");

    CHECK_EQ(files.LookupEntryName(album), std::string("Best Album"));
    CHECK_EQ(files.LookupEntryName(contract::joined(album, "Track 01.mp3")),
             std::string("Track 01.mp3"));
    CHECK_EQ(files.LookupEntryName(contract::joined(album, ".hidden.mp3")),
             std::string(".hidden.mp3"));
    CHECK_EQ(files.LookupEntryName(contract::joined(album, "caf\xC3\xA9 \xE2\x99\xAB.mp3")),
             std::string("caf\xC3\xA9 \xE2\x99\xAB.mp3"));
    CHECK_EQ(files.LookupEntryName(contract::joined(album, "Track 02.mp3")), std::string());
    CHECK_EQ(files.LookupEntryName(temp / "No Album" + pathSeparator() + "Track 01.mp3"),
             std::string());
}
