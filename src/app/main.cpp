// vornix: the driver console. Builds the system on Qt-backed ports, shows the panel unless
// headless, and runs the event loop.

#include "app/options.h"
#include "base/trace.h"
#include "form/dialogs.h"
#include "panel/system.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_event_loop.h"
#include "ui/panel_window.h"

#include <QApplication>
#include <QCoreApplication>

#include <memory>

using namespace vornix;

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const app::ParseResult parsed = app::parseOptions(arguments);
  if (parsed.exitStatus) return *parsed.exitStatus;
  const app::Options& options = parsed.options;

  std::unique_ptr<QCoreApplication> application;
  if (options.headless)
    application = std::make_unique<QCoreApplication>(argc, argv);
  else
    application = std::make_unique<QApplication>(argc, argv);
  Trace::instance().setEnabled(options.trace);

  platform::QtEventLoop loop;
  form::ConsoleDialogs consoleDialogs;
  std::unique_ptr<platform::QtDialogs> windowDialogs;
  if (!options.headless) windowDialogs = std::make_unique<platform::QtDialogs>();
  form::Dialogs& dialogs = windowDialogs ? static_cast<form::Dialogs&>(*windowDialogs) : consoleDialogs;

  panel::System system(panel::Ports{loop, dialogs});

  std::unique_ptr<ui::PanelWindow> window;
  if (!options.headless) {
    window = std::make_unique<ui::PanelWindow>(system.f);
    window->onClose = [] { QCoreApplication::quit(); };
    window->show();
  }
  return application->exec();
}
