#include "platform/host/NoEventDispatcher.h"

namespace orvane::platform::host {

std::unique_ptr<QAbstractEventDispatcher> NewNoEventDispatcher()
{
    return std::make_unique<NoEventDispatcherBase>();
}

}  // namespace orvane::platform::host
