// The request processors: the checking processor subCmnd and the unchecked
// processor subCmnd_NoCheck.  Both check (or not), decide the reply, and
// hand back what remains to be done after the message wait the request
// asks for; the receive state machine runs it when the wait is over.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/framing.h"
#include "link/link_context.h"
#include "link/request.h"

namespace omb {

// Work left for after the message wait.
struct Deferred {
  int waitMs = 0;
  std::function<void()> act;
};

// A request that passed its checks, ready to execute.
struct Request {
  SplitRequest split;
  const CommandInfo* cmd = nullptr;
  DeviceRef device;   // batch commands: the start device
  int points = 0;
  std::string data;   // batch write: the write data
};

// Why a request is refused: the detail lines of its report, its error line
// and the error code of the reply.
struct Rejection {
  std::string code;
  std::vector<std::string> details;
  std::string errorLine;
  std::string pcLine;  // set for a PC-number error, whose report is ordered differently
};

class RequestProcessor {
 public:
  explicit RequestProcessor(LinkContext& ctx) : ctx_(ctx) {}

  // One frame through every check; empty when nothing is left to do.
  std::optional<Deferred> subCmnd(const FrameTexts& frame);
  // One frame with almost no checks (unchecked mode).
  std::optional<Deferred> subCmnd_NoCheck(const FrameTexts& frame);

  // Reads and drops everything waiting in the input buffer.
  void discardInput();

 private:
  struct Outcome;
  using Checker = Outcome (RequestProcessor::*)(const FrameTexts&, const SplitRequest&);
  std::optional<Deferred> process(const FrameTexts& frame, const char* label, Checker checker);
  Outcome check(const FrameTexts& frame, const SplitRequest& split);
  Outcome checkNothing(const FrameTexts& frame, const SplitRequest& split);
  static Outcome rejected(Rejection why);
  const DevRangeTable& rangesOf(const CommandInfo& cmd) const;

  // The list a test or monitor registration fills, and how many entries the
  // frame held.
  struct ParsedList {
    LinkListEntry* entries = nullptr;
    std::size_t size = 0;
    std::size_t parsed = 0;
  };
  std::optional<Rejection> parseEntries(std::string_view frame, const CommandInfo& cmd, int areaStart,
                                        bool checkBitValues, ParsedList& out);
  void execute(const std::string& stamp, const Request& req);
  void sendError(const std::string& stamp, const FrameTexts& frame, const Rejection& why);
  void sendData(const std::string& stamp, const std::string& data);
  void sendAck(const std::string& stamp);
  void sendReply(const std::string& stamp, const std::string& reply);
  void logSent(const std::string& stamp, const std::string& reply);
  void stationMismatch(const FrameTexts& frame, const SplitRequest& split);
  void ask(const std::string& text, const std::string& title);

  // The storage word of a device and its bit; a number outside storage
  // raises the subscript error.
  struct Cell {
    std::int16_t& word;
    int bit;
  };
  Cell cell(int storageKind, std::int32_t number);
  static int storageOf(const std::string& code, std::int32_t number);

  LinkContext& ctx_;
};

// "<raw>", replaced, hex, the detail lines and the error line, CR LF between.
std::string reportText(const FrameTexts& frame, const Rejection& why);

}  // namespace omb
