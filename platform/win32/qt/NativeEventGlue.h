// The Qt side of the Windows notices: MainWindow::nativeEvent hands every
// native message here, and the four watched window messages reach the
// platform's notice subscriber. Windows builds only.
#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

class QByteArray;
class QWidget;

namespace orvane::platform::win32 {

// For MainWindow::nativeEvent(eventType, message, result): delivers
// WM_POWERBROADCAST, WM_SETTINGCHANGE, WM_DISPLAYCHANGE and WM_DEVICECHANGE
// of event type "windows_generic_MSG" to the process platform's notice
// sink, synchronously. Always returns false, so Qt handles every message as
// usual; the result is never written.
bool ForwardNativeEvent(const QByteArray& eventType, void* message);

// The main window is never shown, so Qt would never create its native
// window and no message would arrive. Creates it without showing it; a
// hidden top-level window still receives the broadcast messages above.
void EnsureNativeWindow(QWidget& window);

}  // namespace orvane::platform::win32

#endif
