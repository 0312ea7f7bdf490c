#include "platform/linux/ddc/DdcCallThread.h"

#include <thread>

namespace orvane::platform::linuxplatform {

DdcCallThread::DdcCallThread() : m_shared(std::make_shared<Shared>())
{
    // Detached: a call may outlive this object (a monitor that never
    // answers), and the thread keeps what it shares alive by itself.
    std::thread([shared = m_shared] {
        std::unique_lock<std::mutex> lock(shared->lock);
        while (true) {
            shared->changed.wait(lock, [&] { return shared->call || shared->stop; });
            if (!shared->call)
                return;
            const std::function<void()>* call = shared->call;
            lock.unlock();
            (*call)();
            lock.lock();
            shared->call = nullptr;
            shared->done = true;
            shared->changed.notify_all();
        }
    }).detach();
}

DdcCallThread::~DdcCallThread()
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    m_shared->stop = true;
    m_shared->changed.notify_all();
}

void DdcCallThread::Run(const std::function<void()>& call)
{
    std::unique_lock<std::mutex> lock(m_shared->lock);
    m_shared->done = false;
    m_shared->call = &call;
    m_shared->changed.notify_all();
    m_shared->changed.wait(lock, [&] { return m_shared->done; });
}

}  // namespace orvane::platform::linuxplatform
