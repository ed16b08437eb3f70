// The computer-link settings as the engine reads them: plain values, owned
// by the program's state owner.  Menus, labels and check boxes render and
// change them; captions exist only where the screen and files need them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/check_state.h"

namespace omb {

enum class Format { F1 = 1, F2 = 2, F3 = 3, F4 = 4 };
enum class CpuType { ACPU, AnACPU };

struct LinkConfig {
  Format format = Format::F1;
  CpuType cpu = CpuType::ACPU;
  // Own station and PC number.  They are compared with and echoed into
  // frames as the two characters the user typed, so they stay text.
  std::string station = "00";
  std::string pcNo = "FF";
  // Sum check: only Checked adds a sum; the greyed state comes from old
  // projects and means none.
  CheckState sum = CheckState::Unchecked;
  // Unchecked mode: requests are executed without the grammar checks.
  bool unchecked = false;

  bool sumOn() const { return sum == CheckState::Checked; }
  int formatNumber() const { return static_cast<int>(format); }
  bool operator==(const LinkConfig&) const = default;
};

// A station or PC number the line can carry: two hexadecimal digits in
// capitals, as requests write them ("00", "1F").
bool isStationNumber(std::string_view text);

// "形式１" .. "形式４".
const char* formatCaption(Format format);
std::string formatCaption(int number);
// The format of a caption; empty for any other text.
std::optional<Format> formatOfCaption(std::string_view caption);
std::optional<Format> formatOfNumber(int number);
// "ACPU" / "AnACPU".
const char* cpuName(CpuType cpu);
std::optional<CpuType> cpuOfName(std::string_view name);

}  // namespace omb
