// ptk-tester: the test and service program for the register.
//   ptk-tester [--emulator] [--port NAME] [--trace FILE]
// --emulator runs the virtual register in this process and connects to it for this run;
// --port uses another port for this run; neither changes the settings files.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "core/link/serial_device.h"
#include "ui/shell/app_context.h"
#include "ui/shell/application.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/qt_user_interface.h"
#include "ui/shell/startup.h"

namespace {

// With PTK_STARTUP_PROBE set, prints the milliseconds from the start of main() to the
// main window's first paint and ends the program: a measurement aid.
class PaintProbe : public QObject {
 public:
  PaintProbe(QElapsedTimer& since, QApplication& app) : since_(since), app_(app) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      QTimer::singleShot(0, &app_, [this] {
        std::printf("painted after %lld ms\n", static_cast<long long>(since_.elapsed()));
        std::fflush(stdout);
        app_.quit();
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QElapsedTimer& since_;
  QApplication& app_;
  bool done_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer since;
  since.start();
  ptk::ui::TApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ptk-tester"));
  QApplication::setApplicationVersion(QStringLiteral("1.0"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Тестовая программа для ПТК"));
  parser.addHelpOption();
  const QCommandLineOption emulatorOption(
      QStringLiteral("emulator"), QStringLiteral("Работать с виртуальным ПТК в этом процессе."));
  const QCommandLineOption portOption(QStringLiteral("port"),
                                      QStringLiteral("Порт на этот запуск (COMn или путь)."),
                                      QStringLiteral("NAME"));
  const QCommandLineOption traceOption(QStringLiteral("trace"),
                                       QStringLiteral("Записывать обмен по линии в файл."),
                                       QStringLiteral("FILE"));
  parser.addOption(emulatorOption);
  parser.addOption(portOption);
  parser.addOption(traceOption);
  parser.process(app);

  ptk::ui::QtUserInterface ui;
  app.SetUserInterface(&ui);
  ptk::ui::AppContext context(ui, ptk::CreateSystemPortDevice());
  if (parser.isSet(traceOption)) {
    const std::string path = parser.value(traceOption).toStdString();
    if (!context.EnableTrace(path)) {
      ptk::ShowError(ui, "Не удалось создать файл трассировки " + path + "!");
    }
  }
  if (parser.isSet(emulatorOption) && !context.StartEmulator()) {
    ptk::ShowError(ui, "Не удалось запустить виртуальный ПТК!");
    return 1;
  }
  if (parser.isSet(portOption)) context.portOverride = parser.value(portOption).toStdString();

  ptk::ui::CreateWindows(context);
  ptk::ui::Tfm_MainFr* main = context.forms.fm_MainFr;
  QObject::connect(main, &ptk::ui::Tfm_MainFr::closed, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  PaintProbe probe(since, app);
  if (qEnvironmentVariableIsSet("PTK_STARTUP_PROBE")) main->installEventFilter(&probe);
  main->show();
  const int status = app.exec();
  context.DestroyWindows();
  app.SetUserInterface(nullptr);
  return status;
}
