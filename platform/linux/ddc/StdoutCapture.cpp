#include "platform/linux/ddc/StdoutCapture.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

namespace orvane::platform::linuxplatform {

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvane-stdout-XXXXXX";
    m_captureFd = ::mkstemp(pattern.data());
    if (m_captureFd >= 0)
        ::unlink(pattern.c_str());
    else
        m_captureFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (m_captureFd < 0)
        return;
    m_savedStdout = ::dup(STDOUT_FILENO);
    if (m_savedStdout >= 0 && ::dup2(m_captureFd, STDOUT_FILENO) < 0) {
        ::close(m_savedStdout);
        m_savedStdout = -1;
    }
}

std::string StdoutCapture::Finish()
{
    if (m_savedStdout >= 0) {
        std::fflush(stdout);
        ::dup2(m_savedStdout, STDOUT_FILENO);
        ::close(m_savedStdout);
        m_savedStdout = -1;
        if (::lseek(m_captureFd, 0, SEEK_SET) == 0) {
            char buffer[4096];
            ssize_t got;
            while ((got = ::read(m_captureFd, buffer, sizeof(buffer))) > 0 && m_text.size() < 65536)
                m_text.append(buffer, static_cast<std::size_t>(got));
        }
    }
    if (m_captureFd >= 0) {
        ::close(m_captureFd);
        m_captureFd = -1;
    }
    return m_text;
}

StdoutCapture::~StdoutCapture()
{
    Finish();
}

}  // namespace orvane::platform::linuxplatform
