// The --help and --version answers of the programs, given before any GUI
// application exists so they work without a display.
#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace orvane {

// What --help prints about a program.
struct ProgramInfo {
    QString name;
    QString version;
    QString description;
    // Positional arguments: name and meaning, in order.
    std::vector<std::pair<QString, QString>> arguments;
};

// True when the command line is "--help", "-h", "--version" or "-v" alone.
// The programs' own command lines never take these, so asking leaves every
// other command line to the program unchanged.
bool IsInfoRequest(int argc, char** argv);

// Prints the help or version text for an info request and returns the exit
// code (0). Needs no display: it runs before any GUI application exists.
int AnswerInfoRequest(int argc, char** argv, const ProgramInfo& info);

}  // namespace orvane
