#include "script/script_host.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QJSValue>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "core/device_kind.h"
#include "script/script_api.h"
#include "script/watchdog.h"

namespace omb {

namespace {

// The names the engine knows the two sources by; messages name the
// script's file instead.
const QString kScriptName = QStringLiteral("script");
const QString kApiName = QStringLiteral("ombrisal-api");

constexpr int kMaxPoints = 4096;

// The API as JavaScript functions over the hidden object.  `where()` is
// the stack at a registration: its first frame in the script is the line
// reported for that handler.
// (The object's methods are taken once: reading a method of it makes a new
// function object each time, garbage for every call of a handler.)
const char* const kPrelude = R"JS((function (api, g) {
  var apiGet = api.get, apiSet = api.set, apiOn = api.on, apiEvery = api.every, apiAfter = api.after,
      apiCancel = api.cancel, apiLog = api.log, apiStation = api.station;
  function where() { return new Error().stack; }
  function make(st) {
    return {
      get: function (d, n) { return apiGet(st, String(d), n); },
      set: function (d, v) { apiSet(st, String(d), v); },
      on: function (d, fn, o) { return apiOn(st, String(d), fn, o, where()); },
      every: function (ms, fn) { return apiEvery(ms, fn, where()); },
      after: function (ms, fn) { return apiAfter(ms, fn, where()); },
      cancel: function (id) { apiCancel(Number(id)); },
      log: function () {
        var parts = [];
        for (var i = 0; i < arguments.length; ++i) parts.push(String(arguments[i]));
        apiLog(parts.join(" "));
      }
    };
  }
  var own = make("");
  for (var k in own) g[k] = own[k];
  g.station = function (nn) {
    var st = String(nn).toUpperCase();
    apiStation(st);
    return make(st);
  };
}))JS";

// Calls a handler; an exception comes back as {thrown: value}, so a thrown
// value that is not an Error is told apart from a returned one.  (An
// interruption passes through the catch.)
const char* const kTrampoline =
    "(function (fn, a, b) { try { fn(a, b); return undefined; } catch (e) { return { thrown: e }; } })";

// The first line of the script in a stack: "fn@file:script:12" lines (an
// Error's stack) or "fn:12:-1:file:script" entries (a trace).
int scriptLineIn(const QString& stack) {
  static const QRegularExpression errorFrame(QStringLiteral("@file:script:(\\d+)"));
  static const QRegularExpression traceFrame(QStringLiteral(":(\\d+):-?\\d+:file:script$"));
  if (const auto m = errorFrame.match(stack); m.hasMatch()) return m.captured(1).toInt();
  for (const QString& line : stack.split('\n'))
    if (const auto m = traceFrame.match(line); m.hasMatch()) return m.captured(1).toInt();
  return 0;
}

// A message for the user, through the translation of the program's texts.
std::string text(const char* message, const std::string& arg) {
  return QCoreApplication::translate("ScriptHost", message).arg(QString::fromStdString(arg)).toStdString();
}

std::optional<DeviceSpan> deviceOf(const QString& text) {
  return parseDeviceSpan(text.trimmed().toStdString());
}

// A device's value as a script sees it: words signed, bits 0 or 1 (the
// memory gives words as 0-65535).
std::int32_t shownValue(std::int32_t raw) { return static_cast<std::int16_t>(raw); }

}  // namespace

std::string ScriptMessage::display() const {
  if (kind == Kind::Error && !file.empty() && line > 0) return file + ":" + std::to_string(line) + ": " + text;
  return text;
}

// One loaded script: its engine, registrations and what waits to be run.
class ScriptRun {
 public:
  ScriptRun(ScriptHost& host, Watchdog& watchdog, std::string file)
      : host_(host), watchdog_(watchdog), file_(std::move(file)), api_(*this) {
    QJSEngine::setObjectOwnership(&api_, QJSEngine::CppOwnership);
    trampoline_ = engine_.evaluate(QString::fromLatin1(kTrampoline), kApiName);
    engine_.evaluate(QString::fromUtf8(kPrelude), kApiName).call({engine_.newQObject(&api_), engine_.globalObject()});
  }
  ~ScriptRun() {
    if (timer_) host_.scheduler_.cancel(timer_);
    if (dispatchTimer_) host_.scheduler_.cancel(dispatchTimer_);
  }

