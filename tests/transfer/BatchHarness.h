#pragma once

#include "app/Form1.h"
#include "tests/support/QtToolkit.h"
#include "tests/support/TestRig.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ondrel::test {

// One pause of the batch with what the window showed while it lasted.
struct Pause {
    std::uint32_t milliseconds = 0;
    QString status;
    QString currentFile;
    // Taken while a converter ran: one of the wait's polls, whose number
    // depends on how fast the converter is.
    bool duringConversion = false;
};

// The real main window on the test rig, with the fake converter installed as
// ffmpeg.exe and kdh.exe in a program folder whose name holds a space.
class BatchHarness {
public:
    BatchHarness() {
        programFolder = rig.makeFolder("program folder");
        for (const char* name : {"ffmpeg.exe", "kdh.exe"})
            std::filesystem::copy_file(TestRig::binDir() + "/fake_converter",
                                       programFolder + "/" + name);
        rig.environment.programFolder = programFolder;
        rig.sleeper.onSleep = [this](std::uint32_t milliseconds) {
            pauses.push_back({milliseconds, q(form->Label2->text()), q(form->Label1->text()),
                              form->ChildProcessId != 0});
            if (duringPause)
                duringPause(milliseconds);
        };
    }

    // Loads the window with this argument text; kdh and desktop set the boxes.
    void load(const std::string& argumentText, bool kdh = false, bool desktop = false) {
        rig.environment.argumentText = argumentText;
        form = std::make_unique<Form1>(rig.services(), rig.windows(), rig.messageBox);
        form->Form_Load();
        form->Check2->setChecked(kdh);
        form->Check1->setChecked(desktop);
    }

    // A card: a volume with private/ds under the given letter.
    std::string addCard(char letter, const std::string& name = "card") {
        const std::string root = rig.makeFolder(name);
        rig.makeFolder(name + "/private/ds");
        rig.drives.roots[letter] = root;
        return root;
    }

    void setBehaviour(const std::string& lines) const {
        writeText(programFolder + "/behaviour", lines);
    }

    void press() { form->Command1->click(); }

    QString log() const { return q(form->Text1->text()); }

    // The calls the converters received, each as its argument list.
    std::vector<std::vector<std::string>> calls() const {
        std::vector<std::vector<std::string>> result;
        std::istringstream lines(readText(programFolder + "/calls"));
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> args;
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, '\x1f');)
                args.push_back(field);
            result.push_back(args);
        }
        return result;
    }

    // The batch's own pauses as "milliseconds status", the converter's polls left out.
    QStringList batchPauses() const {
        QStringList result;
        for (const Pause& pause : pauses) {
            if (!pause.duringConversion)
                result.append(QString::number(pause.milliseconds) + QLatin1Char(' ') +
                              pause.status);
        }
        return result;
    }

    static std::string readText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void writeText(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }

    static bool exists(const std::string& path) {
        std::error_code ignored;
        return std::filesystem::symlink_status(path, ignored).type() !=
               std::filesystem::file_type::not_found;
    }

    // What the fake converter writes for one input.
    std::string converted(const std::string& program, const std::string& input) const {
        return "converted by " + programFolder + "/" + program + " from " + input + "\n";
    }

    TestRig rig;
    std::string programFolder;
    std::unique_ptr<Form1> form;
    std::vector<Pause> pauses;
    std::function<void(std::uint32_t)> duringPause;
};

// Quotes one path for the argument text, as the shell hands it over.
inline std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace ondrel::test
