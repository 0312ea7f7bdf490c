// A long-lived thread that makes the library calls of one monitor. libddcutil
// keeps data for every thread that ever calls it and never lets it go, and
// the program's VCP workers are replaced whenever a read is given up on, so
// calls made straight from them would grow the process with every monitor
// that stops answering. The callers still wait on threads of their own and
// may abandon them; the call itself always runs here, to its end.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace orvane::platform::linuxplatform {

class DdcCallThread {
public:
    DdcCallThread();
    // Lets the thread end once its current call is done; never waits for it.
    ~DdcCallThread();
    DdcCallThread(const DdcCallThread&) = delete;
    DdcCallThread& operator=(const DdcCallThread&) = delete;

    // Runs call on the thread and returns when it is done. One call at a
    // time: the caller serialises.
    void Run(const std::function<void()>& call);

private:
    struct Shared {
        std::mutex lock;
        std::condition_variable changed;
        const std::function<void()>* call = nullptr;
        bool done = false;
        bool stop = false;
    };
    std::shared_ptr<Shared> m_shared;
};

}  // namespace orvane::platform::linuxplatform
