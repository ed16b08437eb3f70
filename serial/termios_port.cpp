#include "serial/termios_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QTimer>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "core/error.h"
#include "core/translate.h"

namespace omb {

namespace {

// Error numbers of the port object, as a comm control reports them.
constexpr int kErrPortAbsent = 8002;
constexpr int kErrPortBusy = 8005;
constexpr int kErrNotOpen = 8012;
constexpr int kErrBadSettings = 380;

[[noreturn]] void fail(int number, const std::string& description) { throw RuntimeError(number, description); }

speed_t speedOf(int baud) {
  switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B9600;  // 14400 has no termios rate; the nearest standard one below
  }
}

}  // namespace

TermiosPort::~TermiosPort() { closeAll(); }

std::string TermiosPort::resolveTarget() const { return target_.empty() ? map_.target(number_) : target_; }

void TermiosPort::setLineConfig(const LineConfig& config) {
  // The same rules as the text form: a rate, data length or stop bit the
  // line does not know is refused before anything changes.
  const auto known = parseLineSettings(lineSettingsText(config));
  if (!known) fail(kErrBadSettings, omb::trs("Transport", "プロパティの値が不正です。"));
  config_ = config;
  if (config_.inBufferSize <= 0) config_.inBufferSize = 1024;
  if (config_.outBufferSize <= 0) config_.outBufferSize = 512;
  if (isOpen()) applyLine();
}

void TermiosPort::open() {
  if (isOpen()) fail(kErrPortBusy, omb::trs("Transport", "ポートは既に開かれています。"));
  const std::string target = resolveTarget();
  if (target.empty()) fail(kErrPortAbsent, omb::trs("Transport", "ポート番号が不正です。"));
  try {
    if (isVirtualTarget(target)) openVirtual(virtualPath(target));
    else openDevice(target);
    applyLine();
  } catch (...) {
    closeAll();
    throw;
  }
  out_.clear();
  txFull_ = false;
  markState_ = 0;
  lost_ = false;
  lineEvents_.clear();
  countersValid_ = false;
  checkCounters();  // the baseline
  readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onReadable(); });
  writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
  writeNotifier_->setEnabled(false);
  QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onWritable(); });
}

void TermiosPort::openDevice(const std::string& path) {
  virtual_ = false;
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    if (errno == EBUSY) fail(kErrPortBusy, omb::trs("Transport", "ポートは使用中です。"));
    fail(kErrPortAbsent, omb::trs("Transport", "ポートが見つかりません。"));
  }
  if (!::isatty(fd_)) fail(kErrPortAbsent, omb::trs("Transport", "シリアルポートではありません。"));
  // Another program's hold on the port: its lock, or its exclusive mode.
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) fail(kErrPortBusy, omb::trs("Transport", "ポートは使用中です。"));
  termios probe{};
  if (::tcgetattr(fd_, &probe) != 0) fail(kErrPortAbsent, omb::trs("Transport", "ポートが見つかりません。"));
  ::ioctl(fd_, TIOCEXCL);
  peerPath_ = path;
}

void TermiosPort::openVirtual(const std::string& path) {
  virtual_ = true;
  if (path.empty()) fail(kErrPortAbsent, omb::trs("Transport", "仮想ポートのパスがありません。"));
  // Two programs serving the same virtual port would steal each other's
  // link: the lock beside the path makes the second one find it busy.
  lockPath_ = path + ".lock";
  lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) fail(kErrPortAbsent, omb::trs("Transport", "仮想ポートを作成できません。"));
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(lockFd_);
    lockFd_ = -1;
    lockPath_.clear();
    fail(kErrPortBusy, omb::trs("Transport", "ポートは使用中です。"));
  }
  struct stat st{};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) fail(kErrPortBusy, omb::trs("Transport", "仮想ポートのパスは別のファイルが使っています。"));
    ::unlink(path.c_str());  // left behind by an earlier run that did not end cleanly
  }
  fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0 || ::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0) fail(kErrPortAbsent, omb::trs("Transport", "仮想ポートを作成できません。"));
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
  char name[PATH_MAX];
  if (::ptsname_r(fd_, name, sizeof name) != 0) fail(kErrPortAbsent, omb::trs("Transport", "仮想ポートを作成できません。"));
  slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveFd_ < 0) fail(kErrPortAbsent, omb::trs("Transport", "仮想ポートを作成できません。"));
  if (::symlink(name, path.c_str()) != 0) fail(kErrPortAbsent, omb::trs("Transport", "仮想ポートのパスを作成できません。"));
  symlink_ = path;
  peerPath_ = path;
}

