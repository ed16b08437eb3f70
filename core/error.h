// Failure reporting shared by every layer.
//
// An unexpected failure inside a procedure is raised as a RuntimeError
// carrying a number and a description.  The procedure runs its body through
// `guarded`, which catches the failure, reports it exactly once through the
// common error report (message box + one line in the error log) with the
// procedure's label and the last section it entered, and returns the
// procedure's neutral result.  Expected conditions (bad input, a missing
// file, a busy port) are not RuntimeErrors: they get their own messages.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace omb {

// Error numbers used by this program, with the run-time descriptions shown to
// the user.  The numbers follow the classic BASIC run-time numbering so that
// old error logs and new ones read alike.
enum ErrNo : int {
  kErrInvalidCall = 5,
  kErrOverflow = 6,
  kErrOutOfMemory = 7,
  kErrSubscript = 9,
  kErrDivisionByZero = 11,
  kErrTypeMismatch = 13,
  kErrBadFileName = 52,
  kErrFileNotFound = 53,
  kErrFileAlreadyOpen = 55,
  kErrDeviceIO = 57,
  kErrDiskFull = 61,
  kErrInputPastEnd = 62,
  kErrPermissionDenied = 70,
  kErrPathFileAccess = 75,
  kErrPathNotFound = 76,
  kErrCancel = 32755,
};

// Japanese description of an error number ("アプリケーション定義..." for
// numbers without one of their own).
std::string errorDescription(int number);
// The error number of a failed system call (errno) in the numbering above.
int errorFromErrno(int e);

class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(int number) : RuntimeError(number, errorDescription(number)) {}
  RuntimeError(int number, std::string description)
      : number_(number), description_(std::move(description)) {}
  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  std::string description_;
};

// The common error report: shows the box and appends the error-log line.
// Implementations never throw.
class ErrorSink {
 public:
  struct Report {
    std::string detail, location;
  };
  virtual ~ErrorSink() = default;
  virtual void subPutErrorLog(const std::string& detail, const std::string& location) = 0;
  // Several failures of one procedure found together (a settings file with
  // many bad values): each is one report, but the person at the screen
  // may be told of them at once.
  virtual void subPutErrorLogs(const std::vector<Report>& reports) {
    for (const Report& r : reports) subPutErrorLog(r.detail, r.location);
  }
};

// An ErrorSink that drops every report; for code paths and tests that have
// nothing to report to.
class NullErrorSink final : public ErrorSink {
 public:
  void subPutErrorLog(const std::string&, const std::string&) override {}
};

// The trap of one procedure: its fixed label ("module.procedure() ") and the
// number of the last numbered section it entered (0 before the first).
class ErrorTrap {
 public:
  // `label` is a literal (or outlives the trap): traps are set on every
  // request, so they must not allocate.
  ErrorTrap(ErrorSink& sink, std::string_view label) : sink_(sink), label_(label) {}
  void section(int number) noexcept { section_ = number; }
  int currentSection() const noexcept { return section_; }
  std::string_view label() const noexcept { return label_; }
  ErrorSink& sink() const noexcept { return sink_; }

  // Location text: label followed by the error number, e.g.
  // "frmMain.subFile_put() 53".
  std::string locationText(int number) const { return std::string(label_) + std::to_string(number); }
  // Detail text: "Line <section>:<description>".
  std::string detailText(const std::string& description) const {
    return "Line " + std::to_string(section_) + ":" + description;
  }
  // Reports a failure once through the common error report.
  void report(int number, const std::string& description) const {
    sink_.subPutErrorLog(detailText(description), locationText(number));
  }
  void report(const RuntimeError& e) const { report(e.number(), e.description()); }

 private:
  ErrorSink& sink_;
  std::string_view label_;
  int section_ = 0;
};

// Runs `body(trap)` under the procedure's trap.  A RuntimeError (or any other
// standard exception, reported as an invalid procedure call) is reported once
// and `neutral` is returned; resources the body holds are released by their
// destructors during unwinding.
template <class R, class Body>
R guarded(ErrorSink& sink, const char* label, R neutral, Body&& body) {
  ErrorTrap trap(sink, label);
  try {
    return std::forward<Body>(body)(trap);
  } catch (const RuntimeError& e) {
    trap.report(e);
  } catch (const std::bad_alloc&) {
    trap.report(kErrOutOfMemory, errorDescription(kErrOutOfMemory));
  } catch (const std::exception&) {
    trap.report(kErrInvalidCall, errorDescription(kErrInvalidCall));
  }
  return neutral;
}

// The same for procedures that return nothing.
template <class Body>
void guarded(ErrorSink& sink, const char* label, Body&& body) {
  guarded<int>(sink, label, 0, [&](ErrorTrap& trap) {
    std::forward<Body>(body)(trap);
    return 0;
  });
}

}  // namespace omb
