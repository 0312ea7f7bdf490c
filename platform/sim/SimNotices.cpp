#include <QFileInfo>

#include "platform/sim/SimParts.h"

namespace orvane::platform::sim {

namespace {
// How often a state file that cannot be watched is looked at.
constexpr int kPollMs = 100;
}  // namespace

void SimNotices::Subscribe(std::function<void(const SystemNotice&)> sink)
{
    auto subscription = std::make_unique<Subscription>();
    subscription->sink = std::move(sink);
    // Only notices posted after the subscription are delivered.
    subscription->lastSeq = m_store->Snapshot()->noticeSeq;
    Subscription* raw = subscription.get();
    m_subscriptions.push_back(std::move(subscription));
    Watch(*raw);
}

void SimNotices::Watch(Subscription& subscription)
{
    // The watcher lives on the subscribing thread, so the sink is called
    // there. Every change replaces the file by a rename: the folder tells of
    // the new file; the file itself tells of writes in place (an editor),
    // and is watched again after each replacement.
    const QString file = QString::fromStdString(m_store->Path());
    const QString folder = QFileInfo(file).absolutePath();
    subscription.watcher = std::make_unique<QFileSystemWatcher>();
    QFileSystemWatcher* watcher = subscription.watcher.get();
    const bool watched = watcher->addPath(folder);
    watcher->addPath(file);
    Subscription* raw = &subscription;
    const auto changed = [this, raw, watcher, file, folder] {
        if (!watcher->files().contains(file))
            watcher->addPath(file);
        // A folder that went away took its watch along, and one made again
        // in its place would never be heard of.
        if (!watcher->directories().contains(folder) && !watcher->addPath(folder))
            PollEvery(*raw);
        Poll(*raw);
    };
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, changed);
    QObject::connect(watcher, &QFileSystemWatcher::fileChanged, changed);
    if (!watched)
        PollEvery(subscription);
}

void SimNotices::PollEvery(Subscription& subscription)
{
    // Where the state cannot be watched (no inotify watches left, say): look
    // every 100 ms.
    if (subscription.timer)
        return;
    subscription.timer = std::make_unique<QTimer>();
    subscription.timer->setInterval(kPollMs);
    Subscription* raw = &subscription;
    QObject::connect(subscription.timer.get(), &QTimer::timeout, [this, raw] { Poll(*raw); });
    subscription.timer->start();
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
