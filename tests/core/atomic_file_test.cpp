// Reading and replacing whole files: only regular files are read, and never
// with a wait; a save replaces only what belongs to the user.
#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/error.h"
#include "test_support.h"

namespace omb {
namespace {

namespace fs = std::filesystem;

// Paths that are not regular files are refused at once: a FIFO without a
// writer would otherwise hold the reader until somebody opened it.
TEST(ReadWholeFile, RefusesWhatIsNotARegularFileAtOnce) {
  test::TempDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  test::writeFile(dir.file("plain.txt"), "abc");
  struct Case {
    std::string path;
    int error;
    int number;
  };
  const Case cases[] = {
      {fifo, kNotRegularFile, kErrNotRegularFile},
      {"/dev/zero", kNotRegularFile, kErrNotRegularFile},
      {"/dev/null", kNotRegularFile, kErrNotRegularFile},
      {dir.str(), EISDIR, kErrPathFileAccess},
      {dir.file("missing"), ENOENT, kErrPathNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string bytes;
    int error = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(readWholeFile(c.path, bytes, error));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(errorFromErrno(error), c.number);
    EXPECT_TRUE(bytes.empty());
  }
  EXPECT_EQ(errorDescription(kErrNotRegularFile), "通常のファイルではありません。");
  EXPECT_NE(readFailureText(kNotRegularFile).find("not a regular file"), std::string::npos);

  std::string bytes;
  int error = -1;
  EXPECT_TRUE(readWholeFile(dir.file("plain.txt"), bytes, error));
  EXPECT_EQ(bytes, "abc");
  EXPECT_EQ(error, 0);
}

TEST(ReadWholeFile, RefusesAFileBeyondTheLimitWithoutReadingIt) {
  test::TempDir dir;
  const std::string big = dir.file("big.bin");
  {
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxReadBytes) + 1), 0);  // sparse: no disk used
    ::close(fd);
  }
  std::string bytes;
  int error = 0;
  EXPECT_FALSE(readWholeFile(big, bytes, error));
  EXPECT_EQ(error, kFileTooLarge);
  EXPECT_EQ(errorFromErrno(error), kErrFileTooLarge);
  EXPECT_TRUE(bytes.empty());
}

class SaveRule : public ::testing::Test {
 protected:
  std::size_t entries() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.str())) ++n;
    return n;
  }
  test::TempDir dir;
};

// A link is followed to the user's own regular file, and nowhere else; what
// is refused stays as it was, and no temporary file is left behind.
TEST_F(SaveRule, FollowsALinkOnlyToTheUsersOwnRegularFile) {
  const std::string own = dir.file("own.bin"), link = dir.file("link.bin");
  test::writeFile(own, "old");
  fs::create_symlink(own, link);
  EXPECT_FALSE(writeFileAtomically(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::readFile(own), "new");

  // Another user's file behind a link (made theirs when the test may).
  const std::string theirs = dir.file("theirs.bin"), toTheirs = dir.file("to_theirs.bin");
  test::writeFile(theirs, "theirs");
  fs::create_symlink(theirs, toTheirs);
  const bool otherOwner = ::chown(theirs.c_str(), ::geteuid() == 0 ? 65534 : ::geteuid(), static_cast<gid_t>(-1)) == 0 &&
                          ::geteuid() == 0;
  // A link that leads nowhere, and one to a device.
  const std::string dangling = dir.file("dangling.bin"), toDevice = dir.file("to_null.bin");
  fs::create_symlink(dir.file("nowhere.bin"), dangling);
  fs::create_symlink("/dev/null", toDevice);
  const std::size_t before = entries();

  std::vector<std::string> refused{dangling, toDevice};
  if (otherOwner) refused.push_back(toTheirs);
  for (const std::string& path : refused) {
    SCOPED_TRACE(path);
    const auto failed = writeFileAtomically(path, "payload");
    ASSERT_TRUE(failed);
    EXPECT_FALSE(failed->reason.empty());
    EXPECT_TRUE(fs::is_symlink(path));
  }
  EXPECT_FALSE(fs::exists(dir.file("nowhere.bin")));
  if (otherOwner) {
    EXPECT_EQ(test::readFile(theirs), "theirs");
  }
  EXPECT_EQ(entries(), before);

  // Another user's file in place is not replaced either.
  if (otherOwner) {
    const auto failed = writeFileAtomically(theirs, "payload");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->error, EPERM);
    EXPECT_EQ(test::readFile(theirs), "theirs");
  }
}

TEST_F(SaveRule, ANewFileTakesTheUsersUmaskAndAReplacedOneKeepsItsMode) {
  const mode_t old = ::umask(077);
  const auto failed = writeFileAtomically(dir.file("private.bin"), "x");
  ::umask(022);
  const auto failed2 = writeFileAtomically(dir.file("shared.bin"), "x");
  ::umask(old);
  ASSERT_FALSE(failed);
  ASSERT_FALSE(failed2);
  EXPECT_EQ(fs::status(dir.file("private.bin")).permissions(), fs::perms(0600));
  EXPECT_EQ(fs::status(dir.file("shared.bin")).permissions(), fs::perms(0644));

  fs::permissions(dir.file("shared.bin"), fs::perms(0640));
  ASSERT_FALSE(writeFileAtomically(dir.file("shared.bin"), "y"));
  EXPECT_EQ(fs::status(dir.file("shared.bin")).permissions(), fs::perms(0640));
  EXPECT_EQ(test::readFile(dir.file("shared.bin")), "y");
  EXPECT_EQ(entries(), 2u);
}

}  // namespace
}  // namespace omb
