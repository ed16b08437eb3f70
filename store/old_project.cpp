#include "store/old_project.h"

#include <stdexcept>

#include "store/binary_reader.h"
#include "store/project_file.h"

namespace omb {

namespace {

using Reader = BinaryReader;

void readUserList(Reader& r, UserList& list) {
  for (auto& e : list) e.code = r.text();
  for (auto& e : list) e.addressText = r.text();
  for (auto& e : list) e.number = r.i16();  // sign-extended, as the old program widened them
  const std::int16_t next = r.i16();
  const std::int16_t count = r.i16();
  list.setCounters(next, count);
}

template <std::size_t N>
void readLinkList(Reader& r, LinkList<N>& list) {
  for (auto& e : list) e.deviceText = r.text();
  for (auto& e : list) e.code = r.text();
  for (auto& e : list) e.number = r.i16();
  for (auto& e : list) e.isBit = r.i16() != 0;
}

struct OldRange {
  std::int32_t first5, last5, first7, last7;
};
constexpr std::array<OldRange, kKindCount> kOldRanges{{
    {0, 255, 0, 2047},       {0, 255, 0, 1023},       {0, 1024, 0, 6143},      {0, 1023, 0, 4095},
    {0, 8191, 0, 8191},      {9000, 9255, 9000, 9255}, {0, 2047, 0, 2047},     {0, 2047, 0, 2047},
    {0, 2047, 0, 8191},      {0, 2047, 0, 8191},      {0, 2047, 0, 8191},      {0, 1023, 0, 4095},
    {0, 255, 0, 2047},       {9000, 9255, 9000, 9255}, {0, 255, 0, 2047},      {0, 255, 0, 2047},
    {0, 255, 0, 1023},       {0, 255, 0, 1023},
}};

}  // namespace

OldProjectRead decodeOldProject(std::string_view bytes) {
  OldProjectRead result;
  if (bytes.substr(0, 4) == "Ver ") {
    result.currentVersion = true;
    return result;
  }
  try {
    Reader r(bytes);
    OldProjectImage p;
    for (int k = 0; k < kKindCount; ++k) {
      auto& words = p.memory[static_cast<std::size_t>(k)];
      words.resize(static_cast<std::size_t>(kOldWords[static_cast<std::size_t>(k)]));
      for (std::int16_t& v : words) v = r.i16();
    }
    readUserList(r, p.userWordList);
    readUserList(r, p.userBitList);
    for (std::int16_t& v : p.reserved) v = r.i16();
    readLinkList(r, p.lists.TestBitList);
    readLinkList(r, p.lists.TestWordList);
    for (auto& e : p.lists.TestWordList) e.value = r.i16();
    readLinkList(r, p.lists.MoniBitList);
    readLinkList(r, p.lists.MoniWordList);
    p.menus = readLinkMenus(r);
    p.station = r.fixed(2);
    p.sum = r.i16();
    p.comment = r.fixed(40);
    // Settings the program could not serve refuse the file as a short one
    // does.
    result.error = unusableSetting(p.menus, p.station, p.sum);
    if (result.error.empty()) result.image = std::move(p);
  } catch (const std::exception& e) {
    result.error = e.what();
  }
  return result;
}

void setOldRanges(DevRangeTable& range5, DevRangeTable& range7) {
  for (int k = 0; k < kKindCount; ++k) {
    const OldRange& o = kOldRanges[static_cast<std::size_t>(k)];
    DevRange& r5 = range5[static_cast<std::size_t>(k)];
    DevRange& r7 = range7[static_cast<std::size_t>(k)];
    r5.first = o.first5;
    r5.last = o.last5;
    r5.firstText = fncDeviceText(k, o.first5, 5);
    r5.lastText = fncDeviceText(k, o.last5, 5);
    r7.first = o.first7;
    r7.last = o.last7;
    r7.firstText = fncDeviceText(k, o.first7, 7);
    r7.lastText = fncDeviceText(k, o.last7, 7);
  }
}

void setOldPages(PageTable& pages) {
  for (int s = 0; s < kViewSlotCount; ++s) {
    int perPage = 64;
    if (s <= 5) perPage = 256;
    else if (s == 13 || s == 23) perPage = 16;
    else if (s == 18 || s == 19) perPage = pages[static_cast<std::size_t>(s)].perPage;
    pages[static_cast<std::size_t>(s)].perPage = perPage;
  }
}

}  // namespace omb
