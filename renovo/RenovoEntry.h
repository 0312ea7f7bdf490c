// The updater's program entry, kept out of main() so that it can be linked
// into tests.
#pragma once

namespace orvane {

// Arguments: the program to start again, the site's base URL (ending with
// "/") and the manifest name. Returns the exit code, 0.
int RenovoMain(int argc, char* argv[]);

}  // namespace orvane
