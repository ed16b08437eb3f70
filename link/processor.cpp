#include "link/processor.h"

#include <algorithm>
#include <cstdio>

#include "core/numeric.h"

namespace omb {

namespace {

const char* const kErr06Area = "Error:06H キャラクター部エラー ";
// The messages of the address, end-range, limit and data checks are written
// with an ideographic space after "キャラクター部エラー".
const char* const kErr06Wide = "Error:06H キャラクター部エラー　";
const char* const kErr03Protocol = "Error:03H プロトコルエラーです 通信プロトコルが正常でありません";
const char* const kAskClose = "一旦、ポートを閉じますか？";

std::string hex2(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
  return buf;
}
std::string hex4(std::int16_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(static_cast<std::uint16_t>(v)));
  return buf;
}
std::string hexNoPad(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}
std::string stampNow(const Clock& clock) { return "[" + formatTime(clock.now()) + "] "; }

// Device text of `number` written like `start`: same code, same width.
std::string endText(const DeviceRef& start, std::int32_t number) {
  const int digits = static_cast<int>(start.text.size() - start.code.size());
  char buf[32];
  std::snprintf(buf, sizeof buf, kindInfo(start.kind).radix == 16 ? "%0*X" : "%0*d", digits < 0 ? 0 : digits,
                number);
  return start.code + buf;
}

}  // namespace

std::string reportText(const FrameTexts& frame, const Rejection& why) {
  std::string r = "<" + logText(frame.raw) + ">" + CRLF;
  if (!why.pcLine.empty()) r += why.pcLine + CRLF;
  r += logText(frame.replaced) + CRLF + frame.hex + CRLF;
  for (const auto& d : why.details) r += d + CRLF;
  return r + why.errorLine;
}

struct RequestProcessor::Outcome {
  enum Kind { Execute, Reject, IgnoreStation } kind = Execute;
  Request request;
  Rejection rejection;
};

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
Rejection commandRejection(const LinkSettings& s, const std::string& command) {
  return {"06", {s.cpuType + " <" + command + ">"}, std::string(kErr06Area) + "コマンド異常です", ""};
}
Rejection rangeRejection(const std::string& text) {
  return {"06", {"アドレス:" + text}, std::string(kErr06Area) + "開始アドレスが範囲外です", ""};
}
Rejection writeCountRejection(int points) {
  return {"06", {"書込数 = " + std::to_string(points)}, std::string(kErr06Wide) + "書込のデータ数が一致しません", ""};
}

// The command of a split request, when it is one the CPU type accepts.
const CommandInfo* classify(const LinkSettings& s, const SplitRequest& split) {
  const CommandInfo* cmd = findCommand(split.command);
  return (cmd && (!cmd->anAcpuSet || s.cpuType == "AnACPU")) ? cmd : nullptr;
}

bool listed(const CommandInfo& cmd) { return cmd.cls == CmdClass::Test || cmd.cls == CmdClass::MonitorReg; }

// Write data of a batch write: from after the points field up to the trailer.
std::string writeData(std::string_view f, const SplitRequest& split, int w) {
  const std::int64_t from = split.areaStart + w + 2;
  return std::string(midText(f, from, static_cast<std::int64_t>(f.size()) - split.trailerLen - from + 1));
}

}  // namespace

std::optional<Deferred> RequestProcessor::subCmnd(const FrameTexts& frame) {
  return process(frame, "frmMain.subCmnd() ", &RequestProcessor::check);
}

std::optional<Deferred> RequestProcessor::subCmnd_NoCheck(const FrameTexts& frame) {
  return process(frame, "frmMain.subCmnd_NoCheck() ", &RequestProcessor::checkNothing);
}

