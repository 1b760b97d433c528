// ptk-tester: the test and service program for the register.
//   ptk-tester [--emulator | --port NAME] [--card-reader NAME] [--trace FILE]
//              [--script FILE|-] [--keep-going] [--faults SPEC] [--clock "DD.MM.YYYY HH:MM:SS"]
//              [--model N] [--replay TRACE [--replay-timing]] [--record FILE]
// --emulator runs the virtual register in this process and connects to it for this run;
// --port uses another port for this run; neither changes the settings files. --script
// performs the steps of a script (from standard input for -) and prints a transcript
// instead of waiting for a person; --keep-going goes on after a step that failed.
// --replay answers in the register's place from a line trace that --trace wrote.
// --record writes what the person does as a script that --script performs again.
// Exit status: 0; 1 when the virtual register does not start; 2 for a usage error or a
// script or trace that cannot be read; 3 when a step of the script could not be performed;
// 4 when a replay diverged from its trace.
// With --emulator, the virtual register's line-discipline violations are reported on
// standard error at the end ("нарушений порядка обмена: N"): when there were any, and
// always in a run driven step by step from standard input (--script -).
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>

#include "core/link/port_names.h"
#include "core/link/serial_device.h"
#include "core/link/trace_replay.h"
#include "core/shell/script.h"
#include "emulator/emulator_host.h"
#include "emulator/faults.h"
#include "emulator/protocol_engine.h"
#include "emulator/virtual_register.h"
#include "ui/base/app_context.h"
#include "ui/base/application.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/startup.h"
#include "ui/script/script_runner.h"
#include "ui/script/session_recorder.h"
#include "ui/shell/main_fr.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kReplayDiverged = 4;  // a replayed session left its trace

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

// The offscreen platform warns about every raise() and size hint it cannot honour; a
// scripted run keeps its standard error for what matters.
QtMessageHandler g_defaultMessageHandler = nullptr;
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
    return;
  if (g_defaultMessageHandler) g_defaultMessageHandler(type, context, message);
}

int Usage(const QString& message) {
  std::cerr << "ptk-tester: " << message.toStdString() << " (см. --help)\n";
  return kUsageError;
}

