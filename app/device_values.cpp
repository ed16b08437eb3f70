#include "app/device_values.h"

#include <QCoreApplication>

#include <cctype>
#include <charconv>
#include <vector>

#include "core/numeric.h"
#include "core/atomic_file.h"
#include "core/translate.h"
#include "core/device_kind.h"

namespace omb {

namespace {


struct Write {
  DeviceLocation at;
  std::int16_t value;
};

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return std::string(s);
}

std::string lineName(int line) { return fill(trs("DeviceValues", "%1 行目: "), {std::to_string(line)}); }

// One device and its value checked and located; empty with `error` set.
std::optional<Write> entry(const DeviceMemory& memory, const std::string& device, const std::string& value,
                           int line, std::string& error) {
  const auto span = parseDeviceSpan(device);
  if (!span || span->first != span->last) return error = lineName(line) + trs("DeviceValues", "デバイスが読めません: ") + device, std::nullopt;
  const auto at = memory.deviceAt(span->kind, span->first);
  if (!at) return error = lineName(line) + device + trs("DeviceValues", " はデバイスメモリにありません"), std::nullopt;
  if (!isWordKind(at->kind)) {
    if (value != "0" && value != "1")
      return error = lineName(line) + trs("DeviceValues", "ビットの値は 0 か 1 です: ") + device + "," + value, std::nullopt;
    return Write{*at, static_cast<std::int16_t>(value == "1")};
  }
  const WordText w = readWordText(value);
  if (!w.value)
    return error = lineName(line) + trs("DeviceValues", "ワードの値は -32768〜65535 か 0x0〜0xFFFF です: ") + device + "," + value,
           std::nullopt;
  return Write{*at, *w.value};
}

std::optional<std::string> parseCsv(const DeviceMemory& memory, std::string_view text, std::vector<Write>& out) {
  int lineNo = 0;
  bool first = true;  // the first line with content may be the header
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string line = trimmed(text.substr(at, end - at));
    at = end + 1;
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    const bool header = first && line == "device,value";
    first = false;
    if (header) continue;
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos || line.find(',', comma + 1) != std::string::npos)
      return lineName(lineNo) + trs("DeviceValues", "「デバイス,値」の形ではありません: ") + line;
    std::string error;
    const auto w = entry(memory, trimmed(line.substr(0, comma)), trimmed(line.substr(comma + 1)), lineNo, error);
    if (!w) return error;
    out.push_back(*w);
  }
  return std::nullopt;
}

// A flat object of devices and numbers: {"D100":1234,"X0":1}.
std::optional<std::string> parseJson(const DeviceMemory& memory, std::string_view s, std::vector<Write>& out) {
  std::size_t i = 0;
  int line = 1;
  auto skip = [&] {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) {
      if (s[i] == '\n') ++line;
      ++i;
    }
  };
  auto bad = [&](const char* why) { return lineName(line) + trs("DeviceValues", why); };
  skip();
  if (i >= s.size() || s[i] != '{') return bad(QT_TRANSLATE_NOOP("DeviceValues", "JSON オブジェクト {\"D100\":1234, ...} ではありません"));
  ++i;
  skip();
  if (i < s.size() && s[i] == '}') {
    ++i;
  } else {
    for (;;) {
      skip();
      if (i >= s.size() || s[i] != '"') return bad(QT_TRANSLATE_NOOP("DeviceValues", "デバイス名 (\"D100\") がありません"));
      const std::size_t close = s.find('"', i + 1);
      if (close == std::string_view::npos) return bad(QT_TRANSLATE_NOOP("DeviceValues", "デバイス名が閉じていません"));
      const std::string device(s.substr(i + 1, close - i - 1));
      i = close + 1;
      skip();
      if (i >= s.size() || s[i] != ':') return bad(QT_TRANSLATE_NOOP("DeviceValues", "「:」がありません"));
      ++i;
      skip();
      const std::size_t from = i;
      while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '-')) ++i;
      std::string error;
      const auto w = entry(memory, device, std::string(s.substr(from, i - from)), line, error);
      if (!w) return error;
      out.push_back(*w);
      skip();
      if (i < s.size() && s[i] == ',') {
        ++i;
        continue;
      }
      if (i < s.size() && s[i] == '}') {
        ++i;
        break;
      }
      return bad(QT_TRANSLATE_NOOP("DeviceValues", "「,」か「}」がありません"));
    }
  }
  skip();
  if (i != s.size()) return bad(QT_TRANSLATE_NOOP("DeviceValues", "オブジェクトの後に余計なものがあります"));
  return std::nullopt;
}

}  // namespace

