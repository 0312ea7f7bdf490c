// System notices on Windows: the four window messages the program watches,
// handed to the subscriber as they reach the main window's native-event
// hook (platform/win32/qt/NativeEventGlue).
#pragma once

#include <functional>
#include <optional>

#include "platform/Platform.h"

namespace orvane::platform::win32 {

// WM_POWERBROADCAST, WM_SETTINGCHANGE, WM_DISPLAYCHANGE and WM_DEVICECHANGE
// with any wParam become notices; every other message is none of ours.
std::optional<SystemNotice> NoticeFromMessage(std::uint32_t message, std::uintptr_t wParam);

class Win32NoticeSource : public NoticeSource {
public:
    void Subscribe(std::function<void(const SystemNotice&)> sink) override;
    // Called from the GUI thread's event loop; does nothing before Subscribe.
    void Deliver(const SystemNotice& notice);

private:
    std::function<void(const SystemNotice&)> sink_;
};

}  // namespace orvane::platform::win32
