// RunInfo.ini as whoever can write beside the programs or in the user's
// configuration folder writes it: the bytes up to the first NUL are the file
// beside the programs, the rest (if any) the user's file. Every setting the
// programs read, with the Models= list parsed; each model parsed must read
// back as itself.
#include <QFile>

#include <algorithm>

#include "common/Settings.h"
#include "fuzz/support/FuzzSupport.h"
#include "orvane/monitor/ModelCode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane;
    static const QString programDir = fuzz::ScratchFolder() + "/program";
    static const QString userFile = fuzz::ScratchFolder() + "/config/orvane/RunInfo.ini";
    static const bool configHome = qputenv("XDG_CONFIG_HOME", (fuzz::ScratchFolder() + "/config").toLocal8Bit());
    fuzz::Check(configHome && UserSettingsFilePath() == userFile, "the user's file is the scratch one");

    const std::uint8_t* end = data + size;
    const std::uint8_t* split = std::find(data, end, '\0');
    fuzz::WriteScratchFile("program/RunInfo.ini", data, std::size_t(split - data));
    if (split != end)
        fuzz::WriteScratchFile("config/orvane/RunInfo.ini", split + 1, std::size_t(end - split - 1));
    else
        QFile::remove(userFile);

    ReadTraceLevel(programDir);
    ReadTestSiteFlag(programDir);
    for (const ModelCode& model : ParseModelCodes(ReadExtraModelEntries(programDir))) {
        const auto again = ParseModelCode(ModelCodeText(model));
        fuzz::Check(again && *again == model, "model read back");
    }
    return 0;
}
