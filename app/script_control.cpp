#include "app/script_control.h"

#include <filesystem>

#include "app/control_commands.h"
#include "core/atomic_file.h"

namespace omb {

namespace {

std::string statusAnswer(const ScriptHost& host) {
  const ScriptStatus s = host.status();
  return std::string("{\"ok\":true,\"script\":{\"running\":") + (s.running ? "true" : "false") +
         ",\"file\":" + jsonQuoted(s.file) + ",\"handlers\":" + std::to_string(s.handlers) +
         ",\"timers\":" + std::to_string(s.timers) + ",\"errors\":" + std::to_string(s.errors) +
         ",\"last_error\":" + jsonQuoted(s.lastError) + "}}";
}

}  // namespace

std::string scriptControl(ScriptHost& host, const std::vector<std::string_view>& words, std::string_view rest) {
  static const std::string kUsage = "usage: script load FILE, script stop or script status";
  if (words.size() < 2) return controlError(kUsage);
  const std::string_view what = words[1];
  if (what == "load" && !rest.empty()) {
    const std::string path(rest);
    std::string text;
    int error = 0;
    if (!readWholeFile(path, text, error)) return controlError("cannot read " + path + ": " + readFailureText(error));
    if (const auto failed = host.load(text, std::filesystem::path(path).filename().string()))
      return controlError(failed->display());
    return statusAnswer(host);
  }
  if (words.size() != 2) return controlError(kUsage);
  if (what == "stop") {
    host.stop();
    return statusAnswer(host);
  }
  if (what == "status") return statusAnswer(host);
  return controlError(kUsage);
}

}  // namespace omb
