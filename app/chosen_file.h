// A file the user chooses to read in a tool window: the file chooser, then
// the whole file, a file that cannot be read told in a box with the
// system's reason.
#pragma once

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/presenter.h"
#include "core/translate.h"

namespace omb {

struct ChosenFile {
  std::string path, text;
};

// Nothing when the chooser is cancelled or the file cannot be read (then
// told in a box titled `boxTitle`).
inline std::optional<ChosenFile> chooseAndRead(Presenter& presenter, const std::string& chooserTitle,
                                               const std::vector<std::string>& filters, const std::string& extension,
                                               const std::string& boxTitle) {
  const auto path = presenter.openFileName(chooserTitle, filters, extension);
  if (!path) return std::nullopt;
  ChosenFile file{*path, {}};
  int error = 0;
  if (!readWholeFile(file.path, file.text, error)) {
    presenter.message(file.path + omb::trs("ChosenFile", " を読み込めません: ") + std::strerror(error), boxTitle, MsgIcon::Exclamation,
                      MsgButtons::Ok);
    return std::nullopt;
  }
  return file;
}

}  // namespace omb
