#include "platform/linux/ddc/LibDdcutil.h"

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <vector>

#include <QDebug>
#include <QString>

#include <ddcutil_c_api.h>

#include "platform/linux/ddc/I2cSetup.h"
#include "platform/linux/ddc/StdoutCapture.h"

namespace orvane::platform::linuxplatform {

namespace {

constexpr const char kLibraryName[] = "libddcutil.so.4";

void LogCaptured(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty())
            qDebug().noquote() << "libddcutil:" << QString::fromStdString(line);
    }
}

// The library's entry points, looked up once.
struct Api {
    decltype(&ddca_set_fout) setFout = nullptr;
    decltype(&ddca_set_ferr) setFerr = nullptr;
    decltype(&ddca_get_display_info_list2) getDisplayInfoList = nullptr;
    decltype(&ddca_free_display_info_list) freeDisplayInfoList = nullptr;
    decltype(&ddca_redetect_displays) redetectDisplays = nullptr;
    decltype(&ddca_open_display2) openDisplay = nullptr;
    decltype(&ddca_get_non_table_vcp_value) getNonTableVcpValue = nullptr;
    decltype(&ddca_set_non_table_vcp_value) setNonTableVcpValue = nullptr;
    decltype(&ddca_get_capabilities_string) getCapabilitiesString = nullptr;
    decltype(&ddca_enable_verify) enableVerify = nullptr;  // optional

    bool Complete() const
    {
        return setFout && setFerr && getDisplayInfoList && freeDisplayInfoList && redetectDisplays && openDisplay &&
               getNonTableVcpValue && setNonTableVcpValue && getCapabilitiesString;
    }
};

template <typename T>
void Resolve(void* library, const char* name, T& out)
{
    out = reinterpret_cast<T>(::dlsym(library, name));
}

class LibDdcutil : public DdcLibrary {
public:
    explicit LibDdcutil(std::string devFolder) : m_devFolder(std::move(devFolder)) {}

    std::string Unavailable() override
    {
        std::lock_guard<std::mutex> lock(m_loadMutex);
        if (!m_checked) {
            m_checked = true;
            m_report = I2cAccessCheck(m_devFolder);
            if (m_report.detail.empty()) {
                const std::string problem = Load();
                m_report = {problem.empty() ? DdcAccessFault::None : DdcAccessFault::NoDdcLibrary, problem};
            }
        }
        return m_report.detail;
    }

    DdcAccessReport UnavailableReport() override
    {
        Unavailable();
        std::lock_guard<std::mutex> lock(m_loadMutex);
        return m_report;
    }

    std::vector<DdcDisplayRecord> Detect() override
    {
        if (!Unavailable().empty())
            return {};
        StdoutCapture capture;
        Quiet();
        if (m_detected)
            m_api.redetectDisplays();
        m_detected = true;
        DDCA_Display_Info_List* list = nullptr;
        m_api.getDisplayInfoList(false, &list);
        std::vector<DdcDisplayRecord> records;
        m_refs.clear();
        if (list) {
            for (int i = 0; i < list->ct; ++i) {
                const DDCA_Display_Info& info = list->info[i];
                DdcDisplayRecord record;
                record.edid.assign(info.edid_bytes, info.edid_bytes + sizeof(info.edid_bytes));
                record.model = std::string(info.model_name, strnlen(info.model_name, sizeof(info.model_name)));
                if (info.path.io_mode == DDCA_IO_I2C)
                    record.i2cBus = info.path.path.i2c_busno;
                records.push_back(std::move(record));
                m_refs.push_back(info.dref);
            }
            m_api.freeDisplayInfoList(list);
        }
        LogCaptured(capture.Finish());
        return records;
    }

    DdcOpenHandle Open(std::size_t index) override
    {
        if (index >= m_refs.size())
            return 0;
        StdoutCapture capture;
        Quiet();
        DDCA_Display_Handle handle = nullptr;
        const DDCA_Status status = m_api.openDisplay(m_refs[index], false, &handle);
        LogCaptured(capture.Finish());
        if (status != 0) {
            qDebug() << "libddcutil: cannot open display" << index << "status" << status;
            return 0;
        }
        return reinterpret_cast<DdcOpenHandle>(handle);
    }

    bool GetVcp(DdcOpenHandle handle, std::uint8_t code, std::uint16_t& current, std::uint16_t& maximum) override
    {
        Quiet();
        DDCA_Non_Table_Vcp_Value value{};
        if (m_api.getNonTableVcpValue(reinterpret_cast<DDCA_Display_Handle>(handle), code, &value) != 0)
            return false;
        current = std::uint16_t((value.sh << 8) | value.sl);
        maximum = std::uint16_t((value.mh << 8) | value.ml);
        return true;
    }

