// Records how it was started: its working folder, then each argument, every
// item followed by a NUL byte so that any character in a name survives. The
// record goes to the file named by ONDREL_RECORD_ARGS, or beside the program
// as "<program>.args" when that variable is not set.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 1)
        return 2;
    const char* named = std::getenv("ONDREL_RECORD_ARGS");
    const std::string recordPath =
        named != nullptr && *named != '\0' ? std::string(named) : std::string(argv[0]) + ".args";

    std::error_code error;
    const std::filesystem::path workingFolder = std::filesystem::current_path(error);
    if (error) {
        std::cerr << "record_args: no working folder: " << error.message() << '\n';
        return 1;
    }

    std::ofstream record(recordPath, std::ios::binary | std::ios::trunc);
    if (!record) {
        std::cerr << "record_args: cannot write " << recordPath << '\n';
        return 1;
    }
    record << workingFolder.string() << '\0';
    for (int i = 1; i < argc; ++i)
        record << argv[i] << '\0';
    record.close();
    return record ? 0 : 1;
}
