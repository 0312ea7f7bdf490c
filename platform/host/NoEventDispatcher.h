// An event dispatcher for a thread that never turns an event loop. Qt gives
// every thread it starts a dispatcher of its own (a GLib main context and its
// wake-up descriptor on Linux, a hidden message window on Windows) and tears
// it down when the thread ends, which for a thread started for one blocking
// call is most of what starting it costs. Nothing is ever delivered in such
// a thread, whichever dispatcher holds its timers, notifiers and posted
// events: this one takes and forgets them. Each OS folder completes it with
// the calls its Qt adds (host/NoEventDispatcher.cpp).
#pragma once

#include <QAbstractEventDispatcher>

#include <memory>

namespace orvane::platform::host {

class NoEventDispatcherBase : public QAbstractEventDispatcher {
public:
    bool processEvents(QEventLoop::ProcessEventsFlags) override { return false; }
    bool hasPendingEvents() override { return false; }
    void registerSocketNotifier(QSocketNotifier*) override {}
    void unregisterSocketNotifier(QSocketNotifier*) override {}
    void registerTimer(int, int, Qt::TimerType, QObject*) override {}
    bool unregisterTimer(int) override { return false; }
    bool unregisterTimers(QObject*) override { return false; }
    QList<TimerInfo> registeredTimers(QObject*) const override { return {}; }
    int remainingTime(int) override { return -1; }
    void wakeUp() override {}
    void interrupt() override {}
    void flush() override {}
};

// For QThread::setEventDispatcher, which takes it over.
std::unique_ptr<QAbstractEventDispatcher> NewNoEventDispatcher();

}  // namespace orvane::platform::host
