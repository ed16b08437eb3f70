#include "link/processor.h"

#include <algorithm>
#include <cstdio>

#include "core/numeric.h"
#include "core/translate.h"

namespace omb {

namespace {

const char* const kErr06Area = QT_TRANSLATE_NOOP("Processor", "Error:06H キャラクター部エラー ");
// The messages of the address, end-range, limit and data checks are written
// with an ideographic space after "キャラクター部エラー".
const char* const kErr06Wide = QT_TRANSLATE_NOOP("Processor", "Error:06H キャラクター部エラー　");
const char* const kErr03Protocol = QT_TRANSLATE_NOOP("Processor", "Error:03H プロトコルエラーです 通信プロトコルが正常でありません");
const char* const kAskClose = QT_TRANSLATE_NOOP("Processor", "一旦、ポートを閉じますか？");

std::string hex2(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
  return buf;
}
constexpr char kHexDigits[] = "0123456789ABCDEF";
// Four upper-case hexadecimal digits of a word's two's complement.
void putHex4(char* out, std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  out[0] = kHexDigits[u >> 12];
  out[1] = kHexDigits[(u >> 8) & 15];
  out[2] = kHexDigits[(u >> 4) & 15];
  out[3] = kHexDigits[u & 15];
}
void appendHex4(std::string& out, std::int16_t v) {
  char digits[4];
  putHex4(digits, v);
  out.append(digits, 4);
}
std::string hexNoPad(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}
// Device text of `number` written like `start`: same code, same width
// (wider when the number needs more digits).
std::string endText(const DeviceRef& start, std::int32_t number) {
  const int digits = static_cast<int>(start.text.size() - start.code.size());
  const unsigned radix = static_cast<unsigned>(kindInfo(start.kind).radix);
  char buf[16];
  int n = 0;
  const bool minus = number < 0 && radix == 10;  // hexadecimal shows the two's complement
  auto u = static_cast<std::uint32_t>(minus ? -std::int64_t{number} : number);
  do {
    buf[n++] = kHexDigits[u % radix];
    u /= radix;
  } while (u != 0 && n < 15);
  std::string out(start.code);
  if (minus) out.push_back('-');
  for (int i = n; i < digits - (minus ? 1 : 0); ++i) out.push_back('0');
  while (n > 0) out.push_back(buf[--n]);
  return out;
}

}  // namespace

std::string reportText(const FrameTexts& frame, const Rejection& why) {
  std::string r = "<" + logText(frame.raw) + ">" + CRLF;
  if (!why.pcLine.empty()) r += why.pcLine + CRLF;
  r += logText(frame.replaced) + CRLF + frame.hex + CRLF;
  for (const auto& d : why.details) r += d + CRLF;
  return r + why.errorLine;
}

// Device texts of the ACPU set are five characters, of the AnACPU set seven:
// each set has its own range table.
const DevRangeTable& RequestProcessor::rangesOf(const CommandInfo& cmd) const {
  return cmd.anAcpuSet ? ctx_.state.range7 : ctx_.state.range5;
}

RequestProcessor::Outcome RequestProcessor::rejected(Rejection why) {
  Outcome out;
  out.kind = Outcome::Reject;
  out.rejection = std::move(why);
  return out;
}

namespace {

// Refusals the two processors share, with the checking processor's texts.
Rejection commandRejection(const LinkConfig& c, std::string_view command) {
  return {"06", {std::string(cpuName(c.cpu)) + " <" + std::string(command) + ">"}, omb::trs("Processor", kErr06Area) + omb::trs("Processor", "コマンド異常です"), ""};
}
Rejection rangeRejection(std::string_view text) {
  return {"06", {omb::trs("Processor", "アドレス:") + std::string(text)}, omb::trs("Processor", kErr06Area) + omb::trs("Processor", "開始アドレスが範囲外です"), ""};
}
Rejection writeCountRejection(int points) {
  return {"06", {omb::trs("Processor", "書込数 = ") + std::to_string(points)}, omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "書込のデータ数が一致しません"), ""};
}

// The command of a split request, when it is one the CPU type accepts.
const CommandInfo* classify(const LinkConfig& c, const SplitRequest& split) {
  const CommandInfo* cmd = findCommand(split.command);
  return (cmd && (!cmd->anAcpuSet || c.cpu == CpuType::AnACPU)) ? cmd : nullptr;
}

bool listed(const CommandInfo& cmd) { return cmd.cls == CmdClass::Test || cmd.cls == CmdClass::MonitorReg; }

// Write data of a batch write: from after the points field up to the trailer.
std::string_view writeData(std::string_view f, const SplitRequest& split, int w) {
  const std::int64_t from = split.areaStart + w + 2;
  return midText(f, from, static_cast<std::int64_t>(f.size()) - split.trailerLen - from + 1);
}

}  // namespace

