#include "tests/ddc-emu/EmuSetup.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <new>

#include "platform/edid/Edid.h"

namespace orvane::ddcemu {

namespace {

void MakeDirs(const std::string& path)
{
    for (std::size_t at = 1; at != std::string::npos;) {
        at = path.find('/', at + 1);
        ::mkdir(path.substr(0, at).c_str(), 0755);
    }
}

void WriteFile(const std::string& path, const void* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteFile(path, text.data(), text.size());
}

void Link(const std::string& target, const std::string& at)
{
    ::unlink(at.c_str());
    if (::symlink(target.c_str(), at.c_str()) != 0) {
        // a made-up tree on a file system without links: leave it out
    }
}

// The tree a kernel with one GPU shows for these monitors: each connector of
// card0 with its EDID and its DDC bus, the bus in the I2C bus list and as a
// character device node (here a plain file the interposer stands behind).
void BuildTree(const std::string& root, const std::vector<EmulatedMonitor>& monitors)
{
    const std::string card = "/sys/devices/emulated/card0";
    MakeDirs(root + "/dev");
    MakeDirs(root + "/sys/bus/i2c/devices");
    MakeDirs(root + "/sys/class/drm");
    MakeDirs(root + "/sys/class/i2c-dev");
    MakeDirs(root + card);
    Link("../../devices/emulated/card0", root + "/sys/class/drm/card0");
    for (const auto& setup : monitors) {
        const std::string bus = "i2c-" + std::to_string(setup.bus);
        const std::string connector = card + "/card0-" + setup.connector;
        const std::string busFolder = connector + "/" + bus;
        MakeDirs(root + busFolder + "/i2c-dev/" + bus);
        WriteText(root + busFolder + "/name", "emulated DDC bus " + std::to_string(setup.bus) + "\n");
        WriteText(root + busFolder + "/i2c-dev/" + bus + "/name", "emulated DDC bus " + std::to_string(setup.bus) + "\n");
        WriteText(root + busFolder + "/i2c-dev/" + bus + "/dev", "89:" + std::to_string(setup.bus) + "\n");
        WriteText(root + busFolder + "/i2c-dev/" + bus + "/uevent",
                  "MAJOR=89\nMINOR=" + std::to_string(setup.bus) + "\nDEVNAME=" + bus + "\n");
        Link("../../../../../../../class/i2c-dev", root + busFolder + "/i2c-dev/" + bus + "/subsystem");
        WriteText(root + busFolder + "/uevent", "");
        Link("../../../../../bus/i2c", root + busFolder + "/subsystem");
        MakeDirs(root + "/sys/bus/i2c/drivers");
        WriteText(root + connector + "/uevent", "DEVTYPE=drm_connector\n");
        Link("../../../../class/drm", root + connector + "/subsystem");
        const auto edid = BuildEdid(setup);
        WriteFile(root + connector + "/edid", edid.data(), edid.size());
        WriteText(root + connector + "/status", "connected\n");
        WriteText(root + connector + "/enabled", "enabled\n");
        WriteText(root + connector + "/dpms", "On\n");
        Link(bus, root + connector + "/ddc");
        Link("../../devices/emulated/card0/card0-" + setup.connector, root + "/sys/class/drm/card0-" + setup.connector);
        Link("../../../devices/emulated/card0/card0-" + setup.connector + "/" + bus,
             root + "/sys/bus/i2c/devices/" + bus);
        Link("../../devices/emulated/card0/card0-" + setup.connector + "/" + bus + "/i2c-dev/" + bus,
             root + "/sys/class/i2c-dev/" + bus);
        WriteText(root + "/dev/" + bus, "");
        ::chmod((root + "/dev/" + bus).c_str(), 0666);
    }
}

}  // namespace

std::vector<std::uint8_t> BuildEdid(const EmulatedMonitor& setup)
{
    platform::edid::Fields fields;
    fields.maker = setup.maker;
    fields.productCode = static_cast<std::uint16_t>(setup.product);
    fields.serialNumber = static_cast<std::uint32_t>(setup.bus);  // differs per bus
    fields.width = static_cast<int>(setup.width);
    fields.height = static_cast<int>(setup.height);
    fields.name = setup.name;
    fields.serial = setup.serial;
    fields.ctaExtension = setup.extensionBlock;
    return platform::edid::Build(fields);
}

Emulation::Emulation(const std::string& folder, const std::vector<EmulatedMonitor>& monitors)
    : m_stateFile(folder + "/ddc-emu.state")
{
    if (monitors.size() > std::size_t(kMaxMonitors))
        return;
    const std::string root = folder + "/root";
    BuildTree(root, monitors);
    const int fd = ::open(m_stateFile.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (::ftruncate(fd, sizeof(State)) != 0) {
        ::close(fd);
        return;
    }
    void* map = ::mmap(nullptr, sizeof(State), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED)
        return;
    // The file is zero-filled, which is every atomic's initial value.
    m_state = static_cast<State*>(map);
    std::strncpy(m_state->root, root.c_str(), sizeof(m_state->root) - 1);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const EmulatedMonitor& setup = monitors[i];
        MonitorState& state = m_state->monitors[i];
        state.bus = setup.bus;
        const auto edid = BuildEdid(setup);
        state.edidLength = std::uint32_t(edid.size());
        std::memcpy(state.edid, edid.data(), edid.size());
        std::strncpy(state.connector, setup.connector.c_str(), sizeof(state.connector) - 1);
        std::strncpy(state.capabilities, setup.capabilities.c_str(), sizeof(state.capabilities) - 1);
        for (const auto& [code, value] : setup.features) {
            state.supported[code] = 1;
            state.current[code] = value.first;
            state.maximum[code] = value.second;
        }
        state.present = 1;
    }
    m_state->monitorCount = std::uint32_t(monitors.size());
    m_state->magic = kMagic;
}

Emulation::Emulation(const std::string& stateFile) : m_stateFile(stateFile)
{
    const int fd = ::open(m_stateFile.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return;
    void* map = ::mmap(nullptr, sizeof(State), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map != MAP_FAILED && static_cast<State*>(map)->magic == kMagic)
        m_state = static_cast<State*>(map);
    else if (map != MAP_FAILED)
        ::munmap(map, sizeof(State));
}

Emulation::~Emulation() = default;

void Emulation::SetValue(std::size_t monitor, std::uint8_t code, std::uint16_t value)
{
    m_state->monitors[monitor].supported[code] = 1;
    m_state->monitors[monitor].current[code] = value;
}

void Emulation::SetFault(std::size_t monitor, Fault fault, int count)
{
    MonitorState& state = m_state->monitors[monitor];
    state.faultCount = count;
    state.fault = static_cast<std::uint32_t>(fault);
}

std::vector<std::pair<std::uint8_t, std::uint16_t>> Emulation::Writes(std::size_t monitor)
{
    MonitorState& state = m_state->monitors[monitor];
    const std::uint32_t count = state.writeCount.load();
    std::vector<std::pair<std::uint8_t, std::uint16_t>> writes;
    for (std::uint32_t i = count > std::uint32_t(kWriteLog) ? count - kWriteLog : 0; i < count; ++i) {
        const std::uint32_t entry = state.writes[i % kWriteLog].codeAndValue.load();
        writes.emplace_back(std::uint8_t(entry >> 16), std::uint16_t(entry));
    }
    return writes;
}

}  // namespace orvane::ddcemu
