// The signals that ask a run without a window to stop (Ctrl+C, kill, a
// closed terminal).  A handler may do next to nothing, so each signal only
// writes a byte to a socket that the event loop watches; the byte stays
// there, so a signal that came before anyone watched is still seen.
#pragma once

#include <initializer_list>

namespace omb::stopSignals {

// Catches the signals `which` from now on; the socket to watch for reading, or -1
// when it could not be made (the signals then keep their defaults).
int catchSignals(std::initializer_list<int> which);
// True once one of them has come.
bool arrived();

}  // namespace omb::stopSignals