ValuesFormat valuesFormatOf(const std::string& path) {
  if (path.size() < 5) return ValuesFormat::Csv;
  std::string ext = path.substr(path.size() - 5);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".json" ? ValuesFormat::Json : ValuesFormat::Csv;
}

std::string exportValues(const DeviceMemory& memory, ValuesFormat format) {
  const bool json = format == ValuesFormat::Json;
  std::string out = json ? "{" : "device,value\n";
  bool first = true;
  for (int kind = 0; kind < kKindCount; ++kind) {
    const std::vector<std::int16_t>& words = memory.words(kind);
    const std::int32_t base = memory.firstNumber(kind);
    const bool word = isWordKind(kind);
    for (std::size_t w = 0; w < words.size(); ++w) {
      if (words[w] == 0) continue;
      for (int bit = 0; bit < (word ? 1 : 16); ++bit) {
        const std::int32_t value = word ? words[w] : wordBit(words[w], bit);
        if (value == 0) continue;
        const std::string name = deviceName(kind, base + static_cast<std::int32_t>(word ? w : w * 16 + static_cast<std::size_t>(bit)));
        if (json) out += std::string(first ? "\n" : ",\n") + "\"" + name + "\":" + std::to_string(value);
        else out += name + "," + std::to_string(value) + "\n";
        first = false;
      }
    }
  }
  if (json) out += first ? "}\n" : "\n}\n";
  return out;
}

std::optional<std::string> importValues(DeviceMemory& memory, std::string_view text, ValuesFormat format) {
  std::vector<Write> writes;
  if (auto failed = format == ValuesFormat::Json ? parseJson(memory, text, writes) : parseCsv(memory, text, writes))
    return failed;
  for (const Write& w : writes) {
    if (isWordKind(w.at.kind)) memory.write(w.at.kind, w.at.index, w.value);
    else memory.writeBit(w.at.kind, w.at.index, w.at.bit, w.value != 0);
  }
  memory.publish("All");
  return std::nullopt;
}

std::optional<std::string> exportValuesFile(const DeviceMemory& memory, const std::string& path) {
  if (const auto failed = writeFileAtomically(path, exportValues(memory, valuesFormatOf(path))))
    return path + ": " + failed->reason;
  return std::nullopt;
}

std::optional<std::string> importValuesFile(DeviceMemory& memory, const std::string& path) {
  std::string text;
  int err = 0;
  if (!readWholeFile(path, text, err)) return path + ": " + readFailureText(err);
  if (auto failed = importValues(memory, text, valuesFormatOf(path))) return path + ": " + *failed;
  return std::nullopt;
}

namespace {
const std::vector<std::string> kValueFilters{"CSV (*.csv)", "JSON (*.json)"};
}  // namespace

void valuesExportFromMenu(Presenter& presenter, const DeviceMemory& memory) {
  const auto path = presenter.saveFileName(trs("DeviceValues", "デバイス値をエクスポート"), kValueFilters, "csv", "values.csv");
  if (!path) return;
  if (const auto failed = exportValuesFile(memory, *path))
    presenter.message(*failed, trs("DeviceValues", "デバイス値をエクスポート"), MsgIcon::Exclamation, MsgButtons::Ok);
}

void valuesImportFromMenu(Presenter& presenter, DeviceMemory& memory) {
  const auto path = presenter.openFileName(trs("DeviceValues", "デバイス値をインポート"), kValueFilters, "csv");
  if (!path) return;
  if (const auto failed = importValuesFile(memory, *path))
    presenter.message(*failed + "\n" + trs("DeviceValues", "デバイス値は変更されていません。"), trs("DeviceValues", "デバイス値をインポート"),
                      MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace omb
