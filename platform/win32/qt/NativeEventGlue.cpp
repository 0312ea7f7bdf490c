#include "platform/win32/qt/NativeEventGlue.h"

#ifdef Q_OS_WIN

#include <QByteArray>
#include <QWidget>

#include "platform/Platform.h"
#include "platform/win32/Win32Notices.h"
#include "platform/win32/WinApi.h"

namespace orvane::platform::win32 {

bool ForwardNativeEvent(const QByteArray& eventType, void* message)
{
    if (!message || qstrcmp(eventType, "windows_generic_MSG") != 0)
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    const auto notice = NoticeFromMessage(msg->message, msg->wParam);
    // Under a simulated platform (ORVANE_PLATFORM=sim:...) the real
    // messages are not the program's notices.
    auto* source = dynamic_cast<Win32NoticeSource*>(&ProcessPlatform().Notices());
    if (notice && source)
        source->Deliver(*notice);
    return false;
}

void EnsureNativeWindow(QWidget& window)
{
    (void)window.winId();
}

}  // namespace orvane::platform::win32

#endif
