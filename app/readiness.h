// Telling a script or a supervisor that the serve mode is ready: the line is
// open and the control socket, when asked for, listens.
#pragma once

#include <string>

namespace omb {

// True when `fd` is an open file descriptor (checked before anything is
// opened, so a wrong number is a bad option, not a silent wait).
bool readyFdUsable(int fd);

// Writes `line` whole to `fd` and closes it, so a reader waiting on it sees
// the line and then the end.  False when it could not be written (its
// reader gone); serving goes on regardless.
bool tellReady(int fd, const std::string& line);

// When the environment names a notification socket (NOTIFY_SOCKET, as
// systemd sets it for Type=notify), sends `state` ("READY=1", "STOPPING=1")
// to it; otherwise does nothing.
void notifySupervisor(const std::string& state);

}  // namespace omb
