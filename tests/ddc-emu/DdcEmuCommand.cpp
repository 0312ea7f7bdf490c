// ddc-emu: creates emulated monitors and changes them while a program runs.
//   ddc-emu create FOLDER N [--connector NAME] [--size WxH] [--product CODE] [BUS...]
//                                         N monitors on buses 3, 4, ... (unless given) and
//                                         connectors DP-1, DP-2, ... (the first NAME if given),
//                                         native size WxH (3840x2160 unless given), EDID
//                                         product code CODE (0x4F10, a supported one, unless given)
//   ddc-emu set STATE MONITOR CODE VALUE  a VCP value (codes and values in hex or decimal)
//   ddc-emu fault STATE MONITOR none|nak|checksum|null|unplug-mid-read COUNT (-1: for ever)
//   ddc-emu delay STATE MONITOR MS        answer delay
//   ddc-emu plug STATE MONITOR 0|1        unplug or plug back
//   ddc-emu writes STATE MONITOR          the Set VCP requests seen, "CODE VALUE" a line
// Run a program with LD_PRELOAD=<libddc-emu-preload.so> ORVANE_DDC_EMU=FOLDER/ddc-emu.state.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ddc-emu/EmuSetup.h"

using namespace orvane::ddcemu;

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: ddc-emu create FOLDER N [BUS...] | set|fault|delay|plug|writes STATE MONITOR ...\n");
    return 2;
}

long Number(const char* text)
{
    return std::strtol(text, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return Usage();
    const std::string command = argv[1];
    if (command == "create") {
        const long count = Number(argv[3]);
        if (count < 1 || count > kMaxMonitors)
            return Usage();
        int first = 4;
        std::string connector;
        unsigned width = 0;
        unsigned height = 0;
        long product = 0;
        while (argc > first + 1 && argv[first][0] == '-') {
            if (std::strcmp(argv[first], "--connector") == 0)
                connector = argv[first + 1];
            else if (std::strcmp(argv[first], "--product") == 0)
                product = Number(argv[first + 1]);
            else if (std::strcmp(argv[first], "--size") != 0 || std::sscanf(argv[first + 1], "%ux%u", &width, &height) != 2)
                return Usage();
            first += 2;
        }
        std::vector<EmulatedMonitor> monitors;
        for (long i = 0; i < count; ++i) {
            EmulatedMonitor setup;
            setup.bus = argc > first + i ? int(Number(argv[first + i])) : int(3 + i);
            setup.connector = i == 0 && !connector.empty() ? connector : "DP-" + std::to_string(i + 1);
            setup.serial = "SN000" + std::to_string(i + 1);
            if (product > 0 && product <= 0xFFFF)
                setup.product = unsigned(product);
            if (width && height) {
                setup.width = width;
                setup.height = height;
            }
            monitors.push_back(setup);
        }
        Emulation emulation(argv[2], monitors);
        if (!emulation.Ok()) {
            std::fprintf(stderr, "ddc-emu: cannot create the monitors in %s\n", argv[2]);
            return 1;
        }
        std::printf("%s\n", emulation.StateFile().c_str());
        return 0;
    }
    Emulation emulation{std::string(argv[2])};
    if (!emulation.Ok()) {
        std::fprintf(stderr, "ddc-emu: %s is no state file\n", argv[2]);
        return 1;
    }
    const long monitor = Number(argv[3]);
    if (monitor < 0 || std::size_t(monitor) >= emulation.Count())
        return Usage();
    MonitorState& state = emulation.Monitor(std::size_t(monitor));
    if (command == "set" && argc == 6) {
        emulation.SetValue(std::size_t(monitor), std::uint8_t(Number(argv[4])), std::uint16_t(Number(argv[5])));
    } else if (command == "fault" && argc == 6) {
        const std::string kind = argv[4];
        const Fault fault = kind == "nak"               ? Fault::Nak
                            : kind == "checksum"        ? Fault::BadChecksum
                            : kind == "null"            ? Fault::NullReply
                            : kind == "unplug-mid-read" ? Fault::UnplugMidRead
                                                        : Fault::None;
        emulation.SetFault(std::size_t(monitor), fault, int(Number(argv[5])));
    } else if (command == "delay" && argc == 5) {
        state.delayMs = std::uint32_t(Number(argv[4]));
    } else if (command == "plug" && argc == 5) {
        state.present = Number(argv[4]) ? 1 : 0;
    } else if (command == "writes" && argc == 4) {
        for (const auto& [code, value] : emulation.Writes(std::size_t(monitor)))
            std::printf("0x%02X %u\n", code, value);
    } else {
        return Usage();
    }
    return 0;
}