  // The first run of the source; the error that ends it, if any.
  std::optional<ScriptMessage> start(const std::string& source) {
    QStringList trace;
    watchdog_.arm(engine_, host_.limitMs);
    const QJSValue r = engine_.evaluate(QString::fromUtf8(source.data(), static_cast<qsizetype>(source.size())),
                                        kScriptName, 1, &trace);
    const bool fired = watchdog_.disarm();
    if (fired) engine_.setInterrupted(false);
    publishTouched();
    if (fired && r.isError()) return tooLong(0);
    if (r.isError() || !trace.isEmpty()) {
      ScriptMessage m = errorOf(r, 0);
      if (m.line == 0) m.line = scriptLineIn(trace.join('\n'));
      return m;
    }
    armTimer();
    return std::nullopt;
  }

  ScriptStatus status() const {
    ScriptStatus s;
    s.running = true;
    s.file = file_;
    for (const auto& [id, cb] : callbacks_) (cb.timer ? s.timers : s.handlers) += 1;
    return s;
  }

  // --- the API ---
  QJSValue get(const QString& station, const QString& device, const QJSValue& count) {
    DeviceMemory* memory = memoryOf(station);
    if (!memory) return {};
    const auto span = deviceOf(device);
    if (!span || span->first != span->last) return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "デバイスの書き方が違います: %1"), device.toStdString()));
    std::int64_t n = 1;
    const bool many = !count.isUndefined();
    if (many) {
      const double c = count.toNumber();
      if (!(c >= 1 && c <= kMaxPoints) || c != std::floor(c))
        return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "点数は 1 から %1 の整数です"), std::to_string(kMaxPoints)));
      n = static_cast<std::int64_t>(c);
    }
    QJSValue out = many ? engine_.newArray(static_cast<uint>(n)) : QJSValue();
    for (std::int64_t i = 0; i < n; ++i) {
      const auto number = static_cast<std::int32_t>(span->first + i);
      const auto v = number > 0xFFFFFF ? std::nullopt : memory->deviceValue(span->kind, number);
      if (!v) return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "%1 はデバイスメモリにありません"), deviceName(span->kind, number)));
      const QJSValue value(shownValue(*v));
      if (!many) return value;
      out.setProperty(static_cast<quint32>(i), value);
    }
    return out;
  }

  void set(const QString& station, const QString& device, const QJSValue& value) {
    DeviceMemory* memory = memoryOf(station);
    if (!memory) return;
    const auto span = deviceOf(device);
    if (!span || span->first != span->last) {
      fail(text(QT_TRANSLATE_NOOP("ScriptHost", "デバイスの書き方が違います: %1"), device.toStdString()));
      return;
    }
    std::vector<double> values;
    auto take = [&](const QJSValue& v) {
      const double d = v.isBool() ? (v.toBool() ? 1 : 0) : v.toNumber();
      if (!std::isfinite(d)) return false;
      values.push_back(d);
      return true;
    };
    bool ok = true;
    if (value.isArray()) {
      const int n = value.property(QStringLiteral("length")).toInt();
      if (n < 1 || n > kMaxPoints) {
        fail(text(QT_TRANSLATE_NOOP("ScriptHost", "書き込む値は 1 から %1 個です"), std::to_string(kMaxPoints)));
        return;
      }
      for (int i = 0; i < n && ok; ++i) ok = take(value.property(static_cast<quint32>(i)));
    } else {
      ok = take(value);
    }
    if (!ok) {
      fail(text(QT_TRANSLATE_NOOP("ScriptHost", "%1 に書き込む値が数ではありません"), device.toStdString()));
      return;
    }
    // Every device is checked before the first write: all or nothing.
    for (std::size_t i = 0; i < values.size(); ++i) {
      const std::int64_t number = std::int64_t{span->first} + static_cast<std::int64_t>(i);
      if (number > 0xFFFFFF || !memory->deviceAt(span->kind, static_cast<std::int32_t>(number))) {
        fail(text(QT_TRANSLATE_NOOP("ScriptHost", "%1 はデバイスメモリにありません"), deviceName(span->kind, static_cast<std::int32_t>(number))));
        return;
      }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
      const auto number = static_cast<std::int32_t>(span->first + static_cast<std::int64_t>(i));
      // A word takes the value modulo 65536, a bit is on for anything but 0.
      const double d = values[i];
      const std::int32_t v = isWordKind(memory->deviceAt(span->kind, number)->kind)
                                 ? static_cast<std::int32_t>(static_cast<std::int64_t>(std::trunc(std::fmod(d, 65536.0))))
                                 : d != 0;
      memory->writeDevice(span->kind, number, v);
    }
    if (std::find(touched_.begin(), touched_.end(), memory) == touched_.end()) touched_.push_back(memory);
  }

  int on(const QString& station, const QString& device, const QJSValue& fn, const QJSValue& options,
         const QString& where) {
    DeviceMemory* memory = memoryOf(station);
    if (!memory) return 0;
    if (!fn.isCallable()) return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "%1 の 2 番目には関数を渡してください"), "on")), 0;
    const auto span = deviceOf(device);
    if (!span || span->first != span->last) return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "デバイスの書き方が違います: %1"), device.toStdString())), 0;
    const auto at = memory->deviceAt(span->kind, span->first);
    const auto value = memory->deviceValue(span->kind, span->first);
    if (!at || !value) return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "%1 はデバイスメモリにありません"), deviceName(span->kind, span->first))), 0;
    const int id = ++nextId_;
    Callback& cb = callbacks_[id];
    cb.fn = fn;
    cb.line = scriptLineIn(where);
    cb.lineOnly = options.isObject() && options.property(QStringLiteral("line")).toBool();
    const std::string st = station.toStdString();
    auto& index = index_[st];
    const auto key = std::make_pair(at->kind, at->index);
    int watch = -1;
    for (const int w : index[key])
      if (watches_[static_cast<std::size_t>(w)].kind == span->kind &&
          watches_[static_cast<std::size_t>(w)].number == span->first)
        watch = w;
    if (watch < 0) {
      watch = static_cast<int>(watches_.size());
      watches_.push_back({span->kind, span->first, shownValue(*value), {}});
      index[key].push_back(watch);
    }
    watches_[static_cast<std::size_t>(watch)].ids.push_back(id);
    host_.notifyChanged();
    return id;
  }

  int timer(const QJSValue& ms, const QJSValue& fn, const QString& where, bool repeat) {
    const char* name = repeat ? "every" : "after";
    if (!fn.isCallable()) return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "%1 の 2 番目には関数を渡してください"), name)), 0;
    const double d = ms.toNumber();
    if (!(d >= 1 && d <= 86400000.0))
      return fail(text(QT_TRANSLATE_NOOP("ScriptHost", "%1 の時間は 1 から 86400000 ミリ秒です"), name)), 0;
    const int id = ++nextId_;
    Callback& cb = callbacks_[id];
    cb.fn = fn;
    cb.line = scriptLineIn(where);
    cb.timer = true;
    cb.periodMs = repeat ? static_cast<std::int64_t>(d) : 0;
    cb.due = host_.clock_.steadyMs() + static_cast<std::int64_t>(d);
    due_.insert({cb.due, id});
    if (!starting()) armTimer();
    host_.notifyChanged();
    return id;
  }

  void cancel(int id) {
    auto it = callbacks_.find(id);
    if (it == callbacks_.end()) return;
    if (it->second.timer) due_.erase({it->second.due, id});
    callbacks_.erase(it);  // a watch keeps the id; calls find it gone
    host_.notifyChanged();
  }

  // A line of the console is bounded, whatever a script hands it.
  void log(const QString& text) {
    static constexpr qsizetype kMaxLine = 4096;
    const QString line = text.size() > kMaxLine ? text.left(kMaxLine) + QStringLiteral("…") : text;
    host_.tell({ScriptMessage::Kind::Log, line.toStdString(), {}, 0});
  }

  void station(const QString& number) { memoryOf(number); }

  // --- events ---
  void memoryChanged(DeviceMemory& memory, const ChangeNotice& notice) {
    const bool fromLine = notice.source == lineWriterSource();
    std::vector<Call> calls;
    for (auto& [station, index] : index_) {
      if (index.empty() || host_.memoryOf(station) != &memory) continue;
      for (const DeviceChange& c : notice.changes.changes()) {
        for (auto it = index.lower_bound({c.kind, c.firstWord}); it != index.end() && it->first.first == c.kind &&
                                                                  it->first.second <= c.lastWord;
             ++it) {
          for (const int w : it->second) {
            Watch& watch = watches_[static_cast<std::size_t>(w)];
            const auto raw = memory.deviceValue(watch.kind, watch.number);
            if (!raw) continue;
            const std::int32_t now = shownValue(*raw);
            if (now == watch.last) continue;
            for (const int id : watch.ids) {
              const auto cb = callbacks_.find(id);
              if (cb != callbacks_.end() && (!cb->second.lineOnly || fromLine)) calls.push_back({id, now, watch.last, 0});
            }
            watch.last = now;
          }
        }
      }
    }
    if (calls.empty()) return;
    std::stable_sort(calls.begin(), calls.end(), [](const Call& a, const Call& b) { return a.id < b.id; });
    if (fromLine) {
      held_.insert(held_.end(), calls.begin(), calls.end());
      return;
    }
    for (Call& c : calls) c.depth = dispatching_ ? depth_ + 1 : 0;
    queue_.insert(queue_.end(), calls.begin(), calls.end());
    if (!dispatching_ && !starting()) scheduleDispatch();
  }

  void lineReplied() {
    if (held_.empty() || dispatching_) return;
    dispatch();
  }

 private:
  struct Callback {
    QJSValue fn;
    int line = 0;
    bool lineOnly = false;
    bool timer = false;
    std::int64_t periodMs = 0;  // every; 0 for after
    std::int64_t due = 0;
  };
  struct Watch {
    int kind;
    std::int32_t number;
    std::int32_t last;
    std::vector<int> ids;
  };
  struct Call {
    int id;
    std::int32_t value, old;
    int depth;
    bool timer = false;
  };

  bool starting() const { return !started_; }

  DeviceMemory* memoryOf(const QString& station) {
    DeviceMemory* memory = host_.memoryOf ? host_.memoryOf(station.toStdString()) : nullptr;
    if (!memory) fail(text(QT_TRANSLATE_NOOP("ScriptHost", "局 %1 はこの回線にありません"), station.toStdString()));
    return memory;
  }

  QJSValue fail(const std::string& text) {
    engine_.throwError(QString::fromStdString(text));
    return {};
  }

  void publishTouched() {
    for (DeviceMemory* m : touched_) m->publish("All", this);
    touched_.clear();
  }

  void scheduleDispatch() {
    if (dispatchTimer_) return;
    dispatchTimer_ = host_.scheduler_.schedule(0, [this] {
      dispatchTimer_ = 0;
      dispatch();
    });
  }

  // The timer of the earliest every/after.  When it fires, the calls wait
  // one more turn of the loop, so a request answered at the same moment is
  // served (and its handlers run) first.
  void armTimer() {
    if (timer_) host_.scheduler_.cancel(timer_);
    timer_ = 0;
    if (due_.empty()) return;
    const std::int64_t wait = std::max<std::int64_t>(0, due_.begin()->first - host_.clock_.steadyMs());
    timer_ = host_.scheduler_.schedule(static_cast<int>(wait), [this] {
      timer_ = 0;
      scheduleDispatch();
    });
  }

  void dispatch() {
    dispatching_ = true;
    // What the line's requests wrote first, then the timers due now.
    std::deque<Call> calls(held_.begin(), held_.end());
    held_.clear();
    calls.insert(calls.end(), queue_.begin(), queue_.end());
    queue_.swap(calls);
    const std::int64_t now = host_.clock_.steadyMs();
    while (!due_.empty() && due_.begin()->first <= now) {
      const auto [due, id] = *due_.begin();
      due_.erase(due_.begin());
      Callback& cb = callbacks_.at(id);
      if (cb.periodMs > 0) {
        // Behind by more than a period (the loop was held): the next call
        // is a period from now, not a burst of the missed ones.
        cb.due = due + cb.periodMs > now ? due + cb.periodMs : now + cb.periodMs;
        due_.insert({cb.due, id});
      }
      queue_.push_back({id, 0, 0, 0, true});
    }
    bool cut = false;
    while (!queue_.empty()) {
      const Call call = queue_.front();
      queue_.pop_front();
      if (call.depth > ScriptHost::kMaxChain) {
        if (!cut) host_.tell({ScriptMessage::Kind::Error,
                              text(QT_TRANSLATE_NOOP("ScriptHost", "変化の連鎖が %1 段を超えたため打ち切りました"), std::to_string(ScriptHost::kMaxChain)),
                              host_.file_, 0});
        cut = true;
        continue;
      }
      invoke(call);
    }
    dispatching_ = false;
    armTimer();
  }

  void invoke(const Call& call) {
    auto it = callbacks_.find(call.id);
    if (it == callbacks_.end()) return;
    const int line = it->second.line;
    // (The arguments are kept from call to call: a fresh list would copy
    // the function's handle each time.)
    args_.resize(call.timer ? 1 : 3);
    args_[0] = it->second.fn;
    if (!call.timer) {
      args_[1] = QJSValue(call.value);
      args_[2] = QJSValue(call.old);
    }
    if (call.timer && it->second.periodMs == 0) {
      callbacks_.erase(it);  // after: once
      host_.notifyChanged();
    }
    depth_ = call.depth;
    const QJSValueList& args = args_;
    watchdog_.arm(engine_, host_.limitMs);
    const QJSValue r = trampoline_.call(args);
    const bool fired = watchdog_.disarm();
    if (fired) engine_.setInterrupted(false);
    publishTouched();
    if (r.isError()) {
      if (fired) {
        cancel(call.id);
        host_.tell(tooLong(line));
      } else {
        host_.tell(errorOf(r, line));
      }
    } else if (r.isObject() && r.hasOwnProperty(QStringLiteral("thrown"))) {
      host_.tell(errorOf(r.property(QStringLiteral("thrown")), line));
    }
  }

  ScriptMessage tooLong(int line) const {
    return {ScriptMessage::Kind::Error,
            text(QT_TRANSLATE_NOOP("ScriptHost", "処理が %1 ms を超えたため中断しました（無限ループの可能性があります）"), std::to_string(host_.limitMs)),
            file_, line};
  }

  // An exception as the user reads it: its text, and the line of the
  // script it came from (else `fallback`, the handler's registration).
  ScriptMessage errorOf(const QJSValue& e, int fallback) const {
    ScriptMessage m{ScriptMessage::Kind::Error, e.toString().toStdString(), file_, 0};
    if (e.isError()) {
      if (e.property(QStringLiteral("fileName")).toString().endsWith(QStringLiteral(":script")))
        m.line = e.property(QStringLiteral("lineNumber")).toInt();
      if (m.line == 0) m.line = scriptLineIn(e.property(QStringLiteral("stack")).toString());
    }
    if (m.line == 0) m.line = fallback;
    return m;
  }

  friend class ScriptHost;
  ScriptHost& host_;
  Watchdog& watchdog_;
  std::string file_;
  QJSEngine engine_;
  ScriptApi api_;
  QJSValue trampoline_;
  QJSValueList args_;
  std::map<int, Callback> callbacks_;
  std::vector<Watch> watches_;
  // Per station as the script named it: (storage kind, word) -> watches.
  std::map<std::string, std::map<std::pair<int, std::int32_t>, std::vector<int>>> index_;
  std::set<std::pair<std::int64_t, int>> due_;  // (due ms, id) of every/after
  std::vector<Call> held_;                      // the line's, until its reply has left
  std::deque<Call> queue_;
  std::vector<DeviceMemory*> touched_;
  Scheduler::TimerId timer_ = 0, dispatchTimer_ = 0;
  int nextId_ = 0;
  int depth_ = 0;
  bool dispatching_ = false;
  bool started_ = false;
};

