// The conformance table on the in-memory port, the PC program sending
// character by character.
#include <gtest/gtest.h>

#include "conformance_cases.h"
#include "link_harness.h"

namespace omb {
namespace {

using namespace conformance;

// The in-memory harness as the cases see it.
class InMemory final : public test::LinkUnderTest {
 public:
  explicit InMemory(test::LinkHarness& h) : LinkUnderTest(h.state, h.lists), h_(h) {}
  std::string exchange(const std::string& bytes) override { return h_.exchange(bytes); }

 private:
  test::LinkHarness& h_;
};

class Conformance : public ::testing::TestWithParam<Case> {};

TEST_P(Conformance, ReplyAndReport) {
  const Case& c = GetParam();
  test::LinkHarness h;
  h.setFormat(c.format);
  h.setSum(c.sum ? CheckState::Checked : CheckState::Unchecked);
  h.setCpu(*cpuOfName(c.cpu));
  InMemory line(h);
  if (c.setup) c.setup(line);
  h.port.takeOutput();
  h.log.entries.clear();
  // The PC program sends character by character, 1 ms apart.
  for (char ch : c.request) {
    h.port.feed(std::string(1, ch));
    h.loop.advance(1);
  }
  h.loop.advance(200);
  EXPECT_EQ(h.port.takeOutput(), c.reply);
  const std::string refusal = "【否定応答 受信電文】 : ";
  std::string report;
  for (const auto& e : h.log.entries)
    if (e.kind.rfind(refusal, 0) == 0) report = e.kind;
  if (c.errorLine) {
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.substr(report.rfind("\r\n") + 2), c.errorLine);
  } else {
    EXPECT_EQ(report, "");
  }
  if (c.effect) c.effect(line);
  EXPECT_TRUE(h.errors.reports.empty());
}

INSTANTIATE_TEST_SUITE_P(Link, Conformance, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return testName(info.param); });

}  // namespace
}  // namespace omb
