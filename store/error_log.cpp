#include "store/error_log.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/cp932.h"
#include "core/translate.h"

namespace omb {

bool appendToFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

void ErrorLog::subPutErrorLog(const std::string& detail, const std::string& location) {
  try {
    presenter_.message("Error " + detail, location, MsgIcon::Critical, MsgButtons::Ok);
    std::string line = formatDateTime(clock_.now()) + " " + location + " " + detail;
    appendToFile(filePath(), cp932::encode(line) + "\r\n");
  } catch (...) {
    // The report itself must never fail its caller.
  }
}

void ErrorLog::subPutErrorLogs(const std::vector<Report>& reports) {
  if (reports.empty()) return;
  if (reports.size() == 1) {
    subPutErrorLog(reports[0].detail, reports[0].location);
    return;
  }
  try {
    constexpr std::size_t kShown = 30;
    std::string text = "Error (" + std::to_string(reports.size()) + ")";
    for (std::size_t i = 0; i < reports.size() && i < kShown; ++i)
      text += "\r\n" + reports[i].location + " " + reports[i].detail;
    if (reports.size() > kShown)
      text += omb::trs("ErrorLog", "\r\n…ほか ") + std::to_string(reports.size() - kShown) + omb::trs("ErrorLog", " 件（") + kErrorLogFileName + omb::trs("ErrorLog", " に記録しました）");
    presenter_.message(text, reports[0].location, MsgIcon::Critical, MsgButtons::Ok);
    std::string lines;
    const std::string stamp = formatDateTime(clock_.now());
    for (const Report& r : reports) lines += cp932::encode(stamp + " " + r.location + " " + r.detail) + "\r\n";
    appendToFile(filePath(), lines);
  } catch (...) {
  }
}

std::string sysLogFileName(const DateTime& now) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "SysLog_%02d.txt", now.month);
  return buf;
}

void subSysLogCheck(const std::string& folder, const Clock& clock, Presenter& presenter,
                    ErrorSink& errors) {
  ErrorTrap trap(errors, "mdlFileAccess.subSysLogCheck()  Err:");
  try {
    trap.section(1);
    DateTime now = clock.now();
    std::string path = folder + "/" + sysLogFileName(now);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      if (ec) throw RuntimeError(kErrPathFileAccess);
      return;  // no file this month: nothing to check
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RuntimeError(kErrPermissionDenied);
    trap.section(2);
    std::string first, second;
    if (!std::getline(in, first) || !std::getline(in, second)) throw RuntimeError(kErrInputPastEnd);
    in.close();
    trap.section(3);
    char year[8];
    std::snprintf(year, sizeof year, "%04d", now.year);
    if (second.compare(0, 4, year) != 0) {
      if (std::remove(path.c_str()) != 0) throw RuntimeError(kErrPermissionDenied);
    }
  } catch (const RuntimeError& e) {
    presenter.beep();
    trap.report(e);
  }
}

FolderAndName subGetFolda_Path(std::string_view fullPath) {
  std::size_t cut = fullPath.find_last_of("\\/");
  if (cut == std::string_view::npos) return {"", std::string(fullPath)};
  return {std::string(fullPath.substr(0, cut + 1)), std::string(fullPath.substr(cut + 1))};
}

}  // namespace omb