Verdict RequestProcessor::subCmnd(std::string_view raw, bool invalid) {
  return process(raw, invalid, "frmMain.subCmnd() ", &RequestProcessor::check);
}

Verdict RequestProcessor::subCmnd_NoCheck(std::string_view raw, bool invalid) {
  return process(raw, invalid, "frmMain.subCmnd_NoCheck() ", &RequestProcessor::checkNothing);
}

bool RequestProcessor::logging() const { return ctx_.settings.chkLogDsp || ctx_.log.fileOpen(); }

FrameTexts RequestProcessor::texts() const {
  FrameTexts t = renderFrame(frame_);
  t.invalid = invalid_;
  return t;
}

std::optional<Question> RequestProcessor::question(const std::string& text) const {
  if (ctx_.settings.chkViewAlert) return std::nullopt;
  return Question{text + CRLF + omb::trs("Processor", kAskClose), omb::trs("Processor", "通信電文異常")};
}

Verdict RequestProcessor::process(std::string_view raw, bool invalid, const char* label, Checker checker) {
  frame_.assign(raw);
  invalid_ = invalid;
  label_ = label;
  return guarded<Verdict>(ctx_.state.errors, label, Verdict{}, [&](ErrorTrap& trap) -> Verdict {
    const LinkConfig& c = ctx_.settings.config;
    if (logging()) stamp_ = ctx_.clock.now();
    header_.blockNo.clear();
    header_.ackCode.clear();
    header_.nakCode.clear();
    const int format = c.formatNumber();

    trap.section(2);  // character error: answered at once
    if (invalid_) {
      if (format == 2) header_.blockNo = midText(frame_, 2, 2);
      if (format == 3) header_.nakCode = "NN";
      pending_.kind = Outcome::Reject;
      pending_.rejection = {"07", {omb::trs("Processor", "A-Z 0-9 spc STX ETX ENQ ACK NAK CR LF GG NN 以外を受信")},
                            omb::trs("Processor", "Error:07H キャラクタエラーです 文字が一致していません"), ""};
      return Verdict{true, 0, std::nullopt};
    }

    trap.section(3);
    const SplitRequest split = splitRequest(frame_, c);
    if (split.format == 3) {
      if (split.command == "GG" || split.command == "NN") return Verdict{};  // the PC program's answer
      header_.ackCode = "GG";
      header_.nakCode = "NN";
    } else if (split.start == ACK || split.start == NAK) {
      return Verdict{};  // the PC program's answer
    }
    if (split.format == 2) header_.blockNo = split.blockNo;

    trap.section(4);
    pending_ = (this->*checker)(split);
    if (pending_.kind == Outcome::IgnoreStation) return Verdict{false, 0, stationMismatch(split)};
    return Verdict{true, messageWaitMs(split.waitChar), std::nullopt};
  });
}

Reply RequestProcessor::act() {
  return guarded<Reply>(ctx_.state.errors, label_, Reply{}, [&](ErrorTrap& t) -> Reply {
    t.section(21);
    return pending_.kind == Outcome::Reject ? errorReply(pending_.rejection) : execute(pending_.request);
  });
}

