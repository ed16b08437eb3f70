// The control channel's script commands, on the program's script host:
//   script load FILE   FILE (UTF-8) replaces the script running; its first
//                      run's error is the answer's error
//   script stop        nothing of the script runs any more
//   script status      {"ok":true,"script":{"running":true,"file":"NAME",
//                      "handlers":N,"timers":N,"errors":N,"last_error":"…"}}
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/script_host.h"

namespace omb {

// The answer to "script WORDS…"; `rest` is what follows "script load" (a
// path may hold blanks).
std::string scriptControl(ScriptHost& host, const std::vector<std::string_view>& words, std::string_view rest);

}  // namespace omb
