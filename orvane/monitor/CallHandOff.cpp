#include "orvane/monitor/CallHandOff.h"

#include <chrono>

#include "platform/host/NoEventDispatcher.h"

namespace orvane {

void CallHandOff::Post(QThread& thread)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_posted = true;
        m_inFlight = true;
    }
    m_changed.notify_all();
    if (thread.isRunning())
        return;
    // The thread never turns an event loop; Qt would otherwise build one
    // (a GLib main context, a hidden window on Windows) for it.
    if (!thread.eventDispatcher())
        thread.setEventDispatcher(platform::host::NewNoEventDispatcher().release());
    thread.start(QThread::InheritPriority);
}

bool CallHandOff::InFlight() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_inFlight;
}

void CallHandOff::WaitForCall(unsigned long ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_inFlight; });
}

void CallHandOff::Retire()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_retired = true;
    }
    m_changed.notify_all();
}

void CallHandOff::Serve(const std::function<void()>& call)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_posted || m_retired; });
        if (!m_posted)
            return;
        m_posted = false;
        lock.unlock();
        call();
        lock.lock();
        m_inFlight = false;
        m_changed.notify_all();
    }
}

}  // namespace orvane