std::optional<Deferred> RequestProcessor::process(const FrameTexts& frame, const char* label, Checker checker) {
  return guarded<std::optional<Deferred>>(
      ctx_.state.errors, label, std::nullopt, [&](ErrorTrap& trap) -> std::optional<Deferred> {
        LinkSettings& s = ctx_.settings;
        const std::string stamp = stampNow(ctx_.clock);
        s.blockNo.clear();
        s.ackCode.clear();
        s.nakCode.clear();
        const int format = s.format();

        trap.section(2);  // character error: answered at once
        if (frame.invalid) {
          if (format == 2) s.blockNo = midText(frame.raw, 2, 2);
          if (format == 3) s.nakCode = "NN";
          sendError(stamp, frame,
                    {"07", {"A-Z 0-9 spc STX ETX ENQ ACK NAK CR LF GG NN 以外を受信"},
                     "Error:07H キャラクタエラーです 文字が一致していません", ""});
          return std::nullopt;
        }

        trap.section(3);
        const SplitRequest split = splitRequest(frame.raw, s);
        if (split.format == 3) {
          if (split.command == "GG" || split.command == "NN") return std::nullopt;  // the PC program's answer
          s.ackCode = "GG";
          s.nakCode = "NN";
        } else if (split.start == ACK || split.start == NAK) {
          return std::nullopt;  // the PC program's answer
        }
        if (split.format == 2) s.blockNo = split.blockNo;

        trap.section(4);
        Outcome out = (this->*checker)(frame, split);
        if (out.kind == Outcome::IgnoreStation) {
          stationMismatch(frame, split);
          return std::nullopt;
        }
        // What is left runs after the message wait, under the same trap.
        return Deferred{messageWaitMs(split.waitChar), [this, label, stamp, frame, out = std::move(out)] {
                          guarded(ctx_.state.errors, label, [&](ErrorTrap& t) {
                            t.section(21);
                            if (out.kind == Outcome::Reject) sendError(stamp, frame, out.rejection);
                            else execute(stamp, out.request);
                          });
                        }};
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
      return Rejection{"06", {"ビットデータ: &h" + std::string(data) + " 書込のデータが２進数以外になっています"},
                       std::string(kErr06Area) + "書込のデータが異常です", ""};
  }
  return std::nullopt;
}

RequestProcessor::Outcome RequestProcessor::check(const FrameTexts& frame, const SplitRequest& split) {
  const LinkSettings& s = ctx_.settings;
  const std::string& f = frame.raw;
  const auto len = static_cast<std::int64_t>(f.size());
  Outcome out;
  auto refuse = [](std::string code, std::string detail, std::string line) {
    return rejected({std::move(code), {std::move(detail)}, std::move(line), ""});
  };

  // Terminator (formats 3 and 4).
  if (!split.terminator.empty() && f.find(split.terminator) == std::string::npos)
    return refuse("03",
                  s.keisiki + "の終端文字は、 " + (split.format == 3 ? "[ ETX ]" : "[ CRLF ]") + ":&H" +
                      hexNoPad(static_cast<unsigned char>(split.terminator[0])) + " です",
                  "Error:03H プロトコルエラーです 終端文字が一致していません");

  // Start character.
  if (split.start != (split.format == 3 ? STX : ENQ))
    return refuse("03", s.keisiki + "開始文字:&H" + hexNoPad(static_cast<unsigned char>(split.start)),
                  "Error:03H プロトコルエラーです 開始文字が一致していません");

  // Sum check: everything after the start character up to the sum; in
  // format 4 the CR LF after the sum is not part of it.
  if (s.sumOn()) {
    const std::int64_t k = split.format == 4 ? 4 : 2;
    if (len - k + 1 < 1) throw RuntimeError(kErrInvalidCall);  // no room for a sum at all
    const std::string received(midText(f, len - k + 1, 2));
    unsigned sum = 0;
    for (std::int64_t i = 2; i <= len - k; ++i) sum += static_cast<unsigned char>(f[static_cast<std::size_t>(i - 1)]);
    if (static_cast<unsigned>(readRadix(received, 16)) != (sum & 0xFF))
      return rejected({"02", {"受信したコード = &h" + received, "計算したコード = &h" + hex2(sum)},
                     "Error:02H サムチェック エラーです", ""});
  }

  // Station number: a request for another station is not ours to answer.
  if (split.station != s.kyokuNo) {
    out.kind = Outcome::IgnoreStation;
    return out;
  }

  const CommandInfo* cmd = classify(s, split);
  if (!cmd) return rejected(commandRejection(s, split.command));
  Request& req = out.request;
  req.split = split;
  req.cmd = cmd;
  const int w = cmd->width();
  const int a = split.areaStart;
  const DevRangeTable& table = rangesOf(*cmd);

  if (cmd->cls == CmdClass::Monitor) {
    const std::int64_t expectedEnd = split.commandPos + (s.sumOn() ? 5 : 3) +
                                     static_cast<std::int64_t>(s.framing.reqTail.size() + s.framing.lineEnd.size());
    if (len >= expectedEnd) return refuse("03", "キャラクター部が余計です。", kErr03Protocol);
    if (ctx_.lists.MoniBitList[0].deviceText.empty() && ctx_.lists.MoniWordList[0].deviceText.empty())
      return refuse("03", "モニター登録されていません", kErr03Protocol);
  } else {
    const bool isList = listed(*cmd);
    req.points = pointsValue(midText(f, isList ? a : a + w, 2));
    const std::string pts = std::to_string(req.points);

    ParsedList list;
    if (isList) {
      if (req.points > cmd->classLimit())
        return refuse("06", "処理点数 = " + pts, std::string(kErr06Area) + "許容処理点数オーバーです");
      if (auto why = parseEntries(f, *cmd, a, true, list)) return rejected(*why);
      if (static_cast<int>(list.parsed) != req.points)
        return refuse("06", "処理点数:" + pts + " データ数:" + std::to_string(list.parsed),
                      std::string(kErr06Area) + "処理点数とデータ数が一致しません");
    }

    // Device checks, in order: the start device, or every entry.
    const std::size_t count = isList ? list.parsed : 1;
    for (std::size_t i = 0; i < count; ++i) {
      const DeviceRef d = lookupDevice(isList ? std::string_view(list.entries[i].deviceText) : midText(f, a, w), table);
      if (!d.inRange) return rejected(rangeRejection(d.text));
      if (isList) {
        list.entries[i].code = d.code;
        list.entries[i].number = d.number;
        list.entries[i].isBit = d.isBit;
      } else {
        req.device = d;
      }
      if (!deviceDigitsValid(d)) return refuse("06", d.text, std::string(kErr06Wide) + "アドレスが、異常です");
      if (!cmd->wordUnit && !d.isBit)
        return refuse("06", d.text, std::string(kErr06Wide) + "ワードデバイスにはアクセスできません");
      if (cmd->wordUnit && d.isBit && d.alignNumber() % 16 != 0)
        return refuse("06", d.text, std::string(kErr06Wide) + "１６で割り切れません");
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
      if (!ok) return refuse("06", d.text + " - " + end, std::string(kErr06Wide) + "終了アドレスが、範囲外です");
    }

    const int limit = isList ? cmd->classLimit() : (req.device.isBit ? cmd->bitLimit : cmd->wordLimit);
    if (req.points > limit)
      return refuse("06", "処理点数 = " + pts, std::string(kErr06Wide) + "許容処理点数オーバーです");

    if (cmd->cls == CmdClass::BatchWrite) {
      req.data = writeData(f, split, w);
      if (req.data.size() != static_cast<std::size_t>(cmd->wordUnit ? req.points * 4 : req.points))
        return rejected(writeCountRejection(req.points));
      if (!cmd->wordUnit && req.data.find_first_not_of("01") != std::string::npos)
        return refuse("06", "書込のデータが２進数以外になっています", std::string(kErr06Wide) + "書込のデータが異常です");
    }
    if (cmd->cls == CmdClass::BatchRead && len - split.trailerLen != a + w + 1)
      return refuse("06", "キャラクター部が、長すぎるか短すぎます",
                    std::string(kErr06Wide) + "データレングスが一致しません");
  }

  // PC number, the last check.
  if (split.pcNo != s.pcNo) return rejected({"10", {}, "Error:10H ＰＣ番号エラー", s.pcNo + " <> " + split.pcNo});
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
RequestProcessor::Outcome RequestProcessor::checkNothing(const FrameTexts& frame, const SplitRequest& split) {
  const LinkSettings& s = ctx_.settings;
  const std::string& f = frame.raw;
  Outcome out;
  const CommandInfo* cmd = classify(s, split);
  if (!cmd) return rejected(commandRejection(s, split.command));
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
    std::optional<std::string> missing;
    for (std::size_t i = 0; i < static_cast<std::size_t>(req.points); ++i) {
      LinkListEntry& e = list.entries[i];
      const DeviceRef d = lookupDevice(e.deviceText, table);
      e.code = d.code;
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

void RequestProcessor::stationMismatch(const FrameTexts& frame, const SplitRequest& split) {
  const LinkSettings& s = ctx_.settings;
  const std::string report = "<" + logText(frame.raw) + "> " + CRLF + logText(frame.replaced) + CRLF + frame.hex +
                             CRLF + s.kyokuNo + " <> " + split.station + CRLF;
  if (ctx_.log.fileOpen()) {
    ctx_.log.filePrint("【局番号不一致】 : " + report);
    ctx_.log.filePrint(std::string("無応答 : ") + CRLF);
  }
  if (s.chkLogDsp) {
    ctx_.log.subDsp_CommLog("【局番号不一致】 : " + report, "", "", "");
    ctx_.log.subDsp_CommLog(std::string("無応答 : ") + CRLF, "", "", "");
  }
  ask(report + "局番号不一致です、コマンドは無視されます" + CRLF + kAskClose, "通信電文異常");
}

void RequestProcessor::sendError(const std::string& stamp, const FrameTexts& frame, const Rejection& why) {
  const LinkSettings& s = ctx_.settings;
  const Framing& fr = s.framing;
  const std::string reply = fr.nakHead + s.blockNo + s.kyokuNo + s.pcNo + s.nakCode + why.code + fr.nakTail + fr.lineEnd;
  const std::string report = reportText(frame, why);
  // An error reply leaves lblSnd as it was.
  ctx_.port.output(reply);
  if (ctx_.log.fileOpen()) ctx_.log.filePrint("【否定応答 受信電文】 : " + report);
  if (s.chkLogDsp) ctx_.log.subDsp_CommLog("【否定応答 受信電文】 : " + report, "", "", "");
  logSent(stamp, reply);
  ask(report + CRLF + kAskClose, "通信電文異常");
}

void RequestProcessor::sendReply(const std::string& stamp, const std::string& reply) {
  ctx_.port.output(reply);
  logSent(stamp, reply);
  ctx_.settings.setLabel(ctx_.settings.lblSnd, reply);
}

void RequestProcessor::logSent(const std::string& stamp, const std::string& reply) {
  const FrameTexts t = renderFrame(reply);
  if (ctx_.log.fileOpen()) {
    ctx_.log.filePrint(stamp + "送信");
    ctx_.log.filePrint(logText(t.raw));
    ctx_.log.filePrint(logText(t.replaced));
    ctx_.log.filePrint(t.hex);
    ctx_.log.filePrint("");
  }
  if (ctx_.settings.chkLogDsp) ctx_.log.subDsp_CommLog("送信 : ", logText(t.raw), logText(t.replaced), t.hex);
}

void RequestProcessor::sendData(const std::string& stamp, const std::string& data) {
  const LinkSettings& s = ctx_.settings;
  std::string reply = s.framing.dataHead + s.blockNo + s.kyokuNo + s.pcNo + data + s.framing.dataTail;
  if (s.sumOn()) {
    unsigned sum = 0;
    for (std::size_t i = 1; i < reply.size(); ++i) sum += static_cast<unsigned char>(reply[i]);
    reply += hex2(sum);
  }
  sendReply(stamp, reply + s.framing.lineEnd);
}

void RequestProcessor::sendAck(const std::string& stamp) {
  const LinkSettings& s = ctx_.settings;
  sendReply(stamp, s.framing.ackHead + s.blockNo + s.kyokuNo + s.pcNo + s.ackCode + s.framing.ackTail + s.framing.lineEnd);
}

void RequestProcessor::ask(const std::string& text, const std::string& title) {
  if (ctx_.settings.chkViewAlert) return;
  if (ctx_.presenter.message(text, title, MsgIcon::Exclamation, MsgButtons::YesNo) == MsgAnswer::Yes) {
    if (ctx_.closePort) ctx_.closePort();
  } else {
    discardInput();
  }
}

void RequestProcessor::discardInput() {
  while (ctx_.port.portOpen() && ctx_.port.inBufferCount() > 0) ctx_.port.input();
}

// Storage of one device: the kind's own array, or the special one for D and
// M numbers from 9000.  The decision is taken on the number given, which for
// a batch is the start device, and the rest of the batch follows in that
// storage.
RequestProcessor::Cell RequestProcessor::cell(int storageKind, std::int32_t number) {
  DeviceMemory& m = ctx_.state.memory;
  if (storageKind < 0) throw RuntimeError(kErrSubscript);
  const std::int64_t pos = std::int64_t{number} - m.firstNumber(storageKind);
  auto& words = m.words(storageKind);
  const std::int64_t index = isWordKind(storageKind) ? pos : (pos < 0 ? -1 : pos / 16);
  if (index < 0 || index >= static_cast<std::int64_t>(words.size())) throw RuntimeError(kErrSubscript);
  return {words[static_cast<std::size_t>(index)], static_cast<int>(isWordKind(storageKind) ? 0 : pos % 16)};
}

int RequestProcessor::storageOf(const std::string& code, std::int32_t number) {
  const int k = kindOfCode(code);
  if (k == kD && number >= 9000) return kDx;
  if (k == kM && number >= 9000) return kMx;
  return k;
}

namespace {
bool bitOf(const std::int16_t& word, int bit) {
  return (static_cast<std::uint16_t>(word) & BitMask[static_cast<std::size_t>(bit)]) != 0;
}
void setBitOf(std::int16_t& word, int bit, bool on) {
  const auto u = static_cast<std::uint16_t>(word);
  const auto b = static_cast<std::size_t>(bit);
  word = static_cast<std::int16_t>(on ? (u | BitMask[b]) : (u & BitClearMask[b]));
}
}  // namespace

// Executes a request that passed its checks.  The access follows the device:
// a word device is always read and written in words; a bit device in bits
// for bit-unit commands and in words of sixteen devices for word-unit
// commands.  Every device the request touches is located before anything is
// written, so a request that runs out of storage fails as a whole.
void RequestProcessor::execute(const std::string& stamp, const Request& req) {
  const CommandInfo& cmd = *req.cmd;
  const DeviceRef& d = req.device;
  LinkLists& lists = ctx_.lists;
  auto renew = [this](const char* device) {
    if (ctx_.subDspRenew) ctx_.subDspRenew(device, "DATA");
  };
  const bool words = cmd.wordUnit || !d.isBit;
  const int step = (cmd.wordUnit && d.isBit) ? 16 : 1;
  const int storage = d.storageKind();
  auto batch = [&](int i) { return cell(storage, d.number + i * step); };

  switch (cmd.cls) {
    case CmdClass::BatchRead: {
      std::string data;
      for (int i = 0; i < req.points; ++i) {
        const Cell c = batch(i);
        data += words ? hex4(c.word) : (bitOf(c.word, c.bit) ? "1" : "0");
      }
      sendData(stamp, data);
      break;
    }
    case CmdClass::BatchWrite: {
      if (req.points > 0) batch(req.points - 1);  // the whole span exists
      for (int i = 0; i < req.points; ++i) {
        const Cell c = batch(i);
        if (words) {
          c.word = static_cast<std::int16_t>(readRadix(std::string_view(req.data).substr(static_cast<std::size_t>(i) * 4, 4), 16));
        } else {
          const char bit = req.data[static_cast<std::size_t>(i)];
          if (bit == '0' || bit == '1') setBitOf(c.word, c.bit, bit == '1');  // other characters change nothing
        }
      }
      renew("All");
      sendAck(stamp);
      break;
    }
    case CmdClass::Test: {
      const auto& list = cmd.wordUnit ? lists.TestWordList : lists.TestBitList;
      const std::size_t n = std::min(static_cast<std::size_t>(req.points), list.size());
      for (std::size_t i = 0; i < n; ++i) cell(storageOf(list[i].code, list[i].number), list[i].number);
      for (std::size_t i = 0; i < n; ++i) {
        const LinkListEntry& e = list[i];
        const int k = storageOf(e.code, e.number);
        const Cell c = cell(k, e.number);
        if (cmd.wordUnit) c.word = static_cast<std::int16_t>(e.value);
        else if (e.value == 0 || e.value == 1) {
          if (isWordKind(k)) c.word = static_cast<std::int16_t>(e.value);
          else setBitOf(c.word, c.bit, e.value == 1);
        }
      }
      renew("All");
      sendAck(stamp);
      break;
    }
    case CmdClass::MonitorReg:
      renew("UniUsr");
      sendAck(stamp);
      break;
    case CmdClass::Monitor: {
      std::string data;
      auto walk = [&](const auto& list) {
        for (const auto& e : list) {
          if (e.code.empty()) break;
          const int k = storageOf(e.code, e.number);
          const Cell c = cell(k, e.number);
          data += (cmd.wordUnit || isWordKind(k)) ? hex4(c.word) : (bitOf(c.word, c.bit) ? "1" : "0");
        }
      };
      if (cmd.wordUnit) walk(lists.MoniWordList);
      else walk(lists.MoniBitList);
      sendData(stamp, data);
      break;
    }
  }
}

}  // namespace omb
