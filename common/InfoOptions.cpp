#include "common/InfoOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace orvane {

bool IsInfoRequest(int argc, char** argv)
{
    if (argc != 2)
        return false;
    for (const char* option : {"--help", "-h", "--version", "-v"}) {
        if (std::strcmp(argv[1], option) == 0)
            return true;
    }
    return false;
}

int AnswerInfoRequest(int argc, char** argv, const ProgramInfo& info)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(info.name);
    QCoreApplication::setApplicationVersion(info.version);
    QCommandLineParser parser;
    parser.setApplicationDescription(info.description);
    parser.addHelpOption();
    parser.addVersionOption();
    for (const auto& argument : info.arguments)
        parser.addPositionalArgument(argument.first, argument.second);
    // Both options print their text and end the process here.
    parser.process(app);
    return 0;
}

}  // namespace orvane
