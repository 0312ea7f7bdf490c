// Keeps whatever a library writes to the process's standard output away from
// it for the lifetime of the object and hands the text over afterwards.
// Standard output is redirected for the whole process meanwhile, so it is
// used only around short calls on the thread that owns start-up.
#pragma once

#include <string>

namespace orvane::platform::linuxplatform {

class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Ends the capture (if still running) and returns the captured text.
    std::string Finish();

private:
    int m_savedStdout = -1;
    int m_captureFd = -1;
    std::string m_text;
};

}  // namespace orvane::platform::linuxplatform
