// The three states of a check box: the settings file and project files
// store them, and the greyed state means "neither" (for the sum check: no
// sum).
#pragma once

namespace omb {

enum class CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };

}  // namespace omb