std::optional<Rejection> RequestProcessor::parseEntries(std::string_view f, const CommandInfo& cmd, int a,
                                                       bool checkBitValues, ParsedList& out) {
  LinkLists& lists = ctx_.lists;
  const int w = cmd.width();
  int dataLen = 0;
  if (cmd.cls == CmdClass::Test) {
    clearDeviceTexts(lists.TestBitList);
    clearDeviceTexts(lists.TestWordList);
    out.entries = cmd.wordUnit ? lists.TestWordList.data() : lists.TestBitList.data();
    out.size = lists.TestBitList.size();
    dataLen = cmd.wordUnit ? 4 : 1;
  } else if (cmd.wordUnit) {
    clearList(lists.MoniWordList);
    out.entries = lists.MoniWordList.data();
    out.size = lists.MoniWordList.size();
  } else {
    clearList(lists.MoniBitList);
    out.entries = lists.MoniBitList.data();
    out.size = lists.MoniBitList.size();
  }
  out.parsed = 0;
  for (std::size_t i = 0; i < out.size; ++i) {
    const std::int64_t pos = a + 2 + static_cast<std::int64_t>(i) * (w + dataLen);
    const std::string_view dev = midText(f, pos, w);
    if (static_cast<int>(dev.size()) < w) break;  // the frame has ended
    const std::string_view data = midText(f, pos + w, dataLen);
    if (static_cast<int>(data.size()) < dataLen) break;
    LinkListEntry& e = out.entries[i];
    e.deviceText = std::string(dev);
    if (dataLen > 0) e.value = readRadix(data, 16);
    ++out.parsed;
    if (checkBitValues && cmd.cls == CmdClass::Test && !cmd.wordUnit && e.value >= 2)
      return Rejection{"06", {omb::trs("Processor", "ビットデータ: &h") + std::string(data) + omb::trs("Processor", " 書込のデータが２進数以外になっています")},
                       omb::trs("Processor", kErr06Area) + omb::trs("Processor", "書込のデータが異常です"), ""};
  }
  return std::nullopt;
}

