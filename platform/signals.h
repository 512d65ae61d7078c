#pragma once
// SIGINT, SIGTERM and SIGHUP end the program through its normal close, so the display is put back
// (the self-pipe pattern: the handler only writes a byte; the GUI thread does the work).
//
// A second such signal while the first is still being handled (a close that hangs) ends the
// program at once; the display guard then puts the display back.
#include <functional>

namespace unixsignals {
// Also ignores SIGPIPE: a write to a pipe whose reader has gone (the display guard, killed by the
// same signal to the process group) must fail, not end the program with code 141.
void onTermination(std::function<void()> handler);
}
