// The serve mode in English and in Japanese: --help, the banner, the notes
// and statistics follow the language; the files written and the frames of
// the traffic log are the same bytes in both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>

#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03), A(1, 0x06);

// The locale variables for one spawn, as they were again afterwards.
class Locale {
 public:
  explicit Locale(const char* lang) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      if (const char* v = std::getenv(name)) saved_[name] = v;
      ::unsetenv(name);
    }
    if (lang) ::setenv("LANG", lang, 1);
  }
  ~Locale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const auto it = saved_.find(name);
      if (it == saved_.end()) ::unsetenv(name);
      else ::setenv(name, it->second.c_str(), 1);
    }
  }

 private:
  std::map<std::string, std::string> saved_;
};

// Kana, kanji, Japanese punctuation, full- and half-width forms, in UTF-8.
bool hasJapanese(const std::string& s) {
  static const std::regex japanese("\xE3[\x80-\x83][\x80-\xBF]|[\xE4-\xE9][\x80-\xBF][\x80-\xBF]|\xEF[\xBC-\xBF][\x80-\xBF]");
  return std::regex_search(s, japanese);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    out.push_back(l);
  }
  return out;
}

// The lines of the traffic log's own record format: the port and line
// settings of an OPEN, and each frame with its direction.  They are data a
// reader may parse, the same in every language.
bool isRecordLine(const std::string& l) {
  static const std::regex record(
      "^(\\[[0-9:./ ]+\\] ?)?(受信|送信)( : .*)?$|^(ポート PC|通信パラメータ|ハンドシェーク|受信文字間Wait|コマンドタイプ|"
      "専用プロトコル|局番号|ＰＣ番号|チェックサム) *[:=].*$");
  return std::regex_match(l, record);
}

