#include "platform/sim/SimParts.h"

namespace orvane::platform::sim {

namespace {
constexpr int kPollMs = 100;
}

void SimNotices::Subscribe(std::function<void(const SystemNotice&)> sink)
{
    auto subscription = std::make_unique<Subscription>();
    subscription->sink = std::move(sink);
    // Only notices posted after the subscription are delivered.
    subscription->lastSeq = m_store->Snapshot()->noticeSeq;
    // The timer lives on the subscribing thread, so the sink is called there.
    subscription->timer = std::make_unique<QTimer>();
    subscription->timer->setInterval(kPollMs);
    Subscription* raw = subscription.get();
    QObject::connect(subscription->timer.get(), &QTimer::timeout, [this, raw] { Poll(*raw); });
    subscription->timer->start();
    m_subscriptions.push_back(std::move(subscription));
}

void SimNotices::Poll(Subscription& subscription)
{
    const auto state = m_store->Snapshot();
    for (const auto& [seq, notice] : state->notices) {
        if (seq <= subscription.lastSeq)
            continue;
        subscription.lastSeq = seq;
        subscription.sink(notice);
    }
}

}  // namespace orvane::platform::sim
