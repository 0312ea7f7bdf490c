// Starts a VCP worker: a QThread whose run() makes one blocking monitor call
// and never turns an event loop. The workers are started several times per
// polling tick, so they get a dispatcher that holds nothing instead of the
// one Qt would build and tear down around each call (platform/host/
// NoEventDispatcher.h); while the program sits idle that was most of what a
// read cost.
#pragma once

#include <QThread>

#include "platform/host/NoEventDispatcher.h"

namespace orvane {

inline void StartCallOnlyThread(QThread& thread)
{
    // A thread that ended has lost its dispatcher (Qt deletes it at the end);
    // one still set is kept.
    if (!thread.eventDispatcher())
        thread.setEventDispatcher(platform::host::NewNoEventDispatcher().release());
    thread.start(QThread::InheritPriority);
}

}  // namespace orvane