TEST(ServeLanguage, HelpFollowsTheOptionThenTheLocale) {
  struct Case {
    std::vector<std::string> args;
    const char* lang;
    const char* begins;
  };
  const Case cases[] = {
      {{"--help"}, nullptr, "使い方: ombrisal"},
      {{"--help"}, "C", "使い方: ombrisal"},
      {{"--help"}, "en_US.UTF-8", "Usage: ombrisal"},
      {{"--lang", "en", "--help"}, "C.UTF-8", "Usage: ombrisal"},
      {{"-h", "--lang=ja"}, "en_GB.UTF-8", "使い方: ombrisal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args) + " LANG=" + (c.lang ? c.lang : "(unset)"));
    Locale locale(c.lang);
    test::ServeProcess help(c.args);
    ASSERT_EQ(help.wait(), 0) << help.err;
    EXPECT_EQ(help.out.rfind(c.begins, 0), 0u) << help.out;
    if (c.begins[0] == 'U') {
      // English throughout, but for the settings file's own section name.
      std::string text = help.out;
      text.erase(text.find("[表示言語]"), std::string("[表示言語]").size());
      EXPECT_FALSE(hasJapanese(text)) << help.out;
      EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
    }
  }
  Locale locale("C");
  test::ServeProcess bad({"--lang", "fr", "--help"});
  EXPECT_EQ(bad.wait(), 2);
  EXPECT_NE(bad.err.find("--lang fr: the language is ja or en"), std::string::npos) << bad.err;
}

TEST(ServeLanguage, AnUnusableRuleIsToldInTheChosenLanguage) {
  Locale locale("C.UTF-8");
  test::TempDir dir;
  const std::vector<std::string> serve{"--serve", "pty:" + dir.file("com"), "--fault", "delay=5,nak=06"};
  test::ServeProcess japanese(serve);
  EXPECT_EQ(japanese.wait(), 2);
  EXPECT_NE(japanese.err.find("障害注入の規則 \"delay=5,nak=06\" : nak は一つだけ"), std::string::npos) << japanese.err;
  std::vector<std::string> inEnglish{"--lang", "en"};
  inEnglish.insert(inEnglish.end(), serve.begin(), serve.end());
  test::ServeProcess english(inEnglish);
  EXPECT_EQ(english.wait(), 2);
  EXPECT_NE(english.err.find("Fault rule \"delay=5,nak=06\" : nak takes exactly one value"), std::string::npos)
      << english.err;
  EXPECT_FALSE(hasJapanese(english.err)) << english.err;
}

// The PC side's messages follow the language as the serve mode's do.
TEST(ServeLanguage, ThePcSideSpeaksTheChosenLanguage) {
  Locale locale("C.UTF-8");
  test::TempDir dir;
  const std::string missing = dir.file("no-such-port");
  test::ServeProcess japanese({"send", missing, "MN"});
  EXPECT_EQ(japanese.wait(), 3);
  EXPECT_NE(japanese.err.find("ポート " + missing + " を開けません"), std::string::npos) << japanese.err;
  test::ServeProcess english({"--lang", "en", "send", missing, "MN"});
  EXPECT_EQ(english.wait(), 3);
  EXPECT_NE(english.err.find("cannot open the port " + missing), std::string::npos) << english.err;
  EXPECT_FALSE(hasJapanese(english.err)) << english.err;
}

struct Session {
  std::string out, err;
  std::map<std::string, std::string> files;  // saved file name -> bytes
};

// Serves a session: a write, a read, a request with a wrong sum, then the
// state saved on exit with the generators beside it.
Session serveSession(const std::vector<std::string>& langArgs, const char* lang) {
  Locale locale(lang);
  test::TempDir dir;
  test::writeFile(dir.file("sim.txt"), "follow Y10 source=M5\n");
  std::filesystem::create_directory(dir.file("saved"));
  const std::string com = dir.file("com");
  std::vector<std::string> args = langArgs;
  for (const std::string& a : std::vector<std::string>{"--serve", "pty:" + com, "--sum", "--wait", "5", "--stats", "text", "--sim",
                               dir.file("sim.txt"), "--save-on-exit", dir.file("saved/After.bin")})
    args.push_back(a);
  test::ServeProcess serve(args);
  Session run;
  if (!serve.waitForOutput("serving on")) {
    ADD_FAILURE() << serve.out << serve.err;
    return run;
  }
  {
    test::PcPort pc(com);
    EXPECT_EQ(pc.exchange(E + "00FFWW0D0000011234F9", 5), A + "00FF");
    EXPECT_EQ(pc.exchange(E + "00FFWR0D0000012A", 12), S + "00FF1234" + X + "B9");
    // A wrong sum check: refused with NAK and code 02, and noted.
    EXPECT_EQ(pc.exchange(E + "00FFWR0D00000100", 7).substr(0, 1), std::string(1, 0x15));
  }
  EXPECT_EQ(serve.stop(), 0) << serve.err;
  run.out = serve.out;
  run.err = serve.err;
  for (const auto& f : std::filesystem::directory_iterator(dir.file("saved")))
    run.files[f.path().filename().string()] = test::readFile(f.path().string());
  return run;
}

TEST(ServeLanguage, EnglishOutputKeepsTheRecordsAndWritesTheSameFiles) {
  const Session ja = serveSession({}, "C.UTF-8");
  const Session en = serveSession({"--lang", "en"}, "C.UTF-8");
  const Session byLocale = serveSession({}, "en_US.UTF-8");

  // The banner, the notes and the statistics in each language.
  EXPECT_NE(ja.out.find("(形式1, ACPU"), std::string::npos) << ja.out;
  EXPECT_NE(ja.out.find("【通信統計】"), std::string::npos) << ja.out;
  EXPECT_NE(ja.out.find("Error:02H サムチェック エラーです"), std::string::npos) << ja.out;
  for (const Session* run : {&en, &byLocale}) {
    EXPECT_NE(run->out.find("(format 1, ACPU"), std::string::npos) << run->out;
    EXPECT_NE(run->out.find("[Traffic statistics]\nRequests      : 3\nReplies       : 3\nNAKs          : 02H: 1"),
              std::string::npos)
        << run->out;
    EXPECT_NE(run->out.find("Error:02H Sum check error"), std::string::npos) << run->out;
    for (const std::string& l : lines(run->out))
      EXPECT_TRUE(!hasJapanese(l) || isRecordLine(l)) << "left in Japanese: " << l;
  }

  // The frames, stripped of their times, are the same lines in each.
  auto frames = [](const Session& r) {
    std::vector<std::string> out;
    static const std::regex frame("^\\[[0-9:.]+\\] ?((受信|送信) : .*)$");
    std::smatch m;
    for (const std::string& l : lines(r.out))
      if (std::regex_match(l, m, frame)) out.push_back(m[1]);
    return out;
  };
  EXPECT_GE(frames(ja).size(), 5u) << ja.out;
  EXPECT_EQ(frames(en), frames(ja));
  EXPECT_EQ(frames(byLocale), frames(ja));

  // The project and the files beside it, byte for byte.
  ASSERT_TRUE(ja.files.count("After.bin")) << ja.err;
  EXPECT_GE(ja.files.size(), 2u);  // with the generators file
  EXPECT_EQ(en.files, ja.files);
  EXPECT_EQ(byLocale.files, ja.files);
}

}  // namespace
}  // namespace omb
