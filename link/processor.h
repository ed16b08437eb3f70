// The request processors: the checking processor subCmnd and the unchecked
// processor subCmnd_NoCheck.  Both check (or not) a frame and decide what
// follows: nothing, a question to ask now, or a reply after the message wait
// the request asks for.  act() then executes the request and builds the
// reply.  The processor never touches the line and never opens a box: the
// engine sends what it hands back and raises its questions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "link/fault_injector.h"
#include "link/framing.h"
#include "link/link_context.h"
#include "link/protocol.h"
#include "link/request.h"

namespace omb {

// The codes of the request being answered, echoed in its reply.  The
// line-error replies use those of the last request.
struct ReplyHeader {
  std::string blockNo;  // m_BlockNo: block number of a format-2 request
  std::string ackCode;  // m_AckCode: "GG" in format 3
  std::string nakCode;  // m_NakCode: "NN" in format 3
};

// A request that passed its checks, ready to execute.  Its texts are views
// into the frame the processor keeps.
struct Request {
  SplitRequest split;
  const CommandInfo* cmd = nullptr;
  DeviceRef device;  // batch commands: the start device
  int points = 0;
  std::string_view data;  // batch write: the write data
};

// Why a request is refused: the detail lines of its report, its error line
// and the error code of the reply.
struct Rejection {
  std::string code;
  std::vector<std::string> details;
  std::string errorLine;
  std::string pcLine;  // set for a PC-number error, whose report is ordered differently
};

// The computer link's command sets (ACPU and AnACPU, formats 1-4) behind
// the engine's protocol boundary.
class RequestProcessor : public Protocol {
 public:
  explicit RequestProcessor(LinkContext& ctx) : ctx_(ctx) {}

  // --- the protocol boundary ---
  bool frameStart(char c) const override;
  bool endsFrame(char c) const override { return c == STX || c == ENQ || c == ACK || c == NAK; }
  std::string startNames() const override;
  // The checking processor, or the unchecked one in unchecked mode.
  Verdict handle(std::string_view frame, bool invalid) override {
    return ctx_.settings.config.unchecked ? subCmnd_NoCheck(frame, invalid) : subCmnd(frame, invalid);
  }
  std::string lineErrorReply(std::string_view code) const override;

  // One frame through every check.
  Verdict subCmnd(std::string_view raw, bool invalid);
  Verdict subCmnd(const FrameTexts& frame) { return subCmnd(frame.raw, frame.invalid); }
  // One frame with almost no checks (unchecked mode).
  Verdict subCmnd_NoCheck(std::string_view raw, bool invalid);
  Verdict subCmnd_NoCheck(const FrameTexts& frame) { return subCmnd_NoCheck(frame.raw, frame.invalid); }

  // Executes what the last verdict promised and builds its reply.  A
  // run-time failure is reported under the processor's name and answers
  // nothing.
  Reply act() override;

  // Instead of act(): nothing is executed and a negative reply with `code`
  // is built for the request (an injected fault).
  Reply nakReply(std::string_view code) override;
  // What the fault rules match on: the command and, for a request that
  // passed its checks, the devices it touches.
  FaultSubject faultSubject() const override;

  const ReplyHeader& header() const { return header_; }
  // The trap label of the last frame ("frmMain.subCmnd() " or
  // "frmMain.subCmnd_NoCheck() "): sending its reply fails under it.
  const char* label() const override { return label_; }
  // When the last frame was taken up ("[hh:nn:ss] " of its log entries);
  // kept only while something logs.
  const DateTime& stamp() const override { return stamp_; }

 private:
  struct Outcome {
    enum Kind { Execute, Reject, IgnoreStation } kind = Execute;
    Request request;
    Rejection rejection;
  };
  using Checker = Outcome (RequestProcessor::*)(const SplitRequest&);
  Verdict process(std::string_view raw, bool invalid, const char* label, Checker checker);
  Outcome check(const SplitRequest& split);
  Outcome checkNothing(const SplitRequest& split);
  static Outcome rejected(Rejection why);
  const DevRangeTable& rangesOf(const CommandInfo& cmd) const;
  bool logging() const;

  // The list a test or monitor registration fills, and how many entries the
  // frame held.
  struct ParsedList {
    LinkListEntry* entries = nullptr;
    std::size_t size = 0;
    std::size_t parsed = 0;
  };
  std::optional<Rejection> parseEntries(std::string_view frame, const CommandInfo& cmd, int areaStart,
                                        bool checkBitValues, ParsedList& out);
  Reply execute(const Request& req);
  Reply errorReply(const Rejection& why);
  Reply dataReply();
  Reply ackReply();
  std::optional<Question> stationMismatch(const SplitRequest& split);
  std::optional<Question> question(const std::string& text) const;
  FrameTexts texts() const;

  // Storage of one device; a number outside storage raises the subscript
  // error.
  DeviceLocation cell(int storageKind, std::int32_t number) const;

  LinkContext& ctx_;
  std::string frame_;  // the frame being answered; requests hold views into it
  bool invalid_ = false;
  const char* label_ = "frmMain.subCmnd() ";
  DateTime stamp_;
  ReplyHeader header_;
  Outcome pending_;
  std::string reply_;  // the reply being built, reused
};

// "<raw>", replaced, hex, the detail lines and the error line, CR LF between.
std::string reportText(const FrameTexts& frame, const Rejection& why);

}  // namespace omb
