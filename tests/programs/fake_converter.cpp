// Stands in for ffmpeg.exe and kdh.exe in the tests. Copied into a program
// folder under those names, it records how it was called and then does what
// the test asked for through files in that same folder:
//
//   calls      one line appended per call: the arguments (the program's own
//              name first), separated by the unit separator 0x1F
//   behaviour  one behaviour per line; call n follows line n, the last line
//              repeats (missing file: write)
//     write    writes a recognisable output to the last argument, exits 0
//     fail     writes the output but exits with 1
//     nothing  exits 0 without writing
//     linger   sleeps 300 ms, then writes
//     hang     never ends
//   pid        the process id of the latest call

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

std::string folderOf(const std::string& program) {
    const auto slash = program.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : program.substr(0, slash);
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool writeOutput(const std::string& output, const std::string& program, const std::string& input) {
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << "converted by " << program << " from " << input << '\n';
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    // argv[0] keeps the name it was started under: the copy's path.
    const std::string folder = folderOf(args[0]);

    const std::size_t callIndex = readLines(folder + "/calls").size();
    {
        std::ofstream calls(folder + "/calls", std::ios::app | std::ios::binary);
        for (std::size_t i = 0; i < args.size(); ++i)
            calls << (i == 0 ? "" : "\x1f") << args[i];
        calls << '\n';
    }
    {
        std::ofstream pid(folder + "/pid", std::ios::trunc);
        pid << getpid() << '\n';
    }

    const std::vector<std::string> behaviours = readLines(folder + "/behaviour");
    std::string behaviour = "write";
    if (!behaviours.empty())
        behaviour = behaviours[std::min(callIndex, behaviours.size() - 1)];

    const std::string output = args.size() > 1 ? args.back() : std::string();
    const std::string input = args.size() > 2 ? args[args.size() - 2] : std::string();

    if (behaviour == "nothing")
        return 0;
    if (behaviour == "hang") {
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (behaviour == "linger")
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (!writeOutput(output, args[0], input)) {
        std::cerr << "fake_converter: cannot write " << output << '\n';
        return 2;
    }
    return behaviour == "fail" ? 1 : 0;
}
