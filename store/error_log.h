// The common error report and the start-up check of the monthly system log.
#pragma once

#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/error.h"
#include "core/presenter.h"

namespace omb {

inline constexpr const char* kErrorLogFileName = "Error_Log.TXT";

// Shows every report as a critical box titled with the location text and
// then appends one line to "Error_Log.TXT" in the system log folder:
//   yyyy/mm/dd hh:nn:ss <location> <detail>
// in CP932 with CR LF.  The stamp is taken when the box has been closed.  A
// line that cannot be written is dropped silently.
class ErrorLog final : public ErrorSink {
 public:
  ErrorLog(Presenter& presenter, const Clock& clock) : presenter_(presenter), clock_(clock) {}

  // The system log folder, without a trailing separator.
  void setFolder(std::string folder) { folder_ = std::move(folder); }
  const std::string& folder() const { return folder_; }
  std::string filePath() const { return folder_ + "/" + kErrorLogFileName; }

  void subPutErrorLog(const std::string& detail, const std::string& location) override;
  // One box that lists them all (the first 30), then a line each.
  void subPutErrorLogs(const std::vector<Report>& reports) override;

 private:
  Presenter& presenter_;
  const Clock& clock_;
  std::string folder_;
};

// Appends bytes to a file, creating it when absent; false when it could not.
bool appendToFile(const std::string& path, std::string_view bytes);

// "SysLog_mm.txt" for the month of `now`.
std::string sysLogFileName(const DateTime& now);

// Deletes last year's monthly system log: when the file of the current month
// exists and the first four characters of its second line are not the
// current year.  Any failure beeps and is reported under
// "mdlFileAccess.subSysLogCheck()  Err:<number>".
void subSysLogCheck(const std::string& folder, const Clock& clock, Presenter& presenter,
                    ErrorSink& errors);

// Splits a full path at its last separator: the folder keeps the separator,
// the name is the rest.  Both "\" (paths written on Windows, inside old
// projects) and "/" separate.  No separator: empty folder, whole text as name.
struct FolderAndName {
  std::string folder;
  std::string name;
};
FolderAndName subGetFolda_Path(std::string_view fullPath);

}  // namespace omb