RequestProcessor::Outcome RequestProcessor::check(const SplitRequest& split) {
  const LinkConfig& c = ctx_.settings.config;
  const std::string_view f = frame_;
  const auto len = static_cast<std::int64_t>(f.size());
  Outcome out;
  auto refuse = [](std::string code, std::string detail, std::string line) {
    return rejected({std::move(code), {std::move(detail)}, std::move(line), ""});
  };

  // Terminator (formats 3 and 4).
  if (!split.terminator.empty() && f.find(split.terminator) == std::string_view::npos)
    return refuse("03",
                  std::string(formatCaption(c.format)) + omb::trs("Processor", "の終端文字は、 ") + (split.format == 3 ? "[ ETX ]" : "[ CRLF ]") + ":&H" +
                      hexNoPad(static_cast<unsigned char>(split.terminator[0])) + omb::trs("Processor", " です"),
                  omb::trs("Processor", "Error:03H プロトコルエラーです 終端文字が一致していません"));

  // Start character.
  if (split.start != (split.format == 3 ? STX : ENQ))
    return refuse("03", std::string(formatCaption(c.format)) + omb::trs("Processor", "開始文字:&H") + hexNoPad(static_cast<unsigned char>(split.start)),
                  omb::trs("Processor", "Error:03H プロトコルエラーです 開始文字が一致していません"));

  // Sum check: everything after the start character up to the sum; in
  // format 4 the CR LF after the sum is not part of it.
  if (c.sumOn()) {
    const std::int64_t k = split.format == 4 ? 4 : 2;
    if (len - k + 1 < 1) throw RuntimeError(kErrInvalidCall);  // no room for a sum at all
    const std::string received(midText(f, len - k + 1, 2));
    unsigned sum = 0;
    for (std::int64_t i = 2; i <= len - k; ++i) sum += static_cast<unsigned char>(f[static_cast<std::size_t>(i - 1)]);
    if (static_cast<unsigned>(readRadix(received, 16)) != (sum & 0xFF))
      return rejected({"02", {omb::trs("Processor", "受信したコード = &h") + received, omb::trs("Processor", "計算したコード = &h") + hex2(sum)},
                     omb::trs("Processor", "Error:02H サムチェック エラーです"), ""});
  }

  // Station number: a request for another station is not ours to answer.
  if (split.station != c.station) {
    out.kind = Outcome::IgnoreStation;
    return out;
  }

  const CommandInfo* cmd = classify(c, split);
  if (!cmd) return rejected(commandRejection(c, split.command));
  Request& req = out.request;
  req.split = split;
  req.cmd = cmd;
  const int w = cmd->width();
  const int a = split.areaStart;
  const DevRangeTable& table = rangesOf(*cmd);

  if (cmd->cls == CmdClass::Monitor) {
    const std::int64_t expectedEnd = split.commandPos + (c.sumOn() ? 5 : 3) +
                                     static_cast<std::int64_t>(subSet_Framing(c.format).reqTail.size() + subSet_Framing(c.format).lineEnd.size());
    if (len >= expectedEnd) return refuse("03", omb::trs("Processor", "キャラクター部が余計です。"), omb::trs("Processor", kErr03Protocol));
    if (ctx_.lists.MoniBitList[0].deviceText.empty() && ctx_.lists.MoniWordList[0].deviceText.empty())
      return refuse("03", omb::trs("Processor", "モニター登録されていません"), omb::trs("Processor", kErr03Protocol));
  } else {
    const bool isList = listed(*cmd);
    req.points = pointsValue(midText(f, isList ? a : a + w, 2));
    auto pts = [&req] { return std::to_string(req.points); };

    ParsedList list;
    if (isList) {
      if (req.points > cmd->classLimit())
        return refuse("06", omb::trs("Processor", "処理点数 = ") + pts(), omb::trs("Processor", kErr06Area) + omb::trs("Processor", "許容処理点数オーバーです"));
      if (auto why = parseEntries(f, *cmd, a, true, list)) return rejected(*why);
      if (static_cast<int>(list.parsed) != req.points)
        return refuse("06", omb::trs("Processor", "処理点数:") + pts() + omb::trs("Processor", " データ数:") + std::to_string(list.parsed),
                      omb::trs("Processor", kErr06Area) + omb::trs("Processor", "処理点数とデータ数が一致しません"));
    }

    // Device checks, in order: the start device, or every entry.
    const std::size_t count = isList ? list.parsed : 1;
    for (std::size_t i = 0; i < count; ++i) {
      const DeviceRef d = lookupDevice(isList ? std::string_view(list.entries[i].deviceText) : midText(f, a, w), table);
      if (!d.inRange) return rejected(rangeRejection(d.text));
      if (isList) {
        list.entries[i].code = std::string(d.code);
        list.entries[i].number = d.number;
        list.entries[i].isBit = d.isBit;
      } else {
        req.device = d;
      }
      if (!deviceDigitsValid(d)) return refuse("06", std::string(d.text), omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "アドレスが、異常です"));
      if (!cmd->wordUnit && !d.isBit)
        return refuse("06", std::string(d.text), omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "ワードデバイスにはアクセスできません"));
      if (cmd->wordUnit && d.isBit && d.alignNumber() % 16 != 0)
        return refuse("06", std::string(d.text), omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "１６で割り切れません"));
    }

    if (!isList) {
      // The last device of the request must exist too; D and M may run into
      // the special ranges.
      const DeviceRef& d = req.device;
      const std::int64_t span = (cmd->wordUnit && d.isBit) ? std::int64_t{req.points - 1} * 16 : req.points - 1;
      const std::string end = endText(d, static_cast<std::int32_t>(d.number + span));
      bool ok = !(end > table[static_cast<std::size_t>(d.kind)].lastText);
      if (!ok && (d.kind == kD || d.kind == kM)) {
        const DevRange& sp = table[static_cast<std::size_t>(d.kind == kD ? kDx : kMx)];
        ok = sp.firstText <= end && end <= sp.lastText;
      }
      if (!ok) return refuse("06", std::string(d.text) + " - " + end, omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "終了アドレスが、範囲外です"));
    }

    const int limit = isList ? cmd->classLimit() : (req.device.isBit ? cmd->bitLimit : cmd->wordLimit);
    if (req.points > limit)
      return refuse("06", omb::trs("Processor", "処理点数 = ") + pts(), omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "許容処理点数オーバーです"));

    if (cmd->cls == CmdClass::BatchWrite) {
      req.data = writeData(f, split, w);
      if (req.data.size() != static_cast<std::size_t>(cmd->wordUnit ? req.points * 4 : req.points))
        return rejected(writeCountRejection(req.points));
      if (!cmd->wordUnit && req.data.find_first_not_of("01") != std::string::npos)
        return refuse("06", omb::trs("Processor", "書込のデータが２進数以外になっています"), omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "書込のデータが異常です"));
    }
    if (cmd->cls == CmdClass::BatchRead && len - split.trailerLen != a + w + 1)
      return refuse("06", omb::trs("Processor", "キャラクター部が、長すぎるか短すぎます"),
                    omb::trs("Processor", kErr06Wide) + omb::trs("Processor", "データレングスが一致しません"));
  }

  // PC number, the last check.
  if (split.pcNo != c.pcNo)
    return rejected({"10", {}, omb::trs("Processor", "Error:10H ＰＣ番号エラー"), c.pcNo + " <> " + std::string(split.pcNo)});
  return out;
}

