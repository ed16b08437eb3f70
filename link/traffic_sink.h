// Where the engine's traffic records go: the on-screen log and the
// traffic-log file.  All texts are UTF-8; the file writer converts.
#pragma once

#include <string>
#include <string_view>

namespace omb {

class TrafficSink {
 public:
  virtual ~TrafficSink() = default;
  // One on-screen entry: kind "受信 : " or "送信 : " with the three
  // renderings, or any other kind written as a plain line.
  virtual void subDsp_CommLog(const std::string& kind, const std::string& raw,
                              const std::string& replaced, const std::string& hex) = 0;
  // Text inserted into the on-screen log as it stands, outside any entry.
  virtual void screenInsert(const std::string& text) = 0;
  // Whether a traffic-log file is open (m_LogFileNo not 0).
  virtual bool fileOpen() const = 0;
  // Writes `text` and CR LF to the traffic-log file when one is open.
  virtual void filePrint(const std::string& text) = 0;
  // A line error: "【Comm Port 異常】 : " and `message` (its texts each ended
  // by CR LF) to the file with a time stamp, and to the screen as a plain
  // line when the on-screen log is on.
  virtual void lineError(const std::string& message) = 0;
  // A note about the line rather than a frame (a client coming or going, an
  // injected fault): "【" message "】" with a time stamp.
  virtual void note(const std::string& message) { (void)message; }
  // The reading of a frame for the traffic-log file, when the file is to
  // carry readings; empty otherwise.  fromPc: received; else sent.
  virtual std::string fileReading(bool fromPc, std::string_view bytes) {
    (void)fromPc, (void)bytes;
    return {};
  }
};

// Drops everything.
class NullTrafficSink final : public TrafficSink {
 public:
  void subDsp_CommLog(const std::string&, const std::string&, const std::string&,
                      const std::string&) override {}
  void screenInsert(const std::string&) override {}
  bool fileOpen() const override { return false; }
  void filePrint(const std::string&) override {}
  void lineError(const std::string&) override {}
};

}  // namespace omb
