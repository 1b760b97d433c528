// The script runner on the kinds of control that no window of the program has yet (or not
// in every state): each step's effect and the transcript lines it prints, on a test window
// beside the real program running against the virtual register.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <sstream>

#include "core/link/serial_device.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/startup.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/radio_group.h"
#include "ui/script/script_runner.h"
#include "ui/shell/main_fr.h"

using namespace ptk;
using namespace ptk::ui;

namespace {

// A window with one control of every kind a script handles; its handlers write into
// mem_Log, so that a transcript shows which handlers ran and what they saw.
class TestWindow : public QWidget {
 public:
  TestWindow(UserInterface& ui) : ui_(ui) {
    setObjectName("fm_Test");
    setWindowTitle(QStringLiteral("Проба"));
    auto* form = new QFormLayout(this);
    edm_Summ = Add<TEditMoney>(form, "edm_Summ");
    edm_Summ->setMaxLength(13);
    edc_Count = Add<TEditCount>(form, "edc_Count");
    ed_Other = Add<QLineEdit>(form, "ed_Other");
    rg_Type =
        new TRadioGroup("rg_Type", QStringLiteral("Тип"),
                        {QStringLiteral("а"), QStringLiteral("б"), QStringLiteral("в")}, this);
    form->addRow(rg_Type);
    cb_Kind = Add<QComboBox>(form, "cb_Kind");
    cb_Kind->addItems({QStringLiteral("первый"), QStringLiteral("второй")});
    cb_Flag = Add<QCheckBox>(form, "cb_Flag");
    pg_Pages = Add<QTabWidget>(form, "pg_Pages");
    auto* a = new QWidget;
    a->setObjectName("tsch_A");
    auto* b = new QWidget;
    b->setObjectName("tsch_B");
    ed_OnB = new QLineEdit(b);
    ed_OnB->setObjectName("ed_OnB");
    pg_Pages->addTab(a, QStringLiteral("А"));
    pg_Pages->addTab(b, QStringLiteral("Б"));
    dtp_Date = Add<QDateEdit>(form, "dtp_Date");
    dtp_Time = Add<QTimeEdit>(form, "dtp_Time");
    ud_Count = Add<QSpinBox>(form, "ud_Count");
    ud_Count->setRange(1, 100);
    sg_Grid = Add<QTableWidget>(form, "sg_Grid");
    sg_Grid->setRowCount(2);
    sg_Grid->setColumnCount(3);
    sg_Grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("Регистр")));
    // Its header row and column are cells of its own, as in the register manager.
    sg_Grid->horizontalHeader()->hide();
    sg_Grid->verticalHeader()->hide();
    sg_Grid->setProperty("fixedRows", 1);
    sg_Grid->setProperty("fixedColumns", 1);
    lb_List = Add<QListWidget>(form, "lb_List");
    mem_Log = Add<QPlainTextEdit>(form, "mem_Log");
    bt_Go = Add<QPushButton>(form, "bt_Go");
    bt_File = Add<QPushButton>(form, "bt_File");
    bt_Off = Add<QPushButton>(form, "bt_Off");
    bt_Off->setEnabled(false);

    connect(rg_Type, &TRadioGroup::itemIndexChanged, this,
            [this](int i) { Log(QStringLiteral("rg %1").arg(i)); });
    connect(cb_Kind, &QComboBox::currentIndexChanged, this,
            [this](int i) { Log(QStringLiteral("cb %1").arg(i)); });
    connect(pg_Pages, &QTabWidget::currentChanged, this,
            [this](int i) { Log(QStringLiteral("pg %1").arg(i)); });
    connect(bt_Go, &QPushButton::clicked, this,
            [this] { Log(QStringLiteral("go ") + edm_Summ->text()); });
    connect(bt_File, &QPushButton::clicked, this, [this] {
      FileRequest request;
      request.caption = "Открыть файл";
      const std::optional<std::string> path = ui_.AskFile(request);
      Log(QStringLiteral("file ") + (path ? Qs(*path) : QStringLiteral("-")));
    });
  }

  void Log(const QString& line) { mem_Log->appendPlainText(line); }

  TEditMoney* edm_Summ;
  TEditCount* edc_Count;
  QLineEdit* ed_Other;
  QLineEdit* ed_OnB;
  TRadioGroup* rg_Type;
  QComboBox* cb_Kind;
  QCheckBox* cb_Flag;
  QTabWidget* pg_Pages;
  QDateEdit* dtp_Date;
  QTimeEdit* dtp_Time;
  QSpinBox* ud_Count;
  QTableWidget* sg_Grid;
  QListWidget* lb_List;
  QPlainTextEdit* mem_Log;
  QPushButton* bt_Go;
  QPushButton* bt_File;
  QPushButton* bt_Off;

 private:
  template <class W>
  W* Add(QFormLayout* form, const char* name) {
    auto* w = new W(this);
    w->setObjectName(name);
    form->addRow(QString::fromLatin1(name), w);
    return w;
  }

  UserInterface& ui_;
};

