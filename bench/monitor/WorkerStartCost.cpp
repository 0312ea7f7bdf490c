// CPU time of one VCP worker call that does nothing: with a thread started
// and ended for the call (as Qt starts a thread, with an event dispatcher
// built and torn down around it, and without one), and handed to a worker
// whose thread waits between calls (CallHandOff, as the runners do).
#include <QCoreApplication>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>
#include <functional>

#include "orvane/monitor/CallHandOff.h"
#include "platform/host/NoEventDispatcher.h"

namespace {

constexpr int kCalls = 5000;

class EmptyWorker : public QThread {
protected:
    void run() override {}
};

class HandOffWorker : public QThread {
public:
    orvane::CallHandOff handOff;

protected:
    void run() override
    {
        handOff.Serve([] {});
    }
};

double ProcessCpuMicroseconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto micros = [](const timeval& t) { return double(t.tv_sec) * 1e6 + double(t.tv_usec); };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}

double MicrosecondsPerStart(const std::function<void(QThread&)>& start)
{
    EmptyWorker worker;
    const double before = ProcessCpuMicroseconds();
    for (int i = 0; i < kCalls; ++i) {
        start(worker);
        worker.wait();
    }
    return (ProcessCpuMicroseconds() - before) / kCalls;
}

double MicrosecondsPerHandOff()
{
    HandOffWorker worker;
    const double before = ProcessCpuMicroseconds();
    for (int i = 0; i < kCalls; ++i) {
        worker.handOff.Post(worker);
        while (worker.handOff.InFlight())
            worker.handOff.WaitForCall(100);
    }
    const double perCall = (ProcessCpuMicroseconds() - before) / kCalls;
    worker.handOff.Retire();
    worker.wait();
    return perCall;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double plain = MicrosecondsPerStart([](QThread& thread) { thread.start(QThread::InheritPriority); });
    const double noDispatcher = MicrosecondsPerStart([](QThread& thread) {
        if (!thread.eventDispatcher())
            thread.setEventDispatcher(orvane::platform::host::NewNoEventDispatcher().release());
        thread.start(QThread::InheritPriority);
    });
    const double handOff = MicrosecondsPerHandOff();
    std::printf("CPU per worker call: %.1f us with a thread started as Qt starts one, %.1f us without its "
                "event dispatcher, %.1f us handed to a waiting thread\n",
                plain, noDispatcher, handOff);
    return 0;
}
