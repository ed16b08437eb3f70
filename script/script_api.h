// The one object a script's functions reach: each JavaScript function of the
// API (installed by the host, the object itself hidden in their closure)
// calls one of these.  Only what is declared here is reachable from a
// script.
#pragma once

#include <QJSValue>
#include <QObject>
#include <QString>

namespace omb {

class ScriptRun;

class ScriptApi final : public QObject {
  Q_OBJECT
 public:
  explicit ScriptApi(ScriptRun& run) : run_(run) {}

  Q_INVOKABLE QJSValue get(const QString& station, const QString& device, const QJSValue& count);
  Q_INVOKABLE void set(const QString& station, const QString& device, const QJSValue& value);
  Q_INVOKABLE int on(const QString& station, const QString& device, const QJSValue& fn, const QJSValue& options,
                     const QString& where);
  Q_INVOKABLE int every(const QJSValue& ms, const QJSValue& fn, const QString& where);
  Q_INVOKABLE int after(const QJSValue& ms, const QJSValue& fn, const QString& where);
  Q_INVOKABLE void cancel(int id);
  Q_INVOKABLE void log(const QString& text);
  Q_INVOKABLE void station(const QString& number);

 private:
  ScriptRun& run_;
};

}  // namespace omb