QJSValue ScriptApi::get(const QString& station, const QString& device, const QJSValue& count) {
  return run_.get(station, device, count);
}
void ScriptApi::set(const QString& station, const QString& device, const QJSValue& value) {
  run_.set(station, device, value);
}
int ScriptApi::on(const QString& station, const QString& device, const QJSValue& fn, const QJSValue& options,
                  const QString& where) {
  return run_.on(station, device, fn, options, where);
}
int ScriptApi::every(const QJSValue& ms, const QJSValue& fn, const QString& where) {
  return run_.timer(ms, fn, where, true);
}
int ScriptApi::after(const QJSValue& ms, const QJSValue& fn, const QString& where) {
  return run_.timer(ms, fn, where, false);
}
void ScriptApi::cancel(int id) { run_.cancel(id); }
void ScriptApi::log(const QString& text) { run_.log(text); }
void ScriptApi::station(const QString& number) { run_.station(number); }

// --- the host ---

ScriptHost::ScriptHost(Scheduler& scheduler, const Clock& clock) : scheduler_(scheduler), clock_(clock) {}

ScriptHost::~ScriptHost() = default;

namespace {
// One watchdog thread for every host of the process, made when the first
// script runs.
Watchdog& sharedWatchdog() {
  static Watchdog watchdog;
  return watchdog;
}
}  // namespace

