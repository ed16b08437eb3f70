// The command line as a conventional parser reads it: --opt=value and
// --opt value alike, short -h and -V, the order of repeated options, switch
// values refused, options read from a file, and a usage text that says what
// the parser takes.
#include <gtest/gtest.h>

#include <regex>

#include "app/command_line.h"
#include "serial/line_config.h"
#include "english.h"
#include "test_support.h"

namespace omb {
namespace {

using A = CommandLine::Action;

CommandLine serve(std::vector<std::string> args) {
  args.insert(args.begin(), "--serve=pty:/tmp/x");
  return parseCommandLine(args);
}

TEST(CommandLineForms, ValuesAfterAnEqualsSignOrAsTheNextArgumentAreTheSame) {
  const std::vector<std::vector<std::string>> spellings = {
      {"--serve", "pty:/tmp/x", "--format", "4", "--wait", "10", "--line", "19200,e,7,2", "--station", "00,01",
       "--project", "a b.bin", "--project", "01=c.bin", "--fault", "drop", "--fault", "nak=06", "--ready-fd", "3",
       "--stats", "json"},
      {"--serve=pty:/tmp/x", "--format=4", "--wait=10", "--line=19200,e,7,2", "--station=00,01",
       "--project=a b.bin", "--project=01=c.bin", "--fault=drop", "--fault=nak=06", "--ready-fd=3", "--stats=json"},
      {"--format=4", "--wait", "10", "--serve", "pty:/tmp/x", "--line=19200,e,7,2", "--station", "00,01",
       "--project", "a b.bin", "--project=01=c.bin", "--fault", "drop", "--fault=nak=06", "--ready-fd", "3",
       "--stats=json"},
  };
  for (const auto& args : spellings) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CommandLine c = parseCommandLine(args);
    ASSERT_EQ(static_cast<int>(c.action), static_cast<int>(A::Serve)) << c.error;
    EXPECT_EQ(c.serve.port, "pty:/tmp/x");
    EXPECT_EQ(c.serve.format, 4);
    EXPECT_EQ(c.serve.waitMs, 10);
    EXPECT_EQ(c.serve.line, "19200,e,7,2");
    EXPECT_EQ(c.serve.stations, (std::vector<std::string>{"00", "01"}));
    EXPECT_EQ(c.serve.project, "a b.bin");
    EXPECT_EQ(c.serve.stationProjects, (std::vector<std::pair<std::string, std::string>>{{"01", "c.bin"}}));
    EXPECT_EQ(c.serve.faults, (std::vector<std::string>{"drop", "nak=06"}));
    EXPECT_EQ(c.serve.readyFd, 3);
    EXPECT_EQ(c.serve.stats, "json");
    // What a project's own settings give way to, whichever the spelling.
    for (const char* given : {"--format", "--wait", "--line", "--station"}) EXPECT_TRUE(c.serve.gave(given)) << given;
    EXPECT_FALSE(c.serve.gave("--cpu"));
  }
}

TEST(CommandLineForms, TheLastOfOpposedSwitchesWinsAndValuesKeepEveryByte) {
  EXPECT_FALSE(serve({"--sum", "--no-sum"}).serve.sum);
  EXPECT_TRUE(serve({"--no-sum", "--sum"}).serve.sum);
  // A value that begins with a dash is still the option's value.
  EXPECT_EQ(serve({"--project", "-odd.bin"}).serve.project, "-odd.bin");
  // A file name in the Japanese code page (not UTF-8) arrives byte for byte.
  const std::string cp932 = "\x83\x89\x83\x43\x83\x93.bin";
  EXPECT_EQ(serve({"--save-on-exit", cp932}).serve.saveOnExit, cp932);
  EXPECT_EQ(serve({"--project=" + cp932}).serve.project, cp932);
  EXPECT_EQ(parseCommandLine({cp932}).project, cp932);
}

TEST(CommandLineForms, ShortHelpAndVersionAndMistakesInTheUsersWords) {
  EXPECT_EQ(static_cast<int>(parseCommandLine({"-V"}).action), static_cast<int>(A::Version));
  EXPECT_EQ(static_cast<int>(parseCommandLine({"--serve", "pty:/tmp/x", "-V"}).action), static_cast<int>(A::Version));
  EXPECT_EQ(static_cast<int>(parseCommandLine({"-h"}).action), static_cast<int>(A::Help));
  EXPECT_EQ(static_cast<int>(parseCommandLine({"--bogus", "-h"}).action), static_cast<int>(A::Help));
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{"--serve"}, "--serve needs a value"},
      {{"--serve=pty:/tmp/x", "--wait"}, "--wait needs a value"},
      {{"--serve=pty:/tmp/x", "--no-sum=1"}, "--no-sum takes no value"},
      {{"--serve=pty:/tmp/x", "--pace=yes"}, "--pace takes no value"},
      {{"--serve=pty:/tmp/x", "--bogus=1"}, "unknown option: --bogus"},
      {{"--serve=pty:/tmp/x", "-x"}, "unknown option: -x"},
      {{"--serve="}, "--serve PORT is required"},
      {{"--serve=pty:/tmp/x", "--format=5"}, "--format must be 1, 2, 3 or 4"},
      {{"--serve=pty:/tmp/x", "--ready-fd=three"}, "--ready-fd must be"},
      {{"--serve=pty:/tmp/x", "stray.bin"}, "unexpected argument: stray.bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const CommandLine got = parseCommandLine(c.args);
    EXPECT_EQ(static_cast<int>(got.action), static_cast<int>(A::Mistake));
    EXPECT_NE(got.error.find(c.error), std::string::npos) << got.error;
  }
}

