// Start-up: the serve mode, the usage text or the version when asked for on
// the command line, otherwise the desktop program in the documented order:
// where the settings and working folders are (store/program_folders.h), the
// settings file (the program ends without a window when it is missing),
// working folders, the monthly system log check, device storage and page
// counts, then the main window, with the project named on the command line.
#include <QApplication>

#include <filesystem>
#include <iostream>
#include <optional>

#include "app/app_core.h"
#include "app/command_line.h"
#include "app/compose.h"
#include "app/control_channel.h"
#include "app/frm_main.h"
#include "app/help_viewer.h"
#include "app/language.h"
#include "app/pc_side.h"
#include "app/project_commands.h"
#include "app/qt_presenter.h"
#include "app/serve_mode.h"
#include "store/program_folders.h"
#include "ui/fonts.h"
#include "views/view_manager.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::optional<std::string> lang;
  std::string langError;
  if (!omb::takeLanguageOption(args, lang, langError)) {
    std::cerr << "ombrisal: " << langError << "\n(ombrisal --help shows the options)" << std::endl;
    return 2;
  }
  omb::setLanguageOption(lang);
  // The PC side (send, poll, replay) has words and options of its own.
  if (omb::isPcSideCommand(args)) return omb::runPcSide(argc, argv, args);
  const omb::CommandLine command = omb::parseCommandLine(args);
  switch (command.action) {
    case omb::CommandLine::Action::Help: {
      // (--lang or the locale: the settings file is not looked for here.)
      int qtArgc = 1;
      QCoreApplication app(qtArgc, argv);
      omb::applyLanguage(std::string(), false);
      std::cout << omb::serveUsage();
      return 0;
    }
    case omb::CommandLine::Action::Version:
      std::cout << omb::versionLine() << std::endl;
      return 0;
    case omb::CommandLine::Action::Mistake: {
      // Read again with the language installed: a rule or generator that
      // cannot be used is told in the user's language (the option errors
      // of the parser itself stay English, for scripts).
      int qtArgc = 1;
      QCoreApplication app(qtArgc, argv);
      omb::applyLanguage(std::string(), false);
      const omb::CommandLine again = omb::parseCommandLine(args);
      std::cerr << "ombrisal: " << (again.error.empty() ? command.error : again.error)
                << "\n(ombrisal --help shows the options)" << std::endl;
      return 2;
    }
    case omb::CommandLine::Action::Serve:
      return omb::runServe(argc, argv, command.serve);
    case omb::CommandLine::Action::Control:
      return omb::runControlClient(command.controlPath, command.controlWords);
    case omb::CommandLine::Action::Window:
      break;
  }

  // Qt is given the program name only: the one argument left is a project.
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  omb::setUpFonts();
  omb::QtPresenter presenter;
  omb::SystemClock clock;
  // Beside the program when run from its own folder, else per user.
  std::string warning;
  const omb::ProgramFolders folders = omb::setUpProgramFolders(
      QCoreApplication::applicationDirPath().toStdString() + "/", omb::userDirsFromEnvironment(), omb::folderWritable,
      warning);
  if (!warning.empty()) std::cerr << "ombrisal: " << warning << std::endl;
  omb::AppCore core(presenter, clock, folders.settings, folders.data);
  // Qt's own dialogs and menus in the language of the rest of the window.
  omb::applyLanguage(core.settingsFile.fileName());
  if (!core.startUp()) return 1;

  omb::FrmMain w(core);
  omb::ViewManager views(omb::viewHostOf(core), &w);
  omb::ProjectCommands project(core);
  omb::composeWindow(core, w, views, project);
  presenter.setParent(&w);
  presenter.setHelp([&w](int topic) { w.help().showTopic(topic); });
  w.Form_Load();
  w.show();
  // A project named on the command line opens as if chosen from the File
  // menu (a file it cannot read says why, and the window stays).
  if (!command.project.empty()) project.open(std::filesystem::absolute(command.project).string());
  return app.exec();
}
