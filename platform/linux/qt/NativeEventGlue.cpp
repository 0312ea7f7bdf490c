#include "platform/host/NativeEventGlue.h"

namespace orvane::platform {

bool ForwardNativeEvent(const QByteArray&, void*)
{
    return false;
}

void EnsureNativeWindow(QWidget&) {}

}  // namespace orvane::platform
