#include "app/serve_mode.h"

#include <algorithm>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <cstring>
#include <iostream>

#include <filesystem>
#include <functional>

#include "app/app_core.h"
#include "app/command_line.h"
#include "app/stop_signals.h"
#include "app/control_channel.h"
#include "app/device_values.h"
#include "app/frame_journal.h"
#include "app/language.h"
#include "link/stations.h"
#include "app/project_commands.h"
#include "app/readiness.h"
#include "app/output_pump.h"
#include "app/record_file.h"
#include "core/numeric.h"
#include "core/atomic_file.h"
#include "core/trend.h"
#include "core/translate.h"
#include "store/program_folders.h"

namespace omb {

namespace {

bool isHexPair(const std::string& s) {
  return s.size() == 2 && std::isxdigit(static_cast<unsigned char>(s[0])) &&
         std::isxdigit(static_cast<unsigned char>(s[1])) && !std::islower(static_cast<unsigned char>(s[0])) &&
         !std::islower(static_cast<unsigned char>(s[1]));
}

// Without a screen every box is a line on standard error; questions are
// never asked (the alerts are off), other boxes answer with their first
// button.
class ServePresenter final : public Presenter {
 public:
  MsgAnswer message(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
    // The error log's own report of what the caller tells in plain words
    // itself: the error log file keeps it.
    const bool errorReport = icon == MsgIcon::Critical && text.rfind("Error ", 0) == 0;
    if (!(quietErrorReports && errorReport)) std::cerr << "[" << title << "] " << text << std::endl;
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  }
  bool quietErrorReports = false;
  std::optional<std::string> inputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

// A rules or generator file named on the command line, read whole and
// handed to `load`; false, told on standard error, when it cannot be read
// or `load` refuses it (naming the line).
bool loadOptionFile(const std::string& file, const char* what,
                    const std::function<bool(const std::string& text, std::string& why)>& load) {
  std::string text, why;
  int err = 0;
  if (!readWholeFile(file, text, err)) {
    std::cerr << "ombrisal: cannot read " << what << " " << file << ": " << readFailureText(err) << std::endl;
    return false;
  }
  if (!load(text, why)) {
    std::cerr << "ombrisal: " << file << ": " << why << std::endl;
    return false;
  }
  return true;
}

// The controller's program: the --script file, or else the one kept beside
// the project, started with the generators.  What it logs and its errors
// are lines of standard error.  False when it cannot be read or its first
// run fails (told).
bool startScript(AppCore& core, ProjectCommands& project, const ServeOptions& o) {
  core.script.told = [](const ScriptMessage& m) { std::cerr << "script: " << terminalSafe(m.display()) << std::endl; };
  std::optional<std::string> failed;
  if (!o.scriptFile.empty()) {
    std::string text;
    int err = 0;
    if (!readWholeFile(o.scriptFile, text, err)) {
      std::cerr << "ombrisal: cannot read the script " << terminalSafe(o.scriptFile) << ": " << readFailureText(err)
                << std::endl;
      return false;
    }
    if (core.script.load(text, o.scriptFile)) failed = "";
  } else if (!o.project.empty()) {
    failed = project.loadScriptFile(o.project);
  }
  if (!failed) return true;
  std::cerr << "ombrisal: the script " << terminalSafe(o.scriptFile.empty() ? scriptFileOf(o.project) : o.scriptFile)
            << " did not start" << (failed->empty() ? "" : ": " + terminalSafe(*failed)) << std::endl;
  return false;
}

}  // namespace

// What is served, as the settings hold it once the project and the
// command line have been applied.
std::string serveBanner(const AppCore& core, const std::string& peer) {
  const LinkConfig& c = core.link.config;
  const std::string stations = core.stations.listText();
  return "Ombrisal serving on " + peer + " (" + fill(trs("ServeMode", "形式%1"), {std::to_string(c.formatNumber())}) + ", " + cpuName(c.cpu) +
         ", station " + stations + ", PC " + c.pcNo + ", sum " + (c.sumOn() ? "on" : "off") +
         (c.unchecked ? ", unchecked" : "") + (core.pacing ? ", paced" : "") +
         (core.faults.rules().empty() ? "" : ", faults on") + ")\n";
}

bool ServeOptions::gave(const std::string& option) const {
  return std::find(given.begin(), given.end(), option) != given.end();
}

std::string serveUsage() {
  std::string rates;
  for (int rate : lineRates()) rates += (rates.empty() ? "" : " ") + std::to_string(rate);
  return fill(trs("ServeMode",
         "使い方: ombrisal [FILE | --serve PORT [オプション] | ctl SOCKET COMMAND... | -V | -h]\n"
         "       ombrisal send|poll|replay ...   （PC プログラムの側: send --help）\n"
         "\n"
         "引数がなければ Ombrisal はメインウィンドウを開き、プロジェクト FILE を指定\n"
         "するとそのプロジェクトを開きます。ctl は動作中の Ombrisal の制御ソケット\n"
         "（--control）へ COMMAND を送り、JSON の応答を表示して終了します（終了\n"
         "ステータスは成功 0、wait-change の時間切れ 3、エラー 1）。COMMAND:\n"
         "get DEVICE [POINTS], set DEVICE VALUE..., load PROJECT, save PROJECT,\n"
         "export FILE, import FILE, fault add RULE, fault clear, stats,\n"
         "wait-change DEVICE TIMEOUT_MS, script load FILE, script stop,\n"
         "script status, quit。\n"
         "DEVICE は先頭の局のデバイスで、ほかの局は NN:DEVICE（01:D100）と書きます。\n"
         "相対パスの PROJECT と FILE は ctl を実行したフォルダから探します。export は\n"
         "0 でないデバイス値を書き出し、import はファイルにあるデバイス値をすべて\n"
         "設定します（全部か、何も設定しないか。CSV の device,value、名前が .json\n"
         "で終われば JSON）。\n"
         "\n"
         "--serve PORT   ウィンドウを開かずに PORT で計算機リンクに応答し、SIGINT か\n"
         "               SIGTERM を受けるとポートを閉じて 0 で終了します。PORT は COMn\n"
         "               （1-16、設定ファイルの対応どおり）、/dev/ttyUSB0 のような\n"
         "               デバイスのパス、または仮想ポート pty:PATH（相手側が PATH に\n"
         "               現れる疑似端末）です。TCP の回線も使えます: tcp:PORT（127.0.0.1\n"
         "               で待ち受け）と tcp:HOST:PORT は一度に一つのクライアントに応答し\n"
         "               二つ目は拒否します。tcp-connect:ADDRESS:PORT は数値のアドレス\n"
         "               （または localhost）のデバイスサーバーに接続します。\n"
         "オプション（値は次の引数か = の後に書きます。例 --wait=10）:\n"
         "  --format 1|2|3|4      専用プロトコルの形式（既定 1）\n"
         "  --cpu ACPU|AnACPU     受け付けるコマンドの種類（既定 ACPU）\n"
         "  --station NN[,NN...]  自局の局番、16 進 2 桁（既定 00）。リスト（00,01,05）\n"
         "                        ではマルチドロップ回線の各局として応答し、局ごとに\n"
         "                        デバイスメモリと登録リストを持ちます。--project が\n"
         "                        読み込むのは先頭の局です\n"
         "  --pc NN               自局の PC 番号（既定 FF）\n"
         "  --sum | --no-sum      サムチェック有り・無し（既定 有り）\n"
         "  --no-check            文法チェックをしない: チェックせずに実行します\n"
         "  --wait MS             受信文字間 Wait、2-500 ミリ秒（既定 40）\n"
         "  --line B,P,D,S        回線の設定、例 9600,n,8,1 や 19200,e,7,2:\n"
         "                        通信速度 B は %1 のどれか、\n"
         "                        パリティ P は n, e, o, m, s、データビット D は 5-8、\n"
         "                        ストップビット S は 1 か 2（既定 9600,n,8,1）\n"
         "  --handshake 0-3       無し、XON/XOFF、RTS/CTS、両方（既定 0）\n"
         "  --project FILE        応答するプロジェクト: デバイスメモリ、登録リスト、\n"
         "                        コメント、リンク設定（ここで指定したオプションが優先）\n"
         "  --project NN=FILE     ほかの局のプロジェクト: デバイスメモリと登録リスト\n"
         "                        だけ（繰り返し指定できます）\n"
         "  --save-on-exit FILE   停止したとき、状態をプロジェクトファイルに書きます\n"
         "                        （全体か、何も書かないか）。コメントと値の自動変化の\n"
         "                        ファイルも書きます\n"
         "  --save-on-exit NN=FILE  ほかの局について同じことをします（繰り返し指定可）\n"
         "  --fault RULE          一致した応答に障害を注入します（繰り返し指定可）。例\n"
         "                        drop,cmd=WR  nak=06,dev=D100-D199  delay=300,every=5\n"
         "                        badsum  flip,at=3  insert=41  split=50,at=4  twice,p=0.1\n"
         "  --faults FILE         規則ファイル: 1 行に 1 規則、# で注釈、\"seed N\"\n"
         "  --fault-seed N        規則の確率のシード（既定 1）\n"
         "  --sim FILE            実行する値の自動変化（1 行に 1 つ。例\n"
         "                        counter D100 step=1 min=0 max=999 period=100,\n"
         "                        square X0 period=1000 duty=0.5, follow Y10 source=X0\n"
         "                        delay=200）。プロジェクトの横のファイル（NAME_Sim.txt）\n"
         "                        の代わりに使います。station=NN でほかの局を動かします\n"
         "  --script FILE         制御側のプログラム: プログラムの時計で動く JavaScript\n"
         "                        のファイル（on, every, after, get, set, log, station。\n"
         "                        docs/scripting.md を参照）。プロジェクトの横のファイル\n"
         "                        （NAME_Script.js）の代わりに使います。log の行とエラーは\n"
         "                        標準エラー出力に書きます\n"
         "  --record FILE         デバイスメモリの変化をすべて CSV で FILE に書きます\n"
         "                        （time_ms,device,value、変化のたびに書き出し）。複数の\n"
         "                        局では time_ms,station,device,value\n"
         "  --pace                仮想ポートと TCP の回線で、応答を --line の設定\n"
         "                        （スタート、データ、パリティ、ストップビット）の速度で\n"
         "                        送ります\n"
         "  --control PATH        テストスクリプトの指令を、PATH に作る所有者専用の\n"
         "                        Unix ソケットで待ち受けます（上の ctl を参照）\n"
         "  --ready-fd N          ポートを開き、--control のソケットが待ち受けを始めたら\n"
         "                        バナーの行をファイル記述子 N に書いて閉じます\n"
         "                        （スクリプトやスーパーバイザーが待つため）\n"
         "  --stats text|json|none  終了時、標準出力の最後に通信統計を書きます: 数行の\n"
         "                        テキスト（既定）、最後の行に JSON オブジェクト一つ、\n"
         "                        または何も書かない\n"
         "  --ini FILE            設定ファイル。作業フォルダはその横に作ります\n"
         "                        （既定: プログラムの横の Init.ini、インストールした\n"
         "                        ときは ~/.config/ombrisal/Init.ini）\n"
         "  --no-reopen           装置がなくなったらポートを閉じて待ちます\n"
         "                        （既定: 1 秒ごとに開き直します）\n"
         "  --log-format text|decoded|jsonl  標準出力: 制御文字を名前で書いた通信ログ\n"
         "                        （既定）、電文ごとの解読（WR D0100 ×4 → 0001 0002\n"
         "                        0003 0004）、または電文ごとに JSON オブジェクト一つ\n"
         "                        （時刻、方向、局、コマンド、デバイス、点数、バイト、\n"
         "                        応答、応答時間）。jsonl ではバナーとテキストの統計は\n"
         "                        標準エラー出力に書きます\n"
         "  --capture FILE        すべての電文を JSON の行で FILE に書きます\n"
         "                        （ombrisal replay のため）\n"
         "  --values FILE         プロジェクトを読み込んだ後、FILE のデバイス値を設定\n"
         "                        します（CSV の device,value か JSON {\"D100\":1}）。\n"
         "                        誤った行は名前を挙げ、1 で終了します\n"
         "  --tcp-idle-timeout S  TCP の回線で、S 秒間何も送らないクライアントを切断し\n"
         "                        次のクライアントが接続できるようにします（既定: 無制限）\n"
         "  --options-file FILE   オプションを FILE から読みます。1 行に 1 つ、値は空白の\n"
         "                        後（--serve /dev/ttyUSB0）、# で注釈。ユニット\n"
         "                        ombrisal@NAME.service はこの形で /etc/ombrisal/NAME.conf\n"
         "                        を使います\n"
         "  --lang ja|en          画面と出力の言語（既定: 設定ファイルの [表示言語]\n"
         "                        Language=、なければ LC_ALL、LC_MESSAGES、LANG の最初に\n"
         "                        設定されたものが en で始まれば英語、ほかは日本語）\n"
         "  -V, --version         プログラムのバージョン\n"
         "  -h, --help            この説明\n"
         "\n"
         "通信ログは標準出力に書きます（制御文字は名前で、1 行に 1 項目、時刻付き）。\n"
         "メッセージは標準エラー出力に書きます。読み手が遅れても応答は止まりません。\n"
         "受け取られなかった分は捨てて数え、読み手がいなくなったことは一度だけ伝えます。\n"
         "\n"
         "終了ステータス:\n"
         "  0  --serve: SIGINT、SIGTERM、SIGHUP か ctl quit で停止（起動中も。その\n"
         "     ときは何も保存しません）。ウィンドウ: 閉じた。ctl: コマンドが成功\n"
         "     した。--help と --version\n"
         "  1  --serve: ポートか制御ソケットを開けない、プロジェクトを読めない、\n"
         "     終了時に状態を保存できない、または --record の行が失われた。\n"
         "     ウィンドウ: 設定ファイルがない。ctl: 応答がエラーを伝えた、または\n"
         "     応答が来なかった\n"
         "  2  オプションの誤り（コマンドのない ctl も）、読めないオプション\n"
         "     ファイル、または使えない設定ファイル\n"
         "  3  ctl: wait-change が時間切れになった\n"),
              {rates});
}

std::optional<ServeOptions> parseServeOptions(const SplitArguments& split, std::string& error) {
  ServeOptions o;
  bool haveServe = false;
  if (!split.error.empty()) return error = split.error, std::nullopt;
  if (!split.positional.empty()) {
    error = "unexpected argument: " + split.positional.front() +
            " (a project FILE stands alone; to serve one, use --project FILE)";
    return std::nullopt;
  }
  for (const GivenOption& given : split.options) {
    const std::string& a = given.name;
    const std::string& v = given.value;
    if (a == "--serve") {
      o.port = v;
      haveServe = true;
    } else if (a == "--format") {
      auto n = wholeNumber(v, 1, 4);
      if (!n) return error = "--format must be 1, 2, 3 or 4", std::nullopt;
      o.format = *n;
    } else if (a == "--cpu") {
      if (v != "ACPU" && v != "AnACPU") return error = "--cpu must be ACPU or AnACPU", std::nullopt;
      o.cpu = v;
    } else if (a == "--pc") {
      if (!isHexPair(v)) return error = a + " must be two hexadecimal digits such as 00 or FF", std::nullopt;
      o.pcNo = v;
    } else if (a == "--station") {
      std::string why;
      const auto numbers = StationSet::parseNumbers(v, why);
      if (!numbers || v.find_first_of(" \t") != std::string::npos)
        return error = "--station must be two hexadecimal digits such as 00 or 1F, or a list without repeats "
                       "such as 00,01,05",
               std::nullopt;
      o.stations = *numbers;
      o.station = o.stations.front();
    } else if (a == "--fault") {
      std::string why;
      if (!parseFaultRule(v, why)) return error = "--fault: " + why, std::nullopt;
      o.faults.push_back(v);
    } else if (a == "--faults") {
      o.faultsFile = v;
    } else if (a == "--fault-seed") {
      if (v.empty() || v.size() > 19 || v.find_first_not_of("0123456789") != std::string::npos)
        return error = "--fault-seed must be a whole number", std::nullopt;
      o.faultSeed = std::stoull(v);
    } else if (a == "--pace") {
      o.pace = true;
    } else if (a == "--sim") {
      o.simFile = v;
    } else if (a == "--script") {
      o.scriptFile = v;
    } else if (a == "--record") {
      o.recordFile = v;
    } else if (a == "--control") {
      o.control = v;
      if (o.control.empty()) return error = "--control needs the path of the socket", std::nullopt;
    } else if (a == "--stats") {
      if (v != "text" && v != "json" && v != "none") return error = "--stats must be text, json or none", std::nullopt;
      o.stats = v;
    } else if (a == "--sum") {
      o.sum = true;
    } else if (a == "--no-sum") {
      o.sum = false;
    } else if (a == "--no-check") {
      o.noCheck = true;
    } else if (a == "--wait") {
      auto n = wholeNumber(v, LinkSettings::kWaitMinMs, LinkSettings::kWaitMaxMs);
      if (!n) return error = "--wait must be a number of milliseconds from 2 to 500", std::nullopt;
      o.waitMs = *n;
    } else if (a == "--line") {
      if (!parseLineSettings(v)) return error = "--line must look like 9600,n,8,1", std::nullopt;
      o.line = v;
    } else if (a == "--handshake") {
      auto n = wholeNumber(v, 0, 3);
      if (!n) return error = "--handshake must be 0, 1, 2 or 3", std::nullopt;
      o.handshake = *n;
    } else if (a == "--project" || a == "--save-on-exit") {
      // "NN=FILE" names a further station's file.
      if (v.size() > 3 && v[2] == '=' && isHexPair(v.substr(0, 2))) {
        (a == "--project" ? o.stationProjects : o.stationSaves).emplace_back(v.substr(0, 2), v.substr(3));
      } else {
        (a == "--project" ? o.project : o.saveOnExit) = v;
      }
    } else if (a == "--ini") {
      o.ini = v;
    } else if (a == "--no-reopen") {
      o.reopen = false;
    } else if (a == "--ready-fd") {
      auto n = wholeNumber(v, 0, 65535);
      if (!n) return error = "--ready-fd must be the number of an open file descriptor, such as 3", std::nullopt;
      o.readyFd = *n;
    } else if (a == "--log-format") {
      if (v != "text" && v != "decoded" && v != "jsonl")
        return error = "--log-format must be text, decoded or jsonl", std::nullopt;
      o.logFormat = v;
    } else if (a == "--capture") {
      if (v.empty()) return error = "--capture needs a file", std::nullopt;
      o.capture = v;
    } else if (a == "--values") {
      if (v.empty()) return error = "--values needs a file", std::nullopt;
      o.values = v;
    } else if (a == "--tcp-idle-timeout") {
      auto n = wholeNumber(v, 1, 86400);
      if (!n) return error = "--tcp-idle-timeout must be a number of seconds from 1 to 86400", std::nullopt;
      o.tcpIdleTimeout = *n;
    } else {
      error = "unknown option: " + a;
      return std::nullopt;
    }
    o.given.push_back(a);
  }
  if (!haveServe || o.port.empty()) {
    error = "--serve PORT is required";
    return std::nullopt;
  }
  if (o.port.rfind("COM", 0) == 0 && !wholeNumber(o.port.substr(3), 1, 16)) {
    error = "COM ports are COM1 to COM16";
    return std::nullopt;
  }
  for (const auto* files : {&o.stationProjects, &o.stationSaves})
    for (const auto& [station, file] : *files)
      if (station == o.station || std::find(o.stations.begin(), o.stations.end(), station) == o.stations.end()) {
        error = station + "=" + file + ": " + station +
                " is not a further station of --station (the first station's files are given without a number)";
        return std::nullopt;
      }
  if (o.port.rfind("pty:", 0) == 0 && o.port.size() == 4) {
    error = "pty: needs a path, e.g. pty:/tmp/ombrisal";
    return std::nullopt;
  }
  return o;
}

int runServe(int argc, char** argv, const ServeOptions& o) {
  if (o.readyFd >= 0) {
    if (!readyFdUsable(o.readyFd)) {
      std::cerr << "ombrisal: --ready-fd " << o.readyFd << " is not an open file descriptor" << std::endl;
      return 2;
    }
    ::fcntl(o.readyFd, F_SETFD, FD_CLOEXEC);
  }
  // Standard error quotes what files and peers wrote: no byte of it may
  // reach the terminal as a control character.
  TerminalSafeBuffer safeErr(std::cerr.rdbuf());
  struct Restore {
    std::streambuf* was;
    ~Restore() { std::cerr.rdbuf(was); }
  } restore{std::cerr.rdbuf(&safeErr)};
  QCoreApplication app(argc, argv);
  // SIGINT, SIGTERM and SIGHUP are caught from the first moment: during
  // start-up they end it between two steps, with everything made so far
  // taken down and nothing saved (the state is not whole yet); once
  // serving, they end the event loop and the close sequence runs.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails a write; it does not end the server
  const int stopSocket = stopSignals::catchSignals({SIGINT, SIGTERM, SIGHUP});
  if (stopSocket < 0) return 1;
  const auto stopAsked = stopSignals::arrived;
  auto stoppedEarly = [] {
    std::cerr << "ombrisal: stopped during start-up; nothing was served or saved" << std::endl;
    return 0;
  };
  ServePresenter presenter;
  SystemClock clock;
  // The settings file (--ini, else Init.ini where the window finds it:
  // beside the program, or per user when installed) names the working
  // folders and maps COM numbers; without one the old-version device
  // layout is served.  The working folders go beside the file --ini names.
  ProgramFolders folders;
  if (!o.ini.empty()) {
    const FolderAndName parts = subGetFolda_Path(o.ini);
    folders.settings = folders.data = parts.folder.empty() ? "./" : parts.folder;
  } else {
    std::string warning;
    folders = setUpProgramFolders(QCoreApplication::applicationDirPath().toStdString() + "/",
                                  userDirsFromEnvironment(), folderWritable, warning);
    if (!warning.empty()) std::cerr << "ombrisal: " << warning << std::endl;
  }
  AppCore core(presenter, clock, folders.settings, folders.data);
  if (!o.ini.empty()) core.settingsFile.setFileName(o.ini);
  applyLanguage(core.settingsFile.fileName(), false);
  if (!o.ini.empty() || std::filesystem::exists(core.settingsFile.fileName())) {
    presenter.quietErrorReports = true;
    const bool read = core.startUp();
    presenter.quietErrorReports = false;
    if (!read) {
      std::string bytes;
      int error = 0;
      const std::string why = readWholeFile(core.settingsFile.fileName(), bytes, error) ? std::string("unreadable")
                                                                                      : readFailureText(error);
      std::cerr << "ombrisal: cannot read the settings file " << terminalSafe(core.settingsFile.fileName()) << ": "
                << why << std::endl;
      return 2;
    }
    for (const std::string& problem : core.settingsFile.problems())
      std::cerr << "ombrisal: " << terminalSafe(problem) << std::endl;
    // Serving a kind whose range could not be read would leave it never
    // answering the way the file meant: stop instead.
    if (const auto& bad = core.settingsFile.rangeFallbacks(); !bad.empty()) {
      std::cerr << "ombrisal: the device ranges of " << core.settingsFile.fileName() << " cannot be used:";
      for (const std::string& b : bad) std::cerr << " " << b;
      std::cerr << "\nombrisal: correct them (the report above names each line) and start again" << std::endl;
      return 2;
    }
  } else {
    subSetOldVersionRanges(core.state.range5, core.state.range7);
    core.state.subReDim_Device();
  }

  if (stopAsked()) return stoppedEarly();

  // A project is read whole before anything of it is taken over; one that
  // cannot be read stops the program.
  ProjectCommands project(core);
  const bool fromProject = !o.project.empty();
  // The generators kept beside it start once the recording has begun.
  if (fromProject)
    if (const auto failed = project.load(o.project, {{}, true, false, false})) {
      std::cerr << "ombrisal: cannot read the project " << o.project << ": " << projectLoadError(o.project, *failed)
                << std::endl;
      return 1;
    }
  // Without a project every option applies; over a project only those given.
  auto use = [&](const char* option) { return !fromProject || o.gave(option); };
  LinkSettings& link = core.link;
  if (use("--format")) link.config.format = formatOfNumber(o.format).value_or(Format::F1);
  if (use("--cpu")) link.config.cpu = cpuOfName(o.cpu).value_or(CpuType::ACPU);
  if (use("--station")) link.config.station = o.station;
  if (use("--pc")) link.config.pcNo = o.pcNo;
  if (!fromProject || o.gave("--sum") || o.gave("--no-sum"))
    link.config.sum = o.sum ? CheckState::Checked : CheckState::Unchecked;
  if (use("--no-check")) link.config.unchecked = o.noCheck;
  link.chkViewAlert = true;  // nobody to answer a question
  link.chkLogDsp = true;

  // Further stations: created with the first one's ranges, then each given
  // project's memory and lists loaded while that station is in front.
  if (o.stations.size() > 1) core.setStations(o.stations);
  for (const auto& [station, file] : o.stationProjects)
    if (const auto failed = project.load(file, {station, false, false, false})) {
      std::cerr << "ombrisal: cannot read the project " << file << " of station " << station << ": "
                << projectLoadError(file, *failed) << std::endl;
      return 1;
    }

  // Device values over the project's: a fixture written by hand.
  if (!o.values.empty())
    if (const auto failed = importValuesFile(core.state.memory, o.values)) {
      std::cerr << "ombrisal: --values " << terminalSafe(*failed) << std::endl;
      return 1;
    }

  // Faults: the rules file first, then the --fault rules in their order.
  core.faults.setSeed(o.faultSeed);
  if (!o.faultsFile.empty()) {
    if (!loadOptionFile(o.faultsFile, "the fault rules",
                        [&](const std::string& text, std::string& why) { return core.faults.load(text, why); }))
      return 2;
    if (o.gave("--fault-seed")) core.faults.setSeed(o.faultSeed);
  }
  for (const std::string& rule : o.faults) {
    std::string why;
    core.faults.add(*parseFaultRule(rule, why));  // checked when the options were read
  }
  core.pacing = o.pace;

  // The recording starts before any generator runs, so their first values
  // are in it too.  Each change set is written as it happens: a CI job may
  // read the file while the server still runs, or after it was killed.  A
  // disk that fills loses rows, not the recording (app/record_file.h); the
  // program then ends with status 1.
  int recordFd = -1;
  struct FdCloser {
    int& fd;
    ~FdCloser() {
      if (fd >= 0) ::close(fd);
    }
  } recordCloser{recordFd};
  std::unique_ptr<RecordFile> recordFile;
  std::vector<std::unique_ptr<ChangeRecorder>> recorders;
  if (!o.recordFile.empty()) {
    recordFd = ::open(o.recordFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    struct stat st{};
    const bool regular = recordFd >= 0 && ::fstat(recordFd, &st) == 0 && S_ISREG(st.st_mode);
    if (!regular) {
      std::cerr << "ombrisal: cannot create the recording " << terminalSafe(o.recordFile) << ": "
                << (recordFd < 0 ? std::strerror(errno) : "not a regular file") << std::endl;
      return 1;
    }
    recordFile = std::make_unique<RecordFile>(
        [fd = recordFd](const char* data, std::size_t size) { return ::write(fd, data, size); });
    recordFile->onTrouble = [&o](int error) {
      if (error)
        std::cerr << "ombrisal: cannot write the recording " << terminalSafe(o.recordFile) << ": "
                  << std::strerror(error) << "; rows are lost until it can be written again" << std::endl;
      else
        std::cerr << "ombrisal: the recording " << terminalSafe(o.recordFile)
                  << " is written again; the gap is marked in it" << std::endl;
    };
    // Every station is recorded; with several, each row names its station.
    const std::vector<std::string> stations = core.stations.numbers();
    const std::int64_t start = clock.steadyUs();
    for (const std::string& n : stations)
      recorders.push_back(std::make_unique<ChangeRecorder>(
          *core.memoryOf(n), clock, [&](std::string_view rows) { recordFile->append(rows); },
          ChangeRecorder::Options{stations.size() > 1 ? n : std::string(), recorders.empty(), start}));
  }

  // Value generators: the --sim file's, or else those kept beside the
  // project.
  if (!o.simFile.empty()) {
    if (!loadOptionFile(o.simFile, "the generators", [&](const std::string& text, std::string& why) {
          return core.generators.load(text, clock.steadyMs(), why, true);
        }))
      return 2;
  } else if (fromProject) {
    if (const auto failed = project.loadSimFile(o.project)) {
      std::cerr << "ombrisal: " << simFileOf(o.project) << ": " << *failed << std::endl;
      return 1;
    }
  }

  if (!startScript(core, project, o)) return 1;

  if (stopAsked()) return stoppedEarly();

  int number = 1;
  if (o.port.rfind("COM", 0) == 0) number = std::stoi(o.port.substr(3));
  else core.line.setTarget(o.port);
  core.tcp.setIdleTimeout(o.tcpIdleTimeout * 1000);

  // Standard output is written by a thread of its own: a reader that does
  // not read, or has gone, never stops the server.
  OutputPump out(1);
  TrafficLog& log = core.log;
  log.setOptDspType(DspType::Replaced);
  log.setChkFix(true);  // the screen text is standard output; keep only a little of it in memory
  log.setTxtLogRow("100");
  log.txtLogRow_LostFocus();
  log.setScreenByteLimit(64 * 1024);
  const bool jsonl = o.logFormat == "jsonl";
  if (o.logFormat == "decoded") log.setOptDspType(DspType::Decoded);
  log.changed = [&out, jsonl](const LogChange& c) {
    if (jsonl || c.kind != LogChange::Kind::Text || c.inserted.empty()) return;
    std::string text(c.inserted);
    for (std::size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, "\n");
    out.write(terminalSafe(text));
  };

  // Frames as JSON lines: on standard output in place of the text log,
  // and to the capture file, each written as it happens.
  FrameJournal journal(core.link.config, wallClockMs);
  if (jsonl) journal.addOutput([&out](std::string_view line) { out.write(std::string(line)); });
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> capture(nullptr, &std::fclose);
  if (!o.capture.empty()) {
    // A regular file only: a FIFO or a device would hold the server up.
    const int fd = ::open(o.capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    struct stat st{};
    const bool regular = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular) capture.reset(::fdopen(fd, "w"));
    if (!capture) {
      std::cerr << "ombrisal: cannot create the capture " << terminalSafe(o.capture) << ": "
                << (fd >= 0 && !regular ? "not a regular file" : std::strerror(errno)) << std::endl;
      if (fd >= 0) ::close(fd);
      return 1;
    }
    journal.addOutput([&capture](std::string_view line) {
      std::fwrite(line.data(), 1, line.size(), capture.get());
      std::fflush(capture.get());
    });
  }
  if (jsonl || capture) core.engine.tap = &journal;
  struct TapOff {
    LinkEngine& engine;
    ~TapOff() { engine.tap = nullptr; }
  } tapOff{core.engine};

  // The control socket is ready before the line: a script may set the
  // inputs before the PC program sends its first request.
  std::unique_ptr<ControlChannel> control;
  if (!o.control.empty()) {
    control = std::make_unique<ControlChannel>(core, project);
    control->setOnQuit([] { QCoreApplication::quit(); });
    if (const auto failed = control->start(o.control)) {
      std::cerr << "ombrisal: --control: " << *failed << std::endl;
      out.drain(500);
      return 1;
    }
  }

  PortController& pc = core.pc;
  pc.mnuCommPortNo = {PortMenuEntry{"COM " + std::to_string(number), std::to_string(number), true}};
  if (use("--wait")) pc.hscWait = o.waitMs;
  if (use("--handshake")) pc.handshaking = o.handshake;
  // Any rate the line supports, not only the menu's.
  if (use("--line")) pc.lineOverride = parseLineSettings(o.line);
  core.settingsChanged();
  pc.onSettingsRefused = [](const std::string& message) { std::cerr << "ombrisal: " << message << std::endl; };
  pc.cmdPOpen_Click();
  if (!core.line.isOpen()) {
    std::cerr << "ombrisal: cannot open " << o.port << " (absent or busy)" << std::endl;
    out.drain(500);
    return 1;
  }
  const std::string banner = terminalSafe(serveBanner(core, core.line.peerPath()));
  if (jsonl) std::cerr << banner << std::flush;
  else out.write(banner);

  // A device that goes away is looked for every second until it is back;
  // the attempts are told on standard error now and then, not each time.
  QTimer reopenTimer;
  int attempts = 0;
  reopenTimer.setInterval(1000);
  QObject::connect(&reopenTimer, &QTimer::timeout, &app, [&] {
    ++attempts;
    if (pc.reopen()) {
      reopenTimer.stop();
      std::cerr << "ombrisal: " << o.port << " is back; serving again" << std::endl;
    } else if (attempts % 60 == 0) {
      std::cerr << "ombrisal: " << o.port << " still missing after " << attempts << " attempts" << std::endl;
    }
  });
  if (o.reopen)
    pc.onDeviceLost = [&] {
      attempts = 0;
      std::cerr << "ombrisal: " << o.port << " went away; trying to open it again every second" << std::endl;
      reopenTimer.start();
    };

  QSocketNotifier stop(stopSocket, QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, &app, [&] {
    stop.setEnabled(false);
    QCoreApplication::quit();
  });
  // A signal that came while the port was being opened.
  if (stopAsked()) QTimer::singleShot(0, &app, [] { QCoreApplication::quit(); });

  // The port is open, the control socket listens and a signal now ends it
  // with its close sequence: whoever waits may start, and may stop it.
  if (o.readyFd >= 0 && !tellReady(o.readyFd, banner))
    std::cerr << "ombrisal: --ready-fd " << o.readyFd << ": nobody reads it any more" << std::endl;
  notifySupervisor("READY=1");

  app.exec();
  notifySupervisor("STOPPING=1");
  reopenTimer.stop();
  // Nobody is answered any more: the socket goes before the summary and
  // the saves.
  if (control) control->stop();
  if (core.line.isOpen()) pc.cmdPClose_Click();
  // The summary closes the traffic log on standard output.
  if (o.stats == "json") out.write(core.stats.json() + "\n");
  if (o.stats == "text" && jsonl) std::cerr << trs("ServeMode", "【通信統計】") << "\n" << core.stats.text() << std::flush;
  else if (o.stats == "text") out.write(trs("ServeMode", "【通信統計】") + "\n" + core.stats.text());
  out.drain(500);  // the CLOSE lines, as far as the reader takes them
  int status = 0;
  for (const auto& [station, file] : o.stationSaves) {
    if (const auto failed = project.subFile_put(file, station)) {
      std::cerr << "ombrisal: cannot save the project " << file << " of station " << station << ": "
                << failed->reason << std::endl;
      return 1;
    }
  }
  if (recordFile && recordFile->lostRows() > 0) {
    std::cerr << "ombrisal: " << recordFile->lostRows() << " rows of the recording " << terminalSafe(o.recordFile)
              << " were lost (the gaps are marked in it)" << std::endl;
    status = 1;
  }
  if (!o.saveOnExit.empty()) {
    // Whole or not at all: an existing file stays as it was on failure.
    if (const auto failed = project.subFile_put(o.saveOnExit)) {
      std::cerr << "ombrisal: cannot save the project " << o.saveOnExit << ": " << failed->reason << std::endl;
      return 1;
    }
    if (!core.comments.subFile_putDevCmnt(commentFileOf(o.saveOnExit))) {
      std::cerr << "ombrisal: cannot save the comments of " << o.saveOnExit << std::endl;
      return 1;
    }
    if (const auto failed = project.saveSimFile(o.saveOnExit)) {
      std::cerr << "ombrisal: cannot save the generators of " << o.saveOnExit << ": " << failed->reason << std::endl;
      return 1;
    }
    if (const auto failed = project.saveScriptFile(o.saveOnExit)) {
      std::cerr << "ombrisal: cannot save the script of " << o.saveOnExit << ": " << failed->reason << std::endl;
      return 1;
    }
  }
  return status;
}

}  // namespace omb