void TermiosPort::applyLine() {
  const LineConfig* ls = &config_;
  // A virtual port has no line: its far end only needs to pass every byte
  // through untouched until the PC program sets its own mode.
  const int fd = virtual_ ? slaveFd_ : fd_;
  termios t{};
  if (::tcgetattr(fd, &t) != 0) fail(kErrPortAbsent, omb::trs("Transport", "ポートが見つかりません。"));
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= ls->dataBits == 5 ? CS5 : ls->dataBits == 6 ? CS6 : ls->dataBits == 7 ? CS7 : CS8;
  switch (ls->parity) {
    case Parity::Even: t.c_cflag |= PARENB; break;
    case Parity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case Parity::Mark: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case Parity::Space: t.c_cflag |= PARENB | CMSPAR; break;
    case Parity::None: break;
  }
  if (ls->stopBits == 2) t.c_cflag |= CSTOPB;
  t.c_iflag &= ~(IXON | IXOFF | IXANY | IGNPAR | ISTRIP);
  if (!virtual_) t.c_iflag |= INPCK | PARMRK;  // mark bytes with parity or framing errors
  if (ls->handshake == Handshake::XonXoff || ls->handshake == Handshake::Both) t.c_iflag |= IXON | IXOFF;
  if (ls->handshake == Handshake::RtsCts || ls->handshake == Handshake::Both) t.c_cflag |= CRTSCTS;
  // VMIN 1: a non-blocking read with nothing waiting fails with EAGAIN, so
  // a read of 0 bytes can only mean the line was hung up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, speedOf(ls->baud));
  ::cfsetospeed(&t, speedOf(ls->baud));
  if (::tcsetattr(fd, TCSANOW, &t) != 0) fail(kErrBadSettings, omb::trs("Transport", "プロパティの値が不正です。"));
  // A driver takes what it can and says nothing of the rest: read the
  // settings back and name what did not stick.  (A virtual port has no line
  // to set.)
  unapplied_.clear();
  termios back{};
  if (virtual_ || ::tcgetattr(fd, &back) != 0) return;
  if (::cfgetospeed(&back) != speedOf(ls->baud) || (speedOf(ls->baud) == B9600 && ls->baud != 9600))
    unapplied_.push_back(omb::trs("Transport", "ボーレート ") + std::to_string(ls->baud));
  const tcflag_t sizeWanted = t.c_cflag & CSIZE;
  if ((back.c_cflag & CSIZE) != sizeWanted) unapplied_.push_back(omb::trs("Transport", "データ長 ") + std::to_string(ls->dataBits));
  if ((back.c_cflag & (PARENB | PARODD | CMSPAR)) != (t.c_cflag & (PARENB | PARODD | CMSPAR)))
    unapplied_.push_back(std::string(omb::trs("Transport", "パリティ ")) + parityLetter(ls->parity));
  if ((back.c_cflag & CSTOPB) != (t.c_cflag & CSTOPB)) unapplied_.push_back(omb::trs("Transport", "ストップビット ") + std::to_string(ls->stopBits));
  if ((back.c_cflag & CRTSCTS) != (t.c_cflag & CRTSCTS)) unapplied_.push_back(omb::trs("Transport", "RTS/CTS フロー制御"));
}

void TermiosPort::closeAll() {
  readNotifier_.reset();
  writeNotifier_.reset();
  if (fd_ >= 0) {
    if (!virtual_) {
      ::ioctl(fd_, TIOCNXCL);
      // What a line held back by flow control has not sent is thrown away:
      // closing never waits for it.
      ::tcflush(fd_, TCOFLUSH);
    }
    ::close(fd_);
  }
  if (slaveFd_ >= 0) ::close(slaveFd_);
  fd_ = slaveFd_ = -1;
  if (!symlink_.empty()) ::unlink(symlink_.c_str());
  symlink_.clear();
  if (lockFd_ >= 0) {
    ::unlink(lockPath_.c_str());
    ::close(lockFd_);
  }
  lockFd_ = -1;
  lockPath_.clear();
  out_.clear();
  lineEvents_.clear();
}

// The transmit buffer holds what the driver would not take yet, up to its
// size; a reply is always taken whole or not at all (one that meets an
// empty buffer always goes in).  A reply that finds the buffer full is
// dropped and the condition is raised once; it ends when the buffer has
// run empty, so a reader that stops reading costs one report, not one per
// reply, and nothing is retried until the line can take bytes again.
void TermiosPort::send(std::string_view bytes) {
  if (!isOpen()) fail(kErrNotOpen, omb::trs("Transport", "ポートが開いていません。"));
  if (lost_) fail(57, omb::trs("Transport", "デバイス I/O エラーです。"));
  if (!out_.empty() && out_.size() + bytes.size() > static_cast<std::size_t>(config_.outBufferSize)) {
    ++droppedReplies_;
    if (!txFull_) {
      txFull_ = true;
      lineEvents_.push_back(LineEvent::TxFull);
      raiseLineEvents();
    }
    return;
  }
  out_.append(bytes);
  flushOut();
}

