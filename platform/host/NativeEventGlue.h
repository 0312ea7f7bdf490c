// The platform's side of the Qt main window: MainWindow::nativeEvent hands
// every native message here, and the constructor asks for a native window.
// Each OS folder implements it (qt/NativeEventGlue.cpp): on Windows the four
// watched window messages reach the platform's notice subscriber; on Linux
// the notices come through the platform's notice source directly and both
// do nothing.
#pragma once

class QByteArray;
class QWidget;

namespace orvane::platform {

// For MainWindow::nativeEvent(eventType, message, result): on Windows
// delivers WM_POWERBROADCAST, WM_SETTINGCHANGE, WM_DISPLAYCHANGE and
// WM_DEVICECHANGE of event type "windows_generic_MSG" to the process
// platform's notice sink, synchronously. Always returns false, so Qt handles
// every message as usual; the result is never written.
bool ForwardNativeEvent(const QByteArray& eventType, void* message);

// The main window is never shown, so Qt would never create its native
// window and on Windows no message would arrive. Creates it without showing
// it; a hidden top-level window still receives the broadcast messages above.
void EnsureNativeWindow(QWidget& window);

}  // namespace orvane::platform
