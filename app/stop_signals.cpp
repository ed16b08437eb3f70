#include "app/stop_signals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace omb::stopSignals {

namespace {
int ends[2] = {-1, -1};  // written by the handler, read by the loop

void onSignal(int) {
  const char c = 1;
  [[maybe_unused]] ssize_t n = ::write(ends[0], &c, 1);
}
}  // namespace

int catchSignals(std::initializer_list<int> which) {
  if (ends[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) {
    ends[0] = ends[1] = -1;
    return -1;
  }
  struct sigaction sa{};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  for (int s : which) ::sigaction(s, &sa, nullptr);
  return ends[1];
}

bool arrived() {
  char c = 0;
  return ends[1] >= 0 && ::recv(ends[1], &c, 1, MSG_DONTWAIT | MSG_PEEK) == 1;
}

}  // namespace omb::stopSignals
