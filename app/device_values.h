// Device values as text, so a fixture can be written by hand or by a
// spreadsheet instead of saved as a binary project:
//
//   CSV                       JSON
//   device,value              {"D100":1234,"X1F":1,"D9000":-1}
//   D100,1234
//   X1F,1
//
// A device is written as the control channel writes it (D100, X1F, TN5,
// D9000 for a special register); word values are decimal (-32768 to 65535)
// or hexadecimal with 0x, bit values 0 or 1.  In CSV the header line is
// optional, blank lines and lines starting with # are skipped.  Export
// writes every device that is not 0, kind after kind, words as signed
// decimals.  Import sets the devices it names and leaves the others; it is
// all or nothing: the first bad line is named and nothing is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/device_memory.h"
#include "core/presenter.h"

namespace omb {

enum class ValuesFormat { Csv, Json };
// JSON for a name ending in .json (any case), else CSV.
ValuesFormat valuesFormatOf(const std::string& path);

std::string exportValues(const DeviceMemory& memory, ValuesFormat format);
// Parses all of `text`, then writes and publishes once ("All").  Empty on
// success, else why (the line named) with nothing written.
std::optional<std::string> importValues(DeviceMemory& memory, std::string_view text, ValuesFormat format);

// The same with files; the file is replaced whole or not at all.
std::optional<std::string> exportValuesFile(const DeviceMemory& memory, const std::string& path);
std::optional<std::string> importValuesFile(DeviceMemory& memory, const std::string& path);

// The File menu's entries: the file chooser, then the file; what went wrong
// is told in a box (an import that fails has written nothing).
void valuesExportFromMenu(Presenter& presenter, const DeviceMemory& memory);
void valuesImportFromMenu(Presenter& presenter, DeviceMemory& memory);

}  // namespace omb