// The program against the virtual register, with the test window shown beside it.
struct Program {
  QTemporaryDir dir;
  QtUserInterface ui;
  std::unique_ptr<AppContext> context;
  std::unique_ptr<TestWindow> window;

  Program() {
    context = std::make_unique<AppContext>(ui, CreateSystemPortDevice());
    context->settings.directory = dir.path().toStdString();
    if (!context->StartEmulator()) qFatal("the virtual register did not start");
    CreateWindows(*context);
    context->forms.fm_MainFr->show();
    context->forms.fm_MainFr->FormActivate();
    window = std::make_unique<TestWindow>(ui);
    window->show();
  }
  ~Program() {
    window.reset();
    context.reset();
  }

  // Runs the script; the transcript, with the exit status as a last line.
  QString Run(const QString& script) {
    std::ostringstream out;
    const QByteArray text = script.toUtf8();
    ScriptRunner runner(*context, ui, ParseScript(std::string_view(text.data(), text.size())), out);
    runner.Run();
    return QString::fromStdString(out.str()) + QStringLiteral("exit %1\n").arg(runner.exitCode());
  }
};

}  // namespace

class TestScriptRunner : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
  void steps_data();
  void steps();
};

void TestScriptRunner::steps_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("transcript");

  QTest::newRow("typed keys pass the money field's filter; a click leaves the field first")
      << "type fm_Test.edm_Summ 12a.3\n"
         "show fm_Test.edm_Summ\n"
         "click fm_Test.bt_Go\n"
         "show fm_Test.mem_Log\n"
         "type fm_Test.edc_Count 7\n"
         "type fm_Test.edc_Count\n"
         "show fm_Test.edc_Count\n"
      << "> type fm_Test.edm_Summ 12a.3\n"
         "> show fm_Test.edm_Summ\n"
         "show: fm_Test.edm_Summ = 12,3\n"
         "> click fm_Test.bt_Go\n"
         "> show fm_Test.mem_Log\n"
         "show: fm_Test.mem_Log[0] = go 12,30\n"
         "> type fm_Test.edc_Count 7\n"
         "> type fm_Test.edc_Count\n"
         "> show fm_Test.edc_Count\n"
         "show: fm_Test.edc_Count = \n"
         "end\nexit 0\n";

  QTest::newRow("set takes pasted text unfiltered and runs the change handlers")
      << "set fm_Test.edm_Summ 1a2\n"
         "set fm_Test.rg_Type 2\n"
         "set fm_Test.cb_Kind второй\n"
         "set fm_Test.cb_Kind #0\n"
         "set fm_Test.cb_Flag 1\n"
         "set fm_Test.pg_Pages tsch_B\n"
         "set fm_Test.dtp_Date 29.02.2028\n"
         "set fm_Test.dtp_Time 23:59:58\n"
         "set fm_Test.ud_Count 42\n"
         "set fm_Test.sg_Grid[1,2] 5,00\n"
         "set fm_Test.ed_OnB на странице Б\n"
         "show fm_Test.edm_Summ\n"
         "show fm_Test.rg_Type\n"
         "show fm_Test.cb_Kind\n"
         "show fm_Test.cb_Flag\n"
         "show fm_Test.pg_Pages\n"
         "show fm_Test.dtp_Date\n"
         "show fm_Test.dtp_Time\n"
         "show fm_Test.ud_Count\n"
         "show fm_Test.sg_Grid\n"
         "show fm_Test.lb_List\n"
         "show fm_Test.mem_Log\n"
         "state fm_Test.ed_OnB\n"
      << "> set fm_Test.edm_Summ 1a2\n"
         "> set fm_Test.rg_Type 2\n"
         "> set fm_Test.cb_Kind второй\n"
         "> set fm_Test.cb_Kind #0\n"
         "> set fm_Test.cb_Flag 1\n"
         "> set fm_Test.pg_Pages tsch_B\n"
         "> set fm_Test.dtp_Date 29.02.2028\n"
         "> set fm_Test.dtp_Time 23:59:58\n"
         "> set fm_Test.ud_Count 42\n"
         "> set fm_Test.sg_Grid[1,2] 5,00\n"
         "> set fm_Test.ed_OnB на странице Б\n"
         "> show fm_Test.edm_Summ\n"
         "show: fm_Test.edm_Summ = 1a2\n"
         "> show fm_Test.rg_Type\n"
         "show: fm_Test.rg_Type = 2\n"
         "> show fm_Test.cb_Kind\n"
         "show: fm_Test.cb_Kind = первый\n"
         "> show fm_Test.cb_Flag\n"
         "show: fm_Test.cb_Flag = 1\n"
         "> show fm_Test.pg_Pages\n"
         "show: fm_Test.pg_Pages = tsch_B\n"
         "> show fm_Test.dtp_Date\n"
         "show: fm_Test.dtp_Date = 29.02.2028\n"
         "> show fm_Test.dtp_Time\n"
         "show: fm_Test.dtp_Time = 23:59:58\n"
         "> show fm_Test.ud_Count\n"
         "show: fm_Test.ud_Count = 42\n"
         "> show fm_Test.sg_Grid\n"
         "show: fm_Test.sg_Grid[0] = Регистр\t\t\n"
         "show: fm_Test.sg_Grid[1] = \t\t5,00\n"
         "> show fm_Test.lb_List\n"
         "> show fm_Test.mem_Log\n"
         "show: fm_Test.mem_Log[0] = rg 2\n"
         "show: fm_Test.mem_Log[1] = cb 1\n"
         "show: fm_Test.mem_Log[2] = cb 0\n"
         "show: fm_Test.mem_Log[3] = pg 1\n"
         "> state fm_Test.ed_OnB\n"
         "state: fm_Test.ed_OnB = visible, enabled, nofocus\n"
         "end\nexit 0\n";

  QTest::newRow("a control on a hidden page cannot be typed into")
      << "state fm_Test.ed_OnB\n"
         "type fm_Test.ed_OnB x\n"
      << "> state fm_Test.ed_OnB\n"
         "state: fm_Test.ed_OnB = hidden, enabled, nofocus\n"
         "> type fm_Test.ed_OnB x\n"
         "error: 2: элемент fm_Test.ed_OnB скрыт\n"
         "exit 3\n";

  QTest::newRow("values a control cannot take")
      << "set fm_Test.cb_Kind третий\n"
      << "> set fm_Test.cb_Kind третий\n"
         "error: 1: fm_Test.cb_Kind: элемент не принимает значение «третий»\n"
         "exit 3\n";
  QTest::newRow("a date that does not exist")
      << "set fm_Test.dtp_Date 30.02.2027\n"
      << "> set fm_Test.dtp_Date 30.02.2027\n"
         "error: 1: fm_Test.dtp_Date: элемент не принимает значение «30.02.2027»\n"
         "exit 3\n";
  QTest::newRow("a radio group item out of range")
      << "set fm_Test.rg_Type 3\n"
      << "> set fm_Test.rg_Type 3\n"
         "error: 1: fm_Test.rg_Type: элемент не принимает значение «3»\n"
         "exit 3\n";
  QTest::newRow("a page that is not there") << "set fm_Test.pg_Pages tsch_C\n"
                                            << "> set fm_Test.pg_Pages tsch_C\n"
                                               "error: 1: fm_Test.pg_Pages: нет страницы tsch_C\n"
                                               "exit 3\n";
  QTest::newRow("a grid cell outside the grid")
      << "set fm_Test.sg_Grid[2,0] x\n"
      << "> set fm_Test.sg_Grid[2,0] x\n"
         "error: 1: fm_Test.sg_Grid[2,0]: нет ячейки [2,0]\n"
         "exit 3\n";
  QTest::newRow("a fixed grid cell")
      << "set fm_Test.sg_Grid[0,1] x\n"
      << "> set fm_Test.sg_Grid[0,1] x\n"
         "error: 1: fm_Test.sg_Grid[0,1]: ячейка [0,1] фиксированная\n"
         "exit 3\n";
  QTest::newRow("set on a disabled control") << "set fm_Test.bt_Off 1\n"
                                             << "> set fm_Test.bt_Off 1\n"
                                                "error: 1: элемент fm_Test.bt_Off недоступен\n"
                                                "exit 3\n";
  QTest::newRow("no such window, control, item or key") << "show fm_None\n"
                                                        << "> show fm_None\n"
                                                           "error: 1: нет окна fm_None\n"
                                                           "exit 3\n";
  QTest::newRow("no such control") << "click fm_Test.bt_None\n"
                                   << "> click fm_Test.bt_None\n"
                                      "error: 1: нет элемента bt_None в окне fm_Test\n"
                                      "exit 3\n";
  QTest::newRow("no such menu item") << "menu mi_None\n"
                                     << "> menu mi_None\n"
                                        "error: 1: нет пункта меню mi_None\n"
                                        "exit 3\n";
  QTest::newRow("no such key") << "key fm_Test.ed_Other Hyper\n"
                               << "> key fm_Test.ed_Other Hyper\n"
                                  "error: 1: неизвестная клавиша: Hyper\n"
                                  "exit 3\n";
  QTest::newRow("an unknown step stops the run on its line")
      << "# first\n\nshow fm_Test.cb_Flag\njump fm_Test\nshow fm_Test.cb_Flag\n"
      << "> show fm_Test.cb_Flag\n"
         "show: fm_Test.cb_Flag = 0\n"
         "> jump fm_Test\n"
         "error: 4: неизвестный шаг: jump\n"
         "exit 3\n";

  QTest::newRow("file dialogs take the scripted paths in order, then are cancelled")
      << "file /tmp/образ.bin\n"
         "file -\n"
         "click fm_Test.bt_File\n"
         "click fm_Test.bt_File\n"
         "click fm_Test.bt_File\n"
         "show fm_Test.mem_Log\n"
      << "> file /tmp/образ.bin\n"
         "> file -\n"
         "> click fm_Test.bt_File\n"
         "file: Открыть файл -> /tmp/образ.bin\n"
         "> click fm_Test.bt_File\n"
         "file: Открыть файл -> -\n"
         "> click fm_Test.bt_File\n"
         "file: Открыть файл -> -\n"
         "> show fm_Test.mem_Log\n"
         "show: fm_Test.mem_Log[0] = file /tmp/образ.bin\n"
         "show: fm_Test.mem_Log[1] = file -\n"
         "show: fm_Test.mem_Log[2] = file -\n"
         "end\nexit 0\n";

  QTest::newRow("a later step runs before the step after next even when due after")
      << "later 30 show fm_Test.cb_Flag\n"
         "set fm_Test.cb_Flag 1\n"
         "show fm_Test.ud_Count\n"
      << "> later 30 show fm_Test.cb_Flag\n"
         "> set fm_Test.cb_Flag 1\n"
         "> show fm_Test.cb_Flag\n"
         "show: fm_Test.cb_Flag = 1\n"
         "> show fm_Test.ud_Count\n"
         "show: fm_Test.ud_Count = 1\n"
         "end\nexit 0\n";

  QTest::newRow("a later step that fails stops the run with its own line")
      << "wait 1\n"
         "later 0 click fm_Test.bt_Off\n"
         "show fm_Test.cb_Flag\n"
         "show fm_Test.cb_Flag\n"
      << "> wait 1\n"
         "> later 0 click fm_Test.bt_Off\n"
         "> show fm_Test.cb_Flag\n"
         "show: fm_Test.cb_Flag = 0\n"
         "> click fm_Test.bt_Off\n"
         "error: 2: элемент fm_Test.bt_Off недоступен\n"
         "exit 3\n";

  QTest::newRow("a hidden menu item is chosen; an item of a locked menu is not")
      << "state mi_PrnField\n"
         "menu mi_PrnField\n"
         "show fm_PrnField\n"
         "state mi_Gudok\n"
         "menu mi_Gudok\n"
      << "> state mi_PrnField\n"
         "state: mi_PrnField = hidden, enabled, nofocus\n"
         "> menu mi_PrnField\n"
         "rezult: \n"
         "> show fm_PrnField\n"
         "show: fm_PrnField = visible, enabled, \"Печать поля\"\n"
         "> state mi_Gudok\n"
         "state: mi_Gudok = visible, disabled, nofocus\n"
         "> menu mi_Gudok\n"
         "error: 5: главное окно недоступно\n"
         "exit 3\n";
}

void TestScriptRunner::steps() {
  QFETCH(QString, script);
  QFETCH(QString, transcript);
  Program program;
  QCOMPARE(program.Run(script), transcript);
}

QTEST_MAIN(TestScriptRunner)
#include "tst_script_runner.moc"
