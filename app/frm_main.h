// The main window.  For now it shows the device memory layout it was given;
// the link settings, log and menus join it as they are built.
#pragma once

#include <QMainWindow>

#include "core/system_state.h"

namespace omb {

class FrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit FrmMain(SystemState& state, QWidget* parent = nullptr);

 private:
  SystemState& state_;
};

}  // namespace omb
