#include "platform/host/NoEventDispatcher.h"

namespace orvane::platform::host {

namespace {

class NoEventDispatcher final : public NoEventDispatcherBase {
public:
    bool registerEventNotifier(QWinEventNotifier*) override { return false; }
    void unregisterEventNotifier(QWinEventNotifier*) override {}
};

}  // namespace

std::unique_ptr<QAbstractEventDispatcher> NewNoEventDispatcher()
{
    return std::make_unique<NoEventDispatcher>();
}

}  // namespace orvane::platform::host
