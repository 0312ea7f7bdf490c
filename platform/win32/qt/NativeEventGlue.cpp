#include "platform/host/NativeEventGlue.h"

#include <QByteArray>
#include <QWidget>

#include "platform/Platform.h"
#include "platform/win32/Win32Notices.h"
#include "platform/win32/WinApi.h"

namespace orvane::platform {

bool ForwardNativeEvent(const QByteArray& eventType, void* message)
{
    if (!message || qstrcmp(eventType, "windows_generic_MSG") != 0)
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    const auto notice = win32::NoticeFromMessage(msg->message, msg->wParam);
    // Under a simulated platform (ORVANE_PLATFORM=sim:...) the real
    // messages are not the program's notices.
    auto* source = dynamic_cast<win32::Win32NoticeSource*>(&ProcessPlatform().Notices());
    if (notice && source)
        source->Deliver(*notice);
    return false;
}

void EnsureNativeWindow(QWidget& window)
{
    (void)window.winId();
}

}  // namespace orvane::platform
