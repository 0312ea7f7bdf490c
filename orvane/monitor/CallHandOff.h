// How a VCP worker's thread takes its calls. The thread is started with the
// first call and then waits, without a timer or a wake-up of its own, for the
// next one: a polling tick makes several reads, and starting and ending an
// OS thread for each was most of what the idle program cost (bench/monitor/
// WorkerStartCost). Each call is still made alone on the one thread of its
// worker, and the caller still watches it with its time limit; a worker the
// caller gives up on is retired and its thread ends once its call returns.
#pragma once

#include <QThread>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace orvane {

class CallHandOff {
public:
    // Caller's side. Post hands thread (the worker that serves this hand-off)
    // one call and starts it if it is not running yet.
    void Post(QThread& thread);
    // From Post until the call has returned.
    bool InFlight() const;
    // Returns when the call in flight returns or after ms; InFlight tells which.
    void WaitForCall(unsigned long ms);
    // The thread ends after the call in flight, or at once when idle.
    void Retire();

    // Worker's side: run() serves call for every Post until retired.
    void Serve(const std::function<void()>& call);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_posted = false;
    bool m_inFlight = false;
    bool m_retired = false;
};

}  // namespace orvane
