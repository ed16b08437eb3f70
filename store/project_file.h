// The project file (".bin"): the whole working state under one name, as a
// plain little-endian sequence of fields without directory or checksum.
//
// The codec works on a `ProjectImage`, a state of its own: encoding writes
// an image, decoding builds a fresh one and hands it over only when the
// whole file was read.  A truncated or corrupt file therefore never leaves
// a half-loaded project behind, and a file that declares device ranges
// beyond what the program can hold is refused before anything is
// allocated.
//
// Versions: "Ver " and major.minor.revision, compared as texts.  Files from
// "Ver 2.0.125" on carry the multi-screen tables, the port choice and the
// cell styles; from "Ver 2.0.128" on also the main window's place.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dev_range.h"
#include "core/device_kind.h"
#include "core/system_state.h"
#include "core/user_lists.h"
#include "core/view_records.h"
#include "link/link_lists.h"
#include "store/settings_file.h"

namespace omb {

class BinaryReader;

// The link and serial menus' check states as both generations of project
// files store them (20 booleans): formats 1-4, ACPU, AnACPU, the baud
// rates 19200 … 300, parity none/even/odd, character length 8 and 7, stop
// bits 1 and 2.
struct LinkMenus {
  static constexpr std::size_t kCount = 20;
  std::array<bool, 4> formats{};
  bool acpu = false, anAcpu = false;
  std::array<bool, 7> bauds{};
  std::array<bool, 3> parities{};
  bool charLen8 = false, charLen7 = false;
  bool stopBit1 = false, stopBit2 = false;
  std::array<bool, kCount> flags() const;  // in file order
};
LinkMenus readLinkMenus(BinaryReader& reader);

// The version this program writes.
inline constexpr const char* kProjectVersion = "Ver 2.1.2";

struct ProjectImage {
  std::string version = kProjectVersion;  // the header, blanks trimmed
  std::array<WindowSetting, kViewSlotCount> windows{};
  DevRangeTable range5{}, range7{};
  // Per view slot: devices per page, page count, and a third value the file
  // carries for its owner.
  std::array<std::array<std::int16_t, 3>, kViewSlotCount> pageTable{};
  std::array<std::vector<std::int16_t>, kKindCount> memory;  // sized by range7
  UserList userWordList, userBitList;
  LinkLists lists;  // the test values are the value fields of the word test list
  MonitorComments monitorComments;
  std::array<std::int16_t, 2> reserved{};

  // The link and serial settings as the menus hold them.
  LinkMenus menus;
  std::array<bool, 4> handshakes{};    // none, XOn/XOff, RTS, RTS and XOn/XOff
  std::int16_t wait = 0;
  std::string station;                 // two characters in the file
  std::int16_t sum = 0;                // the check box's value (0, 1, 2)
  std::string comment;                 // at most 40 bytes in the file

  // From "Ver 2.0.125" on.
  bool hasMultiScreen = false;
  std::array<std::array<std::int16_t, 3>, kViewSlotCount> multiPageTable{};
  std::array<std::int16_t, kMultiKinds> multiLast{};  // kind 1 first
  struct Kind {
    bool open = false;
    std::vector<MultiWindowRecord> records;  // in use only; numbered 1.. in the file
  };
  std::array<Kind, kMultiKinds> kinds{};     // kind 1 first
  std::array<std::int16_t, kMultiKinds> multiNo{};
  std::int16_t comPort = 0;                  // 1-based item of the port menu, 0: none
  std::vector<CellStyleRecord> cellStyles{CellStyleRecord{}};

  // From "Ver 2.0.128" on.
  bool hasWindow = false;
  std::int32_t windowTop = 0, windowLeft = 0, windowHeight = 0, windowWidth = 0;
};

// What a project file carries for others and this program keeps only to
// write it back: the third value of each page-table slot, the last two of
// each multi-screen page-table slot, and the two reserved values.
struct ProjectCarry {
  std::array<std::int16_t, kViewSlotCount> pageThird{};
  std::array<std::array<std::int16_t, 2>, kViewSlotCount> multiPageRest{};
  std::array<std::int16_t, 2> reserved{};
};

// The file's bytes for an image (of this program's version).
std::string encodeProject(const ProjectImage& image);

struct ProjectRead {
  std::optional<ProjectImage> image;  // the whole file, or nothing
  bool notAProject = false;           // the first byte is not "V"
  std::string error;                  // why a file that is one could not be read
};
// Reads a project file's bytes into a fresh image.
ProjectRead decodeProject(std::string_view bytes);

// What the program opens: the file read whole, then the settings it gives
// the link and the line checked (`unusableSetting`).  A file the program
// could not serve as it says is refused like one that is not whole.
ProjectRead readProject(std::string_view bytes);

// Why the link and line settings a project carries cannot be served,
// naming the field and its value; empty when they can.  Each group of the
// menus needs exactly one entry checked, the station two hexadecimal
// digits, the sum check a check box's value (0 off, 1 on, 2 greyed).  The
// current files add the handshaking (at most one option) and the wait
// (the wait bar's range).
std::string unusableSetting(const LinkMenus& menus, const std::string& station, std::int16_t sum);
std::string unusableSetting(const ProjectImage& image);

// Version texts compare as texts ("Ver 2.0.99" is newer than "Ver 2.0.125").
inline bool versionAtLeast(const std::string& version, const char* mark) { return version >= mark; }

// The comment file that travels with a project: folder of the project +
// its name up to the first "." + "_Device.cmt".
std::string commentFileOf(const std::string& projectPath);
// The value generators' companion file beside a project: "name_Sim.txt".
// The project file itself stays as it always was.
std::string simFileOf(const std::string& projectPath);
// The script of the controller's program beside a project:
// "name_Script.js" (UTF-8).
std::string scriptFileOf(const std::string& projectPath);

}  // namespace omb
