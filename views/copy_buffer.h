// The copy buffer of Ctrl+C / Ctrl+V, one for all views: the word values and
// the comments of the rows last copied.  Before the first copy there is
// none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace omb {

struct CopyBuffer {
  bool filled = false;
  std::vector<std::int16_t> values;
  std::vector<std::string> comments;
};

}  // namespace omb