// Unchecked mode: the request is taken apart like a checked one and executed
// whatever its station, PC number, sum, limits or alignment.  Three cases
// cannot be executed and get the refusal the checking processor would give
// them, so that the PC program and the log both tell what went wrong:
//   - a command code that is not in the table (or belongs to the AnACPU set
//     while the CPU is ACPU): 06 with "<CPU> <code>" (there is nothing to
//     execute);
//   - a device that the range lookup does not find, for the start device or
//     any entry the points field covers: 06 "開始アドレスが範囲外です";
//     nothing is executed, so no part of a test or write happens;
//   - write data whose length does not match the points: 06
//     "書込のデータ数が一致しません"; a word device is always written in
//     words of four digits (as it is always read in words), so its data hold
//     four digits per point whatever the command's unit.
// A device that the lookup finds but that lies outside storage, or a points
// field larger than a test or registration list, is the run-time failure
// reported under frmMain.subCmnd_NoCheck() with no reply.
RequestProcessor::Outcome RequestProcessor::checkNothing(const SplitRequest& split) {
  const LinkConfig& c = ctx_.settings.config;
  const std::string_view f = frame_;
  Outcome out;
  const CommandInfo* cmd = classify(c, split);
  if (!cmd) return rejected(commandRejection(c, split.command));
  Request& req = out.request;
  req.split = split;
  req.cmd = cmd;
  const int w = cmd->width();
  const int a = split.areaStart;
  const DevRangeTable& table = rangesOf(*cmd);
  if (cmd->cls == CmdClass::Monitor) return out;

  const bool isList = listed(*cmd);
  req.points = pointsValue(midText(f, isList ? a : a + w, 2));
  if (isList) {
    ParsedList list;
    parseEntries(f, *cmd, a, false, list);
    if (static_cast<std::size_t>(req.points) > list.size) throw RuntimeError(kErrSubscript);
    std::optional<std::string_view> missing;
    for (std::size_t i = 0; i < static_cast<std::size_t>(req.points); ++i) {
      LinkListEntry& e = list.entries[i];
      const DeviceRef d = lookupDevice(e.deviceText, table);
      e.code = std::string(d.code);
      e.number = d.number;
      e.isBit = d.isBit;
      if (!d.inRange && !missing) missing = d.text;
    }
    if (missing) return rejected(rangeRejection(*missing));
    return out;
  }
  req.device = lookupDevice(midText(f, a, w), table);
  if (!req.device.inRange) return rejected(rangeRejection(req.device.text));
  if (cmd->cls == CmdClass::BatchWrite) {
    req.data = writeData(f, split, w);
    const bool words = cmd->wordUnit || !req.device.isBit;
    if (req.data.size() != static_cast<std::size_t>(words ? req.points * 4 : req.points))
      return rejected(writeCountRejection(req.points));
  }
  return out;
}

std::optional<Question> RequestProcessor::stationMismatch(const SplitRequest& split) {
  const LinkSettings& s = ctx_.settings;
  const FrameTexts frame = texts();
  const std::string report = "<" + logText(frame.raw) + "> " + CRLF + logText(frame.replaced) + CRLF + frame.hex +
                             CRLF + (s.stationsServed.empty() ? s.config.station : s.stationsServed) + " <> " +
                             std::string(split.station) + CRLF;
  if (ctx_.log.fileOpen()) {
    ctx_.log.filePrint(omb::trs("Processor", "【局番号不一致】 : ") + report);
    ctx_.log.filePrint(std::string(omb::trs("Processor", "無応答 : ")) + CRLF);
  }
  if (s.chkLogDsp) {
    ctx_.log.subDsp_CommLog(omb::trs("Processor", "【局番号不一致】 : ") + report, "", "", "");
    ctx_.log.subDsp_CommLog(std::string(omb::trs("Processor", "無応答 : ")) + CRLF, "", "", "");
  }
  if (s.chkViewAlert) return std::nullopt;
  return Question{report + omb::trs("Processor", "局番号不一致です、コマンドは無視されます") + CRLF + omb::trs("Processor", kAskClose), omb::trs("Processor", "通信電文異常")};
}

