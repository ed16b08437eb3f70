// The user registration lists: the registration rule, release, and where
// an entry's device lives.
#include "core/user_lists.h"

#include <gtest/gtest.h>

#include "core/dev_range.h"
#include "core/device_kind.h"
#include "core/system_state.h"

namespace omb {
namespace {

UserListEntry bit(const std::string& text, std::int32_t number, const std::string& code = "X") {
  return {code, text, "", number};
}

std::vector<std::string> texts(const UserList& list) {
  std::vector<std::string> out;
  for (const auto& e : list)
    if (!e.addressText.empty()) out.push_back(e.addressText);
  return out;
}

TEST(UserList, RegistrationRuleDuplicatesAndAFullList) {
  UserList list;
  EXPECT_TRUE(list.add(bit("X00000F", 15)));
  EXPECT_FALSE(list.add(bit("X00000F", 15))) << "an address text is listed once";
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.nextIndex(), 1);
  for (int i = 1; i < kUserListSize; ++i) ASSERT_TRUE(list.add(bit("M" + std::to_string(100000 + i), i, "M")));
  EXPECT_EQ(list.count(), 128);
  EXPECT_EQ(list.nextIndex(), 127) << "a full list keeps writing its last entry";
  EXPECT_TRUE(list.add(bit("Y000001", 1, "Y")));
  EXPECT_EQ(list[127].addressText, "Y000001");
  EXPECT_EQ(list[126].addressText, "M100126");
  EXPECT_EQ(list.count(), 128);
  EXPECT_EQ(list.nextIndex(), 127);
}

TEST(UserList, ReleaseMovesTheRestUpAndRecounts) {
  UserList list;
  for (int i = 0; i < 10; ++i) list.add(bit("X00000" + std::to_string(i), i));
  list.release(2, 4);  // rows 3 to 5
  EXPECT_EQ(texts(list), (std::vector<std::string>{"X000000", "X000001", "X000005", "X000006", "X000007",
                                                   "X000008", "X000009"}));
  EXPECT_EQ(list.count(), 7);
  EXPECT_EQ(list.nextIndex(), 7);
  list.add(bit("Y000000", 0, "Y"));
  EXPECT_EQ(list[7].addressText, "Y000000") << "the next registration goes to row 8";
  // Releasing from the last row of a full list.
  UserList full;
  for (int i = 0; i < kUserListSize; ++i) full.add(bit("M" + std::to_string(100000 + i), i, "M"));
  full.release(127, 127);
  EXPECT_EQ(full.count(), 127);
  EXPECT_EQ(full[127], UserListEntry{});
}

TEST(UserList, WhereAnEntrysDeviceLives) {
  NullErrorSink errors;
  SystemState state(errors);
  subSetOldVersionRanges(state.range5, state.range7);
  state.subReDim_Device();
  struct Case {
    UserListEntry entry;
    bool bitList;
    int kind, index, bit;
  };
  const Case cases[] = {
      {{"D", "D000100-F", "", 100}, true, kD, 100, 15},
      {{"W", "W0000FF-0", "", 0xFF}, true, kW, 0xFF, 0},
      {{"M", "M009000", "", 9000}, true, kMx, 0, 0},
      {{"X", "X00001F", "", 0x1F}, true, kX, 1, 15},
      {{"TN", "TN00015", "", 15}, false, kTN, 15, 0},
      {{"D", "D009001", "", 9001}, false, kDx, 1, 0},
  };
  for (const Case& c : cases) {
    const auto loc = userEntryLocation(state.memory, c.entry, c.bitList);
    ASSERT_TRUE(loc.has_value()) << c.entry.addressText;
    EXPECT_EQ(loc->kind, c.kind) << c.entry.addressText;
    EXPECT_EQ(loc->index, c.index) << c.entry.addressText;
    EXPECT_EQ(loc->bit, c.bit) << c.entry.addressText;
  }
  EXPECT_FALSE(userEntryLocation(state.memory, UserListEntry{}, true).has_value());
  EXPECT_FALSE(userEntryLocation(state.memory, {"D", "D999999", "", 999999}, false).has_value());
}

}  // namespace
}  // namespace omb
