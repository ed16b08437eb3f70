#include "link/processor.h"

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

std::optional<Deferred> RequestProcessor::subCmnd(const FrameTexts& frame) {
  return guarded<std::optional<Deferred>>(
      ctx_.state.errors, "frmMain.subCmnd() ", std::nullopt,
      [&](ErrorTrap& trap) -> std::optional<Deferred> {
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
        Outcome out = check(frame, split);
        if (out.kind == Outcome::IgnoreStation) {
          stationMismatch(frame, split);
          return std::nullopt;
        }
        const int wait = messageWaitMs(split.waitChar);
        if (out.kind == Outcome::Reject)
          return Deferred{wait, [this, stamp, frame, why = out.rejection] { sendError(stamp, frame, why); }};
        return Deferred{wait, [this, stamp, req = out.request] {
                          guarded(ctx_.state.errors, "frmMain.subCmnd() ",
                                  [&](ErrorTrap& t) {
                                    t.section(21);
                                    execute(stamp, req);
                                  });
                        }};
      });
}

RequestProcessor::Outcome RequestProcessor::check(const FrameTexts& frame, const SplitRequest& split) {
  const LinkSettings& s = ctx_.settings;
  const std::string& f = frame.raw;
  const auto len = static_cast<std::int64_t>(f.size());
  Outcome out;
  auto reject = [&out](std::string code, std::vector<std::string> details, std::string line) -> Outcome& {
    out.kind = Outcome::Reject;
    out.rejection = {std::move(code), std::move(details), std::move(line), ""};
    return out;
  };

  // Terminator (formats 3 and 4).
  if (!split.terminator.empty() && f.find(split.terminator) == std::string::npos)
    return reject("03",
                  {s.keisiki + "の終端文字は、 " + (split.format == 3 ? "[ ETX ]" : "[ CRLF ]") + ":&H" +
                   hexNoPad(static_cast<unsigned char>(split.terminator[0])) + " です"},
                  "Error:03H プロトコルエラーです 終端文字が一致していません");

  // Start character.
  if (split.start != (split.format == 3 ? STX : ENQ))
    return reject("03", {s.keisiki + "開始文字:&H" + hexNoPad(static_cast<unsigned char>(split.start))},
                  "Error:03H プロトコルエラーです 開始文字が一致していません");

  // Sum check: everything after the start character up to the sum; in
  // format 4 the CR LF after the sum is not part of it.
  if (s.sumOn()) {
    const std::int64_t k = split.format == 4 ? 4 : 2;
    if (len - k + 1 < 1) throw RuntimeError(kErrInvalidCall);  // no room for a sum at all
    const std::string received(midText(f, len - k + 1, 2));
    unsigned sum = 0;
    for (std::int64_t i = 2; i <= len - k; ++i) sum += static_cast<unsigned char>(f[static_cast<std::size_t>(i - 1)]);
    const std::string computed = hex2(sum);
    if (static_cast<unsigned>(readRadix(received, 16)) != (sum & 0xFF))
      return reject("02", {"受信したコード = &h" + received, "計算したコード = &h" + computed},
                    "Error:02H サムチェック エラーです");
  }

  // Station number: a request for another station is not ours to answer.
  if (split.station != s.kyokuNo) {
    out.kind = Outcome::IgnoreStation;
    return out;
  }

  // Command.
  const CommandInfo* cmd = findCommand(split.command);
  if (!cmd || (cmd->anAcpuSet && s.cpuType != "AnACPU"))
    return reject("06", {s.cpuType + " <" + split.command + ">"}, std::string(kErr06Area) + "コマンド異常です");
  const int w = cmd->width();
  const int a = split.areaStart;
  const DevRangeTable& table = cmd->anAcpuSet ? ctx_.state.range7 : ctx_.state.range5;
  Request& req = out.request;
  req.split = split;
  req.cmd = cmd;

  if (cmd->cls == CmdClass::Monitor) {
    const std::int64_t expectedEnd = split.commandPos + (s.sumOn() ? 5 : 3) +
                                     static_cast<std::int64_t>(s.framing.reqTail.size() + s.framing.lineEnd.size());
    if (len >= expectedEnd) return reject("03", {"キャラクター部が余計です。"}, kErr03Protocol);
    if (ctx_.lists.MoniBitList[0].deviceText.empty() && ctx_.lists.MoniWordList[0].deviceText.empty())
      return reject("03", {"モニター登録されていません"}, kErr03Protocol);
  } else {
    const bool listed = cmd->cls == CmdClass::Test || cmd->cls == CmdClass::MonitorReg;
    req.points = pointsValue(midText(f, listed ? a : a + w, 2));
    const std::string pts = std::to_string(req.points);

    // The devices to check: the start device, or the entries of a list.
    std::vector<LinkListEntry*> entries;
    if (listed) {
      if (req.points > cmd->classLimit())
        return reject("06", {"処理点数 = " + pts}, std::string(kErr06Area) + "許容処理点数オーバーです");
      LinkListEntry* list;
      std::size_t size;
      int dataLen = 0;
      if (cmd->cls == CmdClass::Test) {
        clearDeviceTexts(ctx_.lists.TestBitList);
        clearDeviceTexts(ctx_.lists.TestWordList);
        list = cmd->wordUnit ? ctx_.lists.TestWordList.data() : ctx_.lists.TestBitList.data();
        size = 20;
        dataLen = cmd->wordUnit ? 4 : 1;
      } else if (cmd->wordUnit) {
        clearList(ctx_.lists.MoniWordList);
        list = ctx_.lists.MoniWordList.data();
        size = ctx_.lists.MoniWordList.size();
      } else {
        clearList(ctx_.lists.MoniBitList);
        list = ctx_.lists.MoniBitList.data();
        size = ctx_.lists.MoniBitList.size();
      }
      for (std::size_t i = 0; i < size; ++i) {
        const std::int64_t pos = a + 2 + static_cast<std::int64_t>(i) * (w + dataLen);
        const std::string_view dev = midText(f, pos, w);
        if (static_cast<int>(dev.size()) < w) break;
        const std::string_view data = midText(f, pos + w, dataLen);
        if (static_cast<int>(data.size()) < dataLen) break;
        list[i].deviceText = std::string(dev);
        if (dataLen > 0) list[i].value = readRadix(data, 16);
        if (cmd->cls == CmdClass::Test && !cmd->wordUnit && list[i].value >= 2)
          return reject("06", {"ビットデータ: &h" + std::string(data) + " 書込のデータが２進数以外になっています"},
                        std::string(kErr06Area) + "書込のデータが異常です");
        entries.push_back(&list[i]);
      }
      if (static_cast<int>(entries.size()) != req.points)
        return reject("06", {"処理点数:" + pts + " データ数:" + std::to_string(entries.size())},
                      std::string(kErr06Area) + "処理点数とデータ数が一致しません");
    }

    // Device checks, in order.
    const std::size_t count = listed ? entries.size() : 1;
    for (std::size_t i = 0; i < count; ++i) {
      const DeviceRef d = lookupDevice(listed ? std::string_view(entries[i]->deviceText) : midText(f, a, w), table);
      if (!d.inRange)
        return reject("06", {"アドレス:" + d.text}, std::string(kErr06Area) + "開始アドレスが範囲外です");
      if (listed) {
        entries[i]->code = d.code;
        entries[i]->number = d.number;
        entries[i]->isBit = d.isBit;
      } else {
        req.device = d;
      }
      if (!deviceDigitsValid(d)) return reject("06", {d.text}, std::string(kErr06Wide) + "アドレスが、異常です");
      if (!cmd->wordUnit && !d.isBit)
        return reject("06", {d.text}, std::string(kErr06Wide) + "ワードデバイスにはアクセスできません");
      if (cmd->wordUnit && d.isBit && d.alignNumber() % 16 != 0)
        return reject("06", {d.text}, std::string(kErr06Wide) + "１６で割り切れません");
    }

    const bool batch = !listed;
    if (batch) {
      const DeviceRef& d = req.device;
      const std::int64_t span = (cmd->wordUnit && d.isBit) ? std::int64_t{req.points - 1} * 16 : req.points - 1;
      const std::string end = endText(d, static_cast<std::int32_t>(d.number + span));
      const DevRange& own = table[static_cast<std::size_t>(d.kind)];
      bool ok = !(end > own.lastText);
      if (!ok && (d.kind == kD || d.kind == kM)) {
        const DevRange& sp = table[static_cast<std::size_t>(d.kind == kD ? kDx : kMx)];
        ok = sp.firstText <= end && end <= sp.lastText;
      }
      if (!ok) return reject("06", {d.text + " - " + end}, std::string(kErr06Wide) + "終了アドレスが、範囲外です");
    }

    const int limit = batch ? (req.device.isBit ? cmd->bitLimit : cmd->wordLimit) : cmd->classLimit();
    if (req.points > limit)
      return reject("06", {"処理点数 = " + pts}, std::string(kErr06Wide) + "許容処理点数オーバーです");

    if (cmd->cls == CmdClass::BatchWrite) {
      const std::int64_t from = a + w + 2;
      req.data = std::string(midText(f, from, len - split.trailerLen - from + 1));
      const std::size_t expected = static_cast<std::size_t>(cmd->wordUnit ? req.points * 4 : req.points);
      if (req.data.size() != expected)
        return reject("06", {"書込数 = " + pts}, std::string(kErr06Wide) + "書込のデータ数が一致しません");
      if (!cmd->wordUnit && req.data.find_first_not_of("01") != std::string::npos)
        return reject("06", {"書込のデータが２進数以外になっています"},
                      std::string(kErr06Wide) + "書込のデータが異常です");
    }
    if (cmd->cls == CmdClass::BatchRead && len - split.trailerLen != a + w + 1)
      return reject("06", {"キャラクター部が、長すぎるか短すぎます"},
                    std::string(kErr06Wide) + "データレングスが一致しません");
  }

  // PC number, the last check.
  if (split.pcNo != s.pcNo) {
    out.kind = Outcome::Reject;
    out.rejection = {"10", {}, "Error:10H ＰＣ番号エラー", s.pcNo + " <> " + split.pcNo};
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
  ctx_.settings.lblSnd = reply;
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

std::int16_t& RequestProcessor::word(int kind, std::int32_t number) {
  int k = kind;
  if (k == kD && number >= 9000) k = kDx;
  if (k == kM && number >= 9000) k = kMx;
  DeviceMemory& m = ctx_.state.memory;
  const std::int64_t pos = std::int64_t{number} - m.firstNumber(k);
  const std::int64_t index = isWordKind(k) ? pos : (pos < 0 ? -1 : pos / 16);
  auto& words = m.words(k);
  if (index < 0 || index >= static_cast<std::int64_t>(words.size())) throw RuntimeError(kErrSubscript);
  return words[static_cast<std::size_t>(index)];
}

bool RequestProcessor::readBit(int kind, std::int32_t number) {
  const std::int16_t w = word(kind, number);
  const int first = ctx_.state.memory.firstNumber(kind == kM && number >= 9000 ? kMx : kind);
  return (static_cast<std::uint16_t>(w) & BitMask[static_cast<std::size_t>((number - first) % 16)]) != 0;
}

void RequestProcessor::writeBit(int kind, std::int32_t number, bool on) {
  std::int16_t& w = word(kind, number);
  const int first = ctx_.state.memory.firstNumber(kind == kM && number >= 9000 ? kMx : kind);
  const auto b = static_cast<std::size_t>((number - first) % 16);
  const auto u = static_cast<std::uint16_t>(w);
  w = static_cast<std::int16_t>(on ? (u | BitMask[b]) : (u & BitClearMask[b]));
}

void RequestProcessor::execute(const std::string& stamp, const Request& req) {
  const CommandInfo& cmd = *req.cmd;
  const DeviceRef& d = req.device;
  LinkLists& lists = ctx_.lists;
  auto renew = [this](const char* device) {
    if (ctx_.subDspRenew) ctx_.subDspRenew(device, "DATA");
  };
  switch (cmd.cls) {
    case CmdClass::BatchRead: {
      std::string data;
      if (!cmd.wordUnit) {
        for (int i = 0; i < req.points; ++i) data += readBit(d.kind, d.number + i) ? '1' : '0';
      } else {
        const int step = d.isBit ? 16 : 1;
        for (int i = 0; i < req.points; ++i) data += hex4(word(d.kind, d.number + i * step));
      }
      sendData(stamp, data);
      break;
    }
    case CmdClass::BatchWrite: {
      for (int i = 0; i < req.points; ++i) {
        if (!cmd.wordUnit) {
          const char c = req.data[static_cast<std::size_t>(i)];
          if (c == '0' || c == '1') writeBit(d.kind, d.number + i, c == '1');
        } else {
          const auto value = readRadix(std::string_view(req.data).substr(static_cast<std::size_t>(i) * 4, 4), 16);
          word(d.kind, d.number + i * (d.isBit ? 16 : 1)) = static_cast<std::int16_t>(value);
        }
      }
      renew("All");
      sendAck(stamp);
      break;
    }
    case CmdClass::Test: {
      const auto& list = cmd.wordUnit ? lists.TestWordList : lists.TestBitList;
      for (int i = 0; i < req.points && i < static_cast<int>(list.size()); ++i) {
        const LinkListEntry& e = list[static_cast<std::size_t>(i)];
        const int kind = kindOfCode(e.code);
        if (kind < 0) throw RuntimeError(kErrSubscript);
        if (!cmd.wordUnit) {
          if (e.value == 0 || e.value == 1) writeBit(kind, e.number, e.value == 1);
        } else {
          word(kind, e.number) = static_cast<std::int16_t>(e.value);
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
          const int kind = kindOfCode(e.code);
          if (!cmd.wordUnit) data += readBit(kind, e.number) ? '1' : '0';
          else data += hex4(word(kind, e.number));
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