// An error reply: the report goes to the log before the engine logs what
// it sends.
Reply RequestProcessor::nakReply(std::string_view code) {
  const LinkSettings& s = ctx_.settings;
  const Framing& fr = s.framing();
  reply_.assign(fr.nakHead).append(header_.blockNo).append(s.config.station).append(s.config.pcNo);
  reply_.append(header_.nakCode).append(code).append(fr.nakTail).append(fr.lineEnd);
  Reply r;
  r.bytes = reply_;
  r.nakCode.assign(code);
  return r;
}

FaultSubject RequestProcessor::faultSubject() const {
  FaultSubject s;
  const Request& q = pending_.request;
  // A refused request keeps the command field as written.
  if (pending_.kind != Outcome::Execute || !q.cmd) {
    s.command = splitRequest(frame_, ctx_.settings.config).command;
    return s;
  }
  s.command = q.cmd->code;
  if (q.device.kind < 0) return s;
  if (q.cmd->cls != CmdClass::BatchRead && q.cmd->cls != CmdClass::BatchWrite) return s;
  s.deviceKind = q.device.kind;
  s.first = q.device.number;
  // Word-unit access to bit devices covers sixteen devices a point.
  s.count = q.device.isBit && q.cmd->wordUnit ? q.points * 16 : q.points;
  return s;
}

Reply RequestProcessor::errorReply(const Rejection& why) {
  const LinkSettings& s = ctx_.settings;
  Reply r = nakReply(why.code);
  std::optional<Question> ask;
  if (logging() || !s.chkViewAlert) {
    const std::string report = reportText(texts(), why);
    if (ctx_.log.fileOpen()) ctx_.log.filePrint(omb::trs("Processor", "【否定応答 受信電文】 : ") + report);
    if (s.chkLogDsp) ctx_.log.subDsp_CommLog(omb::trs("Processor", "【否定応答 受信電文】 : ") + report, "", "", "");
    ask = question(report);
  }
  r.question = std::move(ask);
  return r;  // an error reply leaves lblSnd as it was
}

Reply RequestProcessor::dataReply() {
  const LinkSettings& s = ctx_.settings;
  const Framing& fr = s.framing();
  reply_.append(fr.dataTail);
  if (s.config.sumOn()) reply_ += sumCheck(reply_);
  reply_.append(fr.lineEnd);
  Reply r;
  r.bytes = reply_;
  r.positive = true;
  r.summed = s.config.sumOn();
  return r;
}

Reply RequestProcessor::ackReply() {
  const LinkSettings& s = ctx_.settings;
  const Framing& fr = s.framing();
  reply_.assign(fr.ackHead);
  reply_.append(header_.blockNo).append(s.config.station).append(s.config.pcNo).append(header_.ackCode);
  reply_.append(fr.ackTail).append(fr.lineEnd);
  Reply r;
  r.bytes = reply_;
  r.positive = true;
  return r;
}

// Storage of one device: the kind's own array, or the special one for D and
// M numbers from 9000.  The decision is taken on the number given, which for
// a batch is the start device, and the rest of the batch follows in that
// storage.
DeviceLocation RequestProcessor::cell(int storageKind, std::int32_t number) const {
  const std::optional<DeviceLocation> at = ctx_.state.memory.at(storageKind, number);
  if (!at) throw RuntimeError(kErrSubscript);
  return *at;
}

