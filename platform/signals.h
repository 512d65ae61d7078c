#pragma once
// SIGINT, SIGTERM and SIGHUP end the program through its normal close, so the display is put back
// (the self-pipe pattern: the handler only writes a byte; the GUI thread does the work).
#include <functional>

namespace unixsignals {
void onTermination(std::function<void()> handler);
}