std::optional<ScriptMessage> ScriptHost::load(const std::string& source, const std::string& file) {
  source_ = source;
  file_ = file;
  if (source.find_first_not_of(" \t\r\n") == std::string::npos) {
    source_.clear();
    stop();
    notifyChanged();
    return std::nullopt;
  }
  auto run = std::make_unique<ScriptRun>(*this, sharedWatchdog(), file);
  // The first run's own writes are told to the script running until then,
  // not to the handlers it is registering.
  if (auto failed = run->start(source)) {
    tell(*failed);
    return failed;
  }
  run->started_ = true;
  run_ = std::move(run);
  runningFile_ = file;
  errors_ = 0;
  lastError_.clear();
  run_->armTimer();
  notifyChanged();
  return std::nullopt;
}

void ScriptHost::stop() {
  if (!run_) return;
  run_.reset();
  notifyChanged();
}

ScriptStatus ScriptHost::status() const {
  ScriptStatus s = run_ ? run_->status() : ScriptStatus{};
  s.file = run_ ? runningFile_ : file_;
  s.errors = errors_;
  s.lastError = lastError_;
  return s;
}

void ScriptHost::memoryChanged(DeviceMemory& memory, const ChangeNotice& notice) {
  if (run_) run_->memoryChanged(memory, notice);
}

void ScriptHost::lineReplied() {
  if (run_) run_->lineReplied();
}

void ScriptHost::tell(ScriptMessage m) {
  if (m.kind == ScriptMessage::Kind::Error) {
    ++errors_;
    lastError_ = m.display();
  }
  console_.push_back(m);
  while (console_.size() > kConsoleLines) console_.pop_front();
  if (told) told(m);
}

}  // namespace omb

// The API object's meta-object (its header has no source file of its own).
#include "moc_script_api.cpp"