bool ValidPortName(const std::string& name) {
  return ptk::ComNumber(name).has_value() || ptk::IsDevicePath(name);
}

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer since;
  since.start();
  ptk::ui::TApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ptk-tester"));
  QApplication::setApplicationVersion(QStringLiteral(PTK_VERSION));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Тестовая программа для ПТК\n\n"
      "Код завершения: 0 — работа окончена (со сценарием: последний шаг выполнен);\n"
      "1 — виртуальный ПТК не запустился; 2 — ошибка в командной строке или сценарий\n"
      "не читается; 3 — шаг сценария не выполнен."));
  const QCommandLineOption helpOption = parser.addHelpOption();
  const QCommandLineOption versionOption = parser.addVersionOption();
  const QCommandLineOption emulatorOption(
      QStringLiteral("emulator"), QStringLiteral("Работать с виртуальным ПТК в этом процессе."));
  const QCommandLineOption portOption(QStringLiteral("port"),
                                      QStringLiteral("Порт на этот запуск (COMn или путь)."),
                                      QStringLiteral("NAME"));
  const QCommandLineOption cardOption(
      QStringLiteral("card-reader"),
      QStringLiteral("Порт считывателя карт на этот запуск (COMn или путь)."),
      QStringLiteral("NAME"));
  const QCommandLineOption traceOption(QStringLiteral("trace"),
                                       QStringLiteral("Записывать обмен по линии в файл."),
                                       QStringLiteral("FILE"));
  const QCommandLineOption scriptOption(
      QStringLiteral("script"),
      QStringLiteral("Выполнить сценарий и напечатать протокол (без участия человека)."),
      QStringLiteral("FILE"));
  const QCommandLineOption keepGoingOption(
      QStringLiteral("keep-going"),
      QStringLiteral("Со сценарием: после невыполнимого шага продолжать со следующего."));
  const QCommandLineOption faultsOption(
      QStringLiteral("faults"),
      QStringLiteral("Неисправности виртуального ПТК (как у ptk-emulator)."),
      QStringLiteral("SPEC"));
  const QCommandLineOption clockOption(
      QStringLiteral("clock"),
      QStringLiteral("Часы виртуального ПТК стоят на этом времени: \"ДД.ММ.ГГГГ ЧЧ:ММ:СС\"."),
      QStringLiteral("TIME"));
  const QCommandLineOption firmwareOption(
      QStringLiteral("firmware-size"),
      QStringLiteral("Размер ПО виртуального ПТК в байтах (блок управления[,блок ФП])."),
      QStringLiteral("BYTES"));
  const QCommandLineOption serviceOption(
      QStringLiteral("service"),
      QStringLiteral("Показать скрытые пункты меню и кнопки, добавить «Сравнение ПО»."));
  const QCommandLineOption replayOption(
      QStringLiteral("replay"),
      QStringLiteral("Отвечать за ПТК записанным в трассировке (без ПТК)."),
      QStringLiteral("FILE"));
  const QCommandLineOption replayTimingOption(
      QStringLiteral("replay-timing"),
      QStringLiteral("С --replay: ответы с записанными паузами, а не сразу."));
  const QCommandLineOption recordOption(
      QStringLiteral("record"),
      QStringLiteral("Записывать действия человека в файл сценария (для --script)."),
      QStringLiteral("FILE"));
  const QCommandLineOption modelOption(
      QStringLiteral("model"), QStringLiteral("Код модели виртуального ПТК."), QStringLiteral("N"));
  for (const QCommandLineOption* o :
       {&emulatorOption, &portOption, &cardOption, &traceOption, &scriptOption, &faultsOption,
        &clockOption, &modelOption, &serviceOption, &firmwareOption, &keepGoingOption,
        &replayOption, &replayTimingOption, &recordOption})
    parser.addOption(*o);
  if (!parser.parse(QCoreApplication::arguments())) return Usage(parser.errorText());
  if (parser.isSet(helpOption)) {
    std::cout << parser.helpText().toStdString();
    return 0;
  }
  if (parser.isSet(versionOption)) {
    std::cout << "ptk-tester " << PTK_VERSION << "\n";
    return 0;
  }
  if (!parser.positionalArguments().isEmpty())
    return Usage(QStringLiteral("лишние аргументы: ") + parser.positionalArguments().join(' '));
  const bool emulator = parser.isSet(emulatorOption);
  if (emulator && parser.isSet(portOption))
    return Usage(QStringLiteral("--emulator и --port нельзя задать вместе"));
  if (!emulator &&
      (parser.isSet(faultsOption) || parser.isSet(clockOption) || parser.isSet(modelOption)))
    return Usage(QStringLiteral("--faults, --clock и --model относятся к --emulator"));
  const bool replaying = parser.isSet(replayOption);
  if (replaying && (emulator || parser.isSet(portOption)))
    return Usage(QStringLiteral("--replay нельзя задать вместе с --emulator или --port"));
  if (parser.isSet(replayTimingOption) && !replaying)
    return Usage(QStringLiteral("--replay-timing относится к --replay"));
  const std::string port = parser.value(portOption).toStdString();
  if (parser.isSet(portOption) && !ValidPortName(port))
    return Usage(QStringLiteral("порт должен быть COMn или путь к устройству: ") +
                 parser.value(portOption));
  const std::string cardReader = parser.value(cardOption).toStdString();
  if (parser.isSet(cardOption) && !ValidPortName(cardReader))
    return Usage(QStringLiteral("порт считывателя должен быть COMn или путь к устройству: ") +
                 parser.value(cardOption));

  ptk::emu::EmulatorOptions emulatorOptions;
  emulatorOptions.cardReader = true;
  emulatorOptions.faults = parser.value(faultsOption).toStdString();
  {
    // Refused here, by name, rather than as a virtual register that does not start.
    ptk::emu::Faults check;
    std::string error;
    if (!ptk::emu::ApplyFaultSpec(emulatorOptions.faults, check, &error)) {
      const size_t colon = error.rfind(": ");
      const std::string item = colon == std::string::npos ? error : error.substr(colon + 2);
      return Usage(QStringLiteral("неверный элемент списка неисправностей: ") +
                   QString::fromStdString(item));
    }
  }
  if (parser.isSet(modelOption)) {
    bool ok = false;
    emulatorOptions.model = parser.value(modelOption).toInt(&ok);
    if (!ok || emulatorOptions.model <= 0) return Usage(QStringLiteral("неверный код модели"));
  }
  if (parser.isSet(firmwareOption)) {
    const QStringList sizes = parser.value(firmwareOption).split(QLatin1Char(','));
    bool ok = sizes.size() <= 2;
    const uint32_t ptkSize = ok ? sizes[0].toUInt(&ok) : 0;
    uint32_t fpSize = ptkSize;
    if (ok && sizes.size() == 2) fpSize = sizes[1].toUInt(&ok);
    if (!ok || ptkSize == 0 || fpSize == 0 || ptkSize > 0xFFFFFF || fpSize > 0xFFFFFF)
      return Usage(QStringLiteral("неверный размер ПО"));
    emulatorOptions.ptkFirmwareSize = ptkSize;
    emulatorOptions.fpFirmwareSize = fpSize;
  }
  std::optional<int64_t> frozenClock;
  if (parser.isSet(clockOption)) {
    QDateTime t =
        QDateTime::fromString(parser.value(clockOption), QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (!t.isValid()) return Usage(QStringLiteral("время должно быть ДД.ММ.ГГГГ ЧЧ:ММ:СС"));
    t.setTimeZone(QTimeZone::utc());
    frozenClock = t.toSecsSinceEpoch();
  }

  std::vector<ptk::ScriptStep> steps;
  const bool scripted = parser.isSet(scriptOption);
  // "-": the steps come from standard input, each read once the one before is performed.
  const bool streamed = scripted && parser.value(scriptOption) == QLatin1String("-");
  if (parser.isSet(keepGoingOption) && !scripted)
    return Usage(QStringLiteral("--keep-going относится к --script"));
  if (scripted) g_defaultMessageHandler = qInstallMessageHandler(QuietOffscreenWarnings);
  if (scripted && !streamed) {
    QFile file(parser.value(scriptOption));
    if (!file.open(QIODevice::ReadOnly)) {
      std::cerr << "ptk-tester: не удалось прочитать сценарий "
                << parser.value(scriptOption).toStdString() << "\n";
      return kUsageError;
    }
    const QByteArray text = file.readAll();
    steps = ptk::ParseScript(std::string_view(text.constData(), static_cast<size_t>(text.size())));
  }

  ptk::ui::QtUserInterface ui;
  app.SetUserInterface(&ui);
  // A replay answers from the trace in place of the line.
  std::unique_ptr<ptk::PortDevice> device;
  ptk::ReplayPortDevice* replay = nullptr;
  if (replaying) {
    const std::string path = parser.value(replayOption).toStdString();
    std::string error;
    std::optional<std::vector<ptk::TraceEvent>> events = ptk::ReadTraceFile(path, &error);
    if (!events) {
      std::cerr << "ptk-tester: не удалось прочитать трассировку " << path << ": " << error << "\n";
      return kUsageError;
    }
    auto replayed = std::make_unique<ptk::ReplayPortDevice>(std::move(*events), ptk::SystemClock(),
                                                            parser.isSet(replayTimingOption));
    replay = replayed.get();
    device = std::move(replayed);
  } else {
    device = ptk::CreateSystemPortDevice();
  }
  ptk::ui::AppContext context(ui, std::move(device));
  std::optional<ptk::ui::ScriptRunner> runner;
  if (scripted) runner.emplace(context, ui, std::move(steps), std::cout);
  // A step the recorded session made while an answer was awaited is made at that place.
  if (replay && runner)
    replay->SetLaterStepHandler(
        [&runner](const std::string& step) { runner->PerformLaterNow(step); });
  if (runner) {
    runner->SetKeepGoing(parser.isSet(keepGoingOption));
    if (streamed) runner->SetInput(&std::cin);
  }

  // The session as a script, written as it goes; its first line says where it was made.
  std::optional<ptk::ui::SessionRecorder> recorder;
  if (parser.isSet(recordOption)) {
    const std::string path = parser.value(recordOption).toStdString();
    std::string where;
    if (emulator) where = "виртуальный ПТК";
    if (replaying) where = "воспроизведение " + parser.value(replayOption).toStdString();
    const bool service = parser.isSet(serviceOption);
    recorder.emplace(path, [&context, where, service] {
      const ptk::Settings& settings = context.settings;
      std::string port = where;
      if (port.empty())
        port = context.portOverride.empty() ? settings.portName : context.portOverride;
      const int baud = ptk::kBaudRates[std::clamp(settings.BaudIndex, 0, 4)];
      return "# ptk-tester " PTK_VERSION ", " +
             QDateTime::currentDateTime()
                 .toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                 .toStdString() +
             ", порт " + port + ", " + std::to_string(baud) + " бит/с" +
             (service ? ", --service" : "");
    });
    if (!recorder->ok()) {
      std::cerr << "ptk-tester: не удалось создать файл записи " << path << "\n";
      return kUsageError;
    }
    recorder->SetLaterHandler([&context](const QString& step) {
      context.TraceNote(std::string(ptk::kLaterNote) + step.toStdString());
    });
    if (runner) runner->SetRecorder(&*recorder);
  }

  if (parser.isSet(traceOption)) {
    const std::string path = parser.value(traceOption).toStdString();
    if (!context.EnableTrace(path)) {
      ptk::ShowError(ui, "Не удалось создать файл трассировки " + path + "!");
    }
  }
  if (emulator) {
    std::string why;
    if (!context.StartEmulator(emulatorOptions, &why)) {
      ptk::ShowError(ui, "Не удалось запустить виртуальный ПТК!\n" + why);
      return 1;
    }
    if (frozenClock) {
      const int64_t seconds = *frozenClock;
      context.emulator()->WithRegister([seconds](ptk::emu::VirtualRegister& r) {
        r.SetHostTime([seconds] { return seconds; });
      });
    }
  }
  if (parser.isSet(portOption)) context.portOverride = port;
  if (parser.isSet(cardOption)) {
    // As the settings window would choose it; a device path is kept by its name.
    context.settings.CardReaderPort = ptk::ComNumber(cardReader).value_or(0);
    context.settings.cardReaderName = cardReader;
  }

  context.service = parser.isSet(serviceOption);
  ptk::ui::CreateWindows(context);
  ptk::ui::Tfm_MainFr* main = context.forms.fm_MainFr;
  QObject::connect(main, &ptk::ui::Tfm_MainFr::closed, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  if (recorder) {
    recorder->WatchMenu(main);
    app.SetInputWatcher(&*recorder);
    ui.SetObserver(&*recorder);
  }
  PaintProbe probe(since, app);
  if (qEnvironmentVariableIsSet("PTK_STARTUP_PROBE")) main->installEventFilter(&probe);
  if (runner) {
    // The runner answers the boxes from here on, the first activation's included.
    runner->Start();
  }
  main->show();
  int status = app.exec();
  if (runner) status = runner->exitCode();
  if (recorder) {
    recorder->Finish();
    app.SetInputWatcher(nullptr);
    ui.SetObserver(nullptr);
  }
  context.DestroyWindows();
  app.SetUserInterface(nullptr);
  if (ptk::emu::EmulatorHost* host = context.emulator()) {
    // Transfers this program began while the virtual register was still executing a
    // command or sending its answer: each one is an exchange started inside another's
    // wait. A run driven from standard input always says how many, so that its driver can
    // rely on the line; any other run says it only when there were some.
    const uint64_t violations = host->Stats().lineViolations;
    if (violations > 0 || streamed)
      std::cerr << "ptk-tester: нарушений порядка обмена: " << violations << "\n";
  }
  if (replay && !replay->Divergence().empty()) {
    // The program did not do what the recorded session did: its exit says so.
    std::cerr << replay->Divergence() << "\n";
    return kReplayDiverged;
  }
  return status;
}