// Executes a request that passed its checks.  The access follows the device:
// a word device is always read and written in words; a bit device in bits
// for bit-unit commands and in words of sixteen devices for word-unit
// commands.  Every device the request touches is located before anything is
// written, so a request that runs out of storage fails as a whole.  What it
// wrote is published as one change set before the reply is built.
Reply RequestProcessor::execute(const Request& req) {
  const CommandInfo& cmd = *req.cmd;
  const DeviceRef& d = req.device;
  LinkLists& lists = ctx_.lists;
  DeviceMemory& memory = ctx_.state.memory;
  const LinkConfig& c = ctx_.settings.config;
  const bool words = cmd.wordUnit || !d.isBit;
  const int step = (cmd.wordUnit && d.isBit) ? 16 : 1;
  const int storage = d.storageKind();
  auto batch = [&](int i) { return cell(storage, d.number + i * step); };
  auto startData = [&] {
    reply_.assign(ctx_.settings.framing().dataHead);
    reply_.append(header_.blockNo).append(c.station).append(c.pcNo);
  };
  auto readOne = [&](const DeviceLocation& at, bool asWord) {
    const std::int16_t w = memory.words(at.kind)[static_cast<std::size_t>(at.index)];
    if (asWord) appendHex4(reply_, w);
    else reply_.push_back(wordBit(w, at.bit) ? '1' : '0');
  };

  switch (cmd.cls) {
    case CmdClass::BatchRead: {
      startData();
      if (req.points <= 0) return dataReply();
      // The first and the last device exist, so every one between does:
      // successive points are successive words (or bits) of one array.
      const DeviceLocation first = batch(0);
      batch(req.points - 1);
      const std::int16_t* w = memory.words(first.kind).data() + first.index;
      const std::size_t at = reply_.size();
      const auto n = static_cast<std::size_t>(req.points);
      if (words) {
        reply_.resize(at + n * 4);
        char* out = reply_.data() + at;
        for (std::size_t i = 0; i < n; ++i, out += 4) putHex4(out, w[i]);
      } else {
        reply_.resize(at + n);
        char* out = reply_.data() + at;
        for (std::size_t i = 0, pos = static_cast<std::size_t>(first.bit); i < n; ++i, ++pos)
          out[i] = wordBit(w[pos >> 4], static_cast<int>(pos & 15)) ? '1' : '0';
      }
      return dataReply();
    }
    case CmdClass::BatchWrite: {
      if (req.points > 0) batch(req.points - 1);  // the whole span exists
      for (int i = 0; i < req.points; ++i) {
        const DeviceLocation at = batch(i);
        if (words) {
          memory.write(at.kind, at.index, static_cast<std::int16_t>(readRadix(req.data.substr(static_cast<std::size_t>(i) * 4, 4), 16)));
        } else {
          const char bit = req.data[static_cast<std::size_t>(i)];
          if (bit == '0' || bit == '1') memory.writeBit(at.kind, at.index, at.bit, bit == '1');  // other characters change nothing
        }
      }
      memory.publish("All", lineWriterSource());
      return ackReply();
    }
    case CmdClass::Test: {
      const auto& list = cmd.wordUnit ? lists.TestWordList : lists.TestBitList;
      const std::size_t n = std::min(static_cast<std::size_t>(req.points), list.size());
      auto storageOf = [](const LinkListEntry& e) { return DeviceMemory::storageKindOf(kindOfCode(e.code), e.number); };
      for (std::size_t i = 0; i < n; ++i) cell(storageOf(list[i]), list[i].number);
      for (std::size_t i = 0; i < n; ++i) {
        const LinkListEntry& e = list[i];
        const DeviceLocation at = cell(storageOf(e), e.number);
        if (cmd.wordUnit) memory.write(at.kind, at.index, static_cast<std::int16_t>(e.value));
        else if (e.value == 0 || e.value == 1) {
          if (isWordKind(at.kind)) memory.write(at.kind, at.index, static_cast<std::int16_t>(e.value));
          else memory.writeBit(at.kind, at.index, at.bit, e.value == 1);
        }
      }
      memory.publish("All", lineWriterSource());
      return ackReply();
    }
    case CmdClass::MonitorReg:
      if (ctx_.listsChanged) ctx_.listsChanged();
      return ackReply();
    case CmdClass::Monitor: {
      startData();
      auto walk = [&](const auto& list) {
        for (const auto& e : list) {
          if (e.code.empty()) break;
          const DeviceLocation at = cell(DeviceMemory::storageKindOf(kindOfCode(e.code), e.number), e.number);
          readOne(at, cmd.wordUnit || isWordKind(at.kind));
        }
      };
      if (cmd.wordUnit) walk(lists.MoniWordList);
      else walk(lists.MoniBitList);
      return dataReply();
    }
  }
  return Reply{};
}

bool RequestProcessor::frameStart(char c) const {
  return ctx_.settings.config.format == Format::F3 ? c == STX : (c == ENQ || c == ACK || c == NAK);
}

std::string RequestProcessor::startNames() const {
  return ctx_.settings.config.format == Format::F3 ? "STX" : "ENQ / ACK / NAK";
}

// NAK, the block number of format 2, station, PC number, format 3's "NN",
// then the error code; never a sum check.
std::string RequestProcessor::lineErrorReply(std::string_view code) const {
  const LinkConfig& c = ctx_.settings.config;
  return std::string(1, NAK) + header_.blockNo + c.station + c.pcNo + header_.nakCode + std::string(code);
}

}  // namespace omb
