// CPU time of starting and ending one VCP worker thread (an empty run()):
// as Qt starts a thread, with an event dispatcher built and torn down around
// it, and as the VCP runners start theirs (StartCallOnlyThread).
#include <QCoreApplication>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>
#include <functional>

#include "orvane/monitor/CallOnlyThread.h"

namespace {

class EmptyWorker : public QThread {
protected:
    void run() override {}
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
    constexpr int kStarts = 5000;
    EmptyWorker worker;
    const double before = ProcessCpuMicroseconds();
    for (int i = 0; i < kStarts; ++i) {
        start(worker);
        worker.wait();
    }
    return (ProcessCpuMicroseconds() - before) / kStarts;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double plain = MicrosecondsPerStart([](QThread& thread) { thread.start(QThread::InheritPriority); });
    const double callOnly = MicrosecondsPerStart([](QThread& thread) { orvane::StartCallOnlyThread(thread); });
    std::printf("CPU per worker start and end: %.1f us as Qt starts a thread, %.1f us with StartCallOnlyThread\n",
                plain, callOnly);
    return 0;
}