void TermiosPort::discardInput() {
  if (isOpen()) readAll();
}

void TermiosPort::flushOut() {
  while (!out_.empty()) {
    const ssize_t n = ::write(fd_, out_.data(), out_.size());
    if (n > 0) {
      out_.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      writeNotifier_->setEnabled(true);  // the rest goes when the line can take it
      return;
    }
    lost();
    return;
  }
  writeNotifier_->setEnabled(false);
  txFull_ = false;
}

void TermiosPort::onWritable() {
  if (isOpen()) flushOut();
}

// Reads everything the driver holds.  Marked bytes (FFh 00h c) stand for a
// character received with a parity or framing error: it becomes "?" and the
// error is raised as an event; a doubled FFh is one FFh.  More than the
// receive buffer holds in one read is dropped and reported as an overflow.
std::string TermiosPort::readAll() {
  std::string in;
  if (!isOpen() || lost_) return in;
  char buf[4096];
  bool overflow = false;
  for (;;) {
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) {  // hang-up or I/O error: the device has gone
      lost();
      return in;
    }
    for (ssize_t i = 0; i < n; ++i) {
      char c = buf[i];
      if (!virtual_) {
        const auto u = static_cast<unsigned char>(c);
        if (markState_ == 0 && u == 0xFF) { markState_ = 1; continue; }
        if (markState_ == 1) {
          markState_ = u == 0x00 ? 2 : 0;
          if (u == 0x00) continue;  // c follows: a character in error
          // FFh FFh: one data byte FFh (c already holds it)
        } else if (markState_ == 2) {
          markState_ = 0;
          c = '?';
          lineEvents_.push_back(LineEvent::ParityError);  // refined by the counters below
        }
      }
      if (config_.nullDiscard && c == '\0') continue;
      if (static_cast<int>(in.size()) >= config_.inBufferSize) {
        overflow = true;
        continue;
      }
      in.push_back(c);
    }
  }
  if (overflow) lineEvents_.push_back(LineEvent::RxOverflow);
  checkCounters();
  raiseLineEvents();
  return in;
}

void TermiosPort::raiseLineEvents() {
  if (lineEvents_.empty() || eventsPosted_) return;
  eventsPosted_ = true;
  QTimer::singleShot(0, &context_, [this] {
    eventsPosted_ = false;
    while (!lineEvents_.empty() && isOpen()) {
      const LineEvent e = lineEvents_.front();
      lineEvents_.pop_front();
      if (onLineEvent) onLineEvent(e);
    }
  });
}

// The driver's error counters, where the device keeps them, say which line
// error happened; an in-band mark without a counter change stays a parity
// error.
void TermiosPort::checkCounters() {
  if (virtual_ || !isOpen()) return;
  serial_icounter_struct ic{};
  if (::ioctl(fd_, TIOCGICOUNT, &ic) != 0) return;
  const std::uint64_t frame = static_cast<std::uint32_t>(ic.frame), parity = static_cast<std::uint32_t>(ic.parity),
                      overrun = static_cast<std::uint32_t>(ic.overrun),
                      bufOverrun = static_cast<std::uint32_t>(ic.buf_overrun);
  if (countersValid_) {
    bool marked = false;
    for (auto& e : lineEvents_)
      if (e == LineEvent::ParityError) marked = true;
    if (frame > frame_) {
      // Marked characters were framing errors, not parity errors.
      for (auto& e : lineEvents_)
        if (e == LineEvent::ParityError && parity == parity_) e = LineEvent::FramingError;
      if (!marked) lineEvents_.push_back(LineEvent::FramingError);
    }
    if (parity > parity_ && !marked) lineEvents_.push_back(LineEvent::ParityError);
    if (overrun > overrun_) lineEvents_.push_back(LineEvent::Overrun);
    if (bufOverrun > bufOverrun_) lineEvents_.push_back(LineEvent::RxOverflow);
  }
  frame_ = frame;
  parity_ = parity;
  overrun_ = overrun;
  bufOverrun_ = bufOverrun;
  countersValid_ = true;
}

void TermiosPort::onReadable() {
  const std::string in = readAll();
  if (lost_ || !isOpen() || in.empty()) return;
  if (onReceived) onReceived(in);
}

// The device has gone: stop watching it (a hung-up descriptor stays
// readable forever) and say so once.
void TermiosPort::lost() {
  if (lost_) return;
  lost_ = true;
  if (readNotifier_) readNotifier_->setEnabled(false);
  if (writeNotifier_) writeNotifier_->setEnabled(false);
  QTimer::singleShot(0, &context_, [this] {
    if (isOpen() && onLineEvent) onLineEvent(LineEvent::DeviceLost);
  });
}

}  // namespace omb
