// The run-at-log-on entry as a desktop settings tool (or anything else) may
// have left it: read for whether it starts the program. And the entry
// written for a program path the input gives: always the same lines, with
// no line of the path's own, and read as present.
#include <algorithm>

#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/linux/session/Autostart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane;
    using namespace orvane::platform::linuxplatform;
    static const bool configHome = qputenv("XDG_CONFIG_HOME", (fuzz::ScratchFolder() + "/config").toLocal8Bit());
    fuzz::Check(configHome && AutostartEntryPath() == (fuzz::ScratchFolder() + "/config/autostart/Orvane.desktop").toStdString(),
                "the entry is the scratch one");

    fuzz::WriteScratchFile("config/autostart/Orvane.desktop", data, size);
    AutostartEntryPresent();

    fuzz::FuzzInput in(data, size);
    const std::string program = "/" + in.Text(64);
    const std::string text = AutostartEntryText(program);
    fuzz::Check(std::count(text.begin(), text.end(), '\n') == 8 && text.back() == '\n', "eight lines");
    fuzz::WriteScratchFile("config/autostart/Orvane.desktop", text.data(), text.size());
    fuzz::Check(AutostartEntryPresent(), "the entry written reads as present");
    return 0;
}
