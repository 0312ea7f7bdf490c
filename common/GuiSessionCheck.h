// Inline on purpose: only the programs' entries call it, and they link the
// process's platform choice that answers it.
#pragma once

#include <cstdio>
#include <string>

#include "platform/Platform.h"

namespace orvane {

// True when the program must end before its GUI starts because the session
// has no display to open (the GUI library would abort); the reason has then
// been written to standard error.
inline bool LacksGuiSession(int argc, char** argv, const char* program)
{
    const std::string problem = platform::GuiSessionProblem(argc, argv);
    if (problem.empty())
        return false;
    std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
    return true;
}

}  // namespace orvane