    bool SetVcp(DdcOpenHandle handle, std::uint8_t code, std::uint16_t value) override
    {
        Quiet();
        // A write succeeds when the monitor takes it. The library would read
        // the feature back first (a third more bus time) and fail the write
        // of a feature the monitor takes but does not report, such as 0xCA
        // on many monitors. The setting is per thread, hence set each time.
        if (m_api.enableVerify)
            m_api.enableVerify(false);
        return m_api.setNonTableVcpValue(reinterpret_cast<DDCA_Display_Handle>(handle), code,
                                         std::uint8_t(value >> 8), std::uint8_t(value & 0xFF)) == 0;
    }

    std::optional<std::string> Capabilities(DdcOpenHandle handle) override
    {
        Quiet();
        char* text = nullptr;
        if (m_api.getCapabilitiesString(reinterpret_cast<DDCA_Display_Handle>(handle), &text) != 0 || !text)
            return std::nullopt;
        std::string result(text);
        std::free(text);
        return result;
    }

private:
    std::string Load()
    {
        StdoutCapture capture;
        m_library = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        const std::string loadError = m_library ? std::string() : std::string(::dlerror());
        if (m_library) {
            Resolve(m_library, "ddca_set_fout", m_api.setFout);
            Resolve(m_library, "ddca_set_ferr", m_api.setFerr);
            Resolve(m_library, "ddca_get_display_info_list2", m_api.getDisplayInfoList);
            Resolve(m_library, "ddca_free_display_info_list", m_api.freeDisplayInfoList);
            Resolve(m_library, "ddca_redetect_displays", m_api.redetectDisplays);
            Resolve(m_library, "ddca_open_display2", m_api.openDisplay);
            Resolve(m_library, "ddca_get_non_table_vcp_value", m_api.getNonTableVcpValue);
            Resolve(m_library, "ddca_set_non_table_vcp_value", m_api.setNonTableVcpValue);
            Resolve(m_library, "ddca_get_capabilities_string", m_api.getCapabilitiesString);
            Resolve(m_library, "ddca_enable_verify", m_api.enableVerify);
        }
        LogCaptured(capture.Finish());
        if (!m_library)
            return std::string("the DDC/CI library ") + kLibraryName + " cannot be loaded (" + loadError + ")";
        if (!m_api.Complete())
            return std::string("the DDC/CI library ") + kLibraryName + " lacks functions this program needs";
        return {};
    }

    // The library's own reports go to the calling thread's streams; none of
    // them belongs on the program's output.
    void Quiet()
    {
        m_api.setFout(nullptr);
        m_api.setFerr(nullptr);
    }

    std::string m_devFolder;
    std::mutex m_loadMutex;
    bool m_checked = false;
    DdcAccessReport m_report{DdcAccessFault::None, {}};
    void* m_library = nullptr;  // never unloaded: abandoned calls may still run in it
    Api m_api;
    bool m_detected = false;
    std::vector<DDCA_Display_Ref> m_refs;
};

}  // namespace

DdcAccessReport I2cAccessCheck(const std::string& devFolder)
{
    std::vector<std::string> nodes;
    if (DIR* dir = ::opendir(devFolder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strncmp(entry->d_name, "i2c-", 4) == 0)
                nodes.push_back(devFolder + "/" + entry->d_name);
        }
        ::closedir(dir);
    }
    if (nodes.empty())
        return {DdcAccessFault::NoI2cDevices,
                "no I2C device nodes (" + devFolder + "/i2c-*); load the i2c-dev kernel module",
                ModuleLoadsAtBoot("i2c-dev")};
    const bool anyUsable = std::any_of(nodes.begin(), nodes.end(),
                                       [](const std::string& node) { return ::access(node.c_str(), R_OK | W_OK) == 0; });
    if (!anyUsable)
        return {DdcAccessFault::NoI2cPermission,
                "no permission to use " + devFolder + "/i2c-*; add the user to the i2c group or install a uaccess rule",
                I2cAccessRuleInstalled()};
    return {DdcAccessFault::None, {}};
}

std::string I2cAccessProblem(const std::string& devFolder)
{
    return I2cAccessCheck(devFolder).detail;
}

std::unique_ptr<DdcLibrary> CreateLibDdcutil(const std::string& devFolder)
{
    return std::make_unique<LibDdcutil>(devFolder);
}

}  // namespace orvane::platform::linuxplatform