TEST(CommandLineForms, TheUsageListsTheLineRatesTheParserTakesAndEveryExitStatus) {
  // (Read in English; the Japanese text is the same text translated.)
  test::English english;
  ASSERT_TRUE(english.ok);
  const std::string usage = serveUsage();
  std::smatch m;
  ASSERT_TRUE(std::regex_search(usage, m, std::regex("rate B one of ([0-9 ]+),"))) << usage;
  std::istringstream listed(m[1].str());
  int count = 0;
  for (std::string rate; listed >> rate; ++count) {
    const CommandLine c = serve({"--line", rate + ",n,8,1"});
    EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(A::Serve)) << rate << ": " << c.error;
  }
  EXPECT_EQ(count, 12);
  for (const char* unlisted : {"2000", "230400", "0"})
    EXPECT_EQ(static_cast<int>(serve({"--line", std::string(unlisted) + ",n,8,1"}).action),
              static_cast<int>(A::Mistake))
        << unlisted;
  const std::size_t exit = usage.find("Exit status:");
  ASSERT_NE(exit, std::string::npos);
  const std::string statuses = usage.substr(exit);
  for (const char* told : {"\n  0 ", "\n  1 ", "\n  2 ", "ctl: the\n     command succeeded", "ctl: the\n     answer"})
    EXPECT_NE(statuses.find(told), std::string::npos) << told;
  for (const char* form : {"-V, --version", "-h, --help", "--wait=10", "--ready-fd N", "--options-file FILE"})
    EXPECT_NE(usage.find(form), std::string::npos) << form;
}

TEST(CommandLineForms, AnOptionsFileStandsWhereItIsNamedOneOptionALine) {
  test::TempDir dir;
  const std::string conf = dir.file("line3.conf");
  test::writeFile(conf,
                  "# line 3 of the press shop\r\n"
                  "--serve pty:/run/ombrisal/line3\r\n"
                  "\n"
                  "   --project   /srv/plc/line 3.bin  \n"
                  "--format=2\n"
                  "--no-sum\n"
                  "--fault nak=06,cmd=WW\n");
  // Given after the file, an option wins; the file's own repeat in order.
  CommandLine c = parseCommandLine({"--options-file", conf, "--format", "3", "--fault=drop"});
  ASSERT_EQ(static_cast<int>(c.action), static_cast<int>(A::Serve)) << c.error;
  EXPECT_EQ(c.serve.port, "pty:/run/ombrisal/line3");
  EXPECT_EQ(c.serve.project, "/srv/plc/line 3.bin");
  EXPECT_EQ(c.serve.format, 3);
  EXPECT_FALSE(c.serve.sum);
  EXPECT_EQ(c.serve.faults, (std::vector<std::string>{"nak=06,cmd=WW", "drop"}));
  c = parseCommandLine({"--format=3", "--options-file=" + conf});
  EXPECT_EQ(c.serve.format, 2);

  struct Case {
    std::string text;
    const char* error;
  };
  const Case cases[] = {
      {"--serve pty:/tmp/x\nserve pty:/tmp/y\n", "line3.conf:2: \"serve pty:/tmp/y\" is not an option"},
      {"--serve pty:/tmp/x\n--options-file other.conf\n", "line3.conf:2: an options file cannot name another"},
      {"--serve pty:/tmp/x\n--bogus\n", "unknown option: --bogus"},
      {"--\n", "line3.conf:1:"},
  };
  for (const Case& bad : cases) {
    SCOPED_TRACE(bad.text);
    test::writeFile(conf, bad.text);
    c = parseCommandLine({"--options-file", conf});
    EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(A::Mistake));
    EXPECT_NE(c.error.find(bad.error), std::string::npos) << c.error;
  }
  c = parseCommandLine({"--options-file", dir.file("absent.conf")});
  EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(A::Mistake));
  EXPECT_NE(c.error.find("cannot read the options file " + dir.file("absent.conf")), std::string::npos) << c.error;
}

}  // namespace
}  // namespace omb
