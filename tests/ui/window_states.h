// The windows of the program in the states a person meets them: opened through the main
// menu (the mode entered with its password where the window needs one) and filled with
// what the virtual register answers. The window fit check and the screenshots walk the
// same table, each state in a fresh program run by a script.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/link/serial_device.h"
#include "core/shell/script.h"
#include "support/window_rig.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/startup.h"
#include "ui/controls/page_control.h"
#include "ui/script/script_runner.h"
#include "ui/shell/main_fr.h"

namespace ptk::test {

// A desktop's screen for the offscreen platform (its own is 800 × 800, narrower than
// the receipt window): 1920 × 1080 at 96 dpi. Call before the QApplication is built.
inline void UseDesktopScreen() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform != "offscreen") return;
  const QString path = QDir::temp().filePath(QStringLiteral("ptk-desktop-screen.json"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,)"
             R"( "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  file.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path.toLocal8Bit());
}

// The font of a desktop at the given scale (1.25 for 125 %): the system font's size
// times the scale. Scaling every pixel (QT_SCALE_FACTOR) would show the same layout
// magnified; a larger font in the same pixels is what cuts texts.
inline QFont ScaledFont(const QFont& systemFont, double scale) {
  QFont f = systemFont;
  f.setPointSizeF(systemFont.pointSizeF() * scale);
  return f;
}

struct WindowState {
  const char* name;    // the state's name: the window's, with a suffix for a second state
  const char* window;  // the window looked at
  const char* steps;   // the script that reaches the state
  // Page controls of the window whose every page is looked at too (`set W.CONTROL PAGE`).
  QStringList pageControls = {};
};

// Mode entry with the mode's password.
#define PTK_MODE(item, password) \
  "menu " item "\ntype fm_RegComm.ed_Pass " password "\nkey fm_RegComm.ed_Pass Return\n"

inline const std::vector<WindowState>& WindowStates() {
  static const std::vector<WindowState> states = {
      {"fm_MainFr", "fm_MainFr", "menu mi_KodSostKKM\n"},
      {"fm_Config", "fm_Config", "menu mi_Nastr\n"},
      {"fm_RegComm", "fm_RegComm", "menu mi_Registr\n"},
      {"fm_Chek", "fm_Chek", PTK_MODE("mi_Registr", "00000001"), {"Pg_Registr"}},
      {"fm_Chek_card", "fm_Chek",
       PTK_MODE("mi_Registr", "00000001") "set fm_Chek.Pg_Registr tsch_CloseChek\n"
                                          "set fm_Chek.cb_TypeOplClose #3\n"},
      {"fm_NalMoney", "fm_NalMoney", "menu mi_NalMoney\n"},
      {"fm_OtrChek", "fm_OtrChek", "menu mi_OtrChek\n"},
      {"fm_Beep", "fm_Beep", "menu mi_Beep\n"},
      {"fm_SostFR", "fm_SostFR", "menu mi_SostKKM\n"},
      {"fm_SostEKLZ", "fm_SostEKLZ", "menu mi_SostEKLZ\n"},
      {"fm_Ver", "fm_Ver", "menu mi_Ver\n"},
      {"fm_Help", "fm_Help", "menu mi_Help\n"},
      {"fm_Reports", "fm_Reports", PTK_MODE("mi_Reports", "00000030")},
      {"fm_Gash", "fm_Gash", PTK_MODE("mi_Gash", "00000029")},
      {"fm_AvarReport", "fm_AvarReport", "menu mi_AvarReport\n"},
      {"fm_FiskPam", "fm_FiskPam", PTK_MODE("mi_FiskPam", "00000000"), {"pg_FiskPam", "pg_Otch"}},
      {"fm_Registr", "fm_Registr", "menu mi_Reg\nclick fm_Registr.bt_ReadRegistr\n"},
      {"fm_MenadgerReg", "fm_MenadgerReg", "menu mi_Reg\nclick fm_Registr.bt_ReadAllRegistr\n"},
      {"fm_Program", "fm_Program", PTK_MODE("mi_Program", "00000030")},
      {"fm_DataTable",
       "fm_DataTable",
       PTK_MODE("mi_Program", "00000030") "click fm_Program.bt_DataTable\n",
       {"pg_DataTable"}},
      {"fm_DateFR", "fm_DateFR",
       PTK_MODE("mi_Program", "00000030") "click fm_Program.bt_ProgrDateTime\n"},
      {"frmimgman", "frmimgman", PTK_MODE("mi_Program", "00000030") "click fm_Program.btnimgdlg\n"},
      {"fm_ReadPO", "fm_ReadPO", PTK_MODE("mi_Program", "00000030") "click fm_Program.btnrsoft\n"},
      {"fm_SelCheckPO", "fm_SelCheckPO", "menu mi_CheckPO\n"},
      {"fm_PrnStr", "fm_PrnStr", "menu mi_PrnStr\n"},
      {"fm_PrnField", "fm_PrnField", "menu mi_PrnField\n"},
      {"fm_PrnBmp", "fm_PrnBmp", "menu mi_PrnBmp\n"},
      {"fm_EKLZ", "fm_EKLZ", PTK_MODE("mi_EKLZ", "00000030"), {"pg_Otch", "pg_Zapros"}},
      {"fm_Tape", "fm_Tape",
       PTK_MODE("mi_Registr", "00000001") "click fm_Chek.bt_OperOk\n"
                                          "set fm_Chek.Pg_Registr tsch_OpenChek\n"
                                          "click fm_Chek.bt_OperOk\n"
                                          "set fm_Chek.Pg_Registr tsch_Registr\n"
                                          "click fm_Chek.bt_OperOk\n"
                                          "set fm_Chek.Pg_Registr tsch_CloseChek\n"
                                          "click fm_Chek.bt_OperOk\n"
                                          "set fm_Chek.cnotreallyquit 1\n"
                                          "click fm_Chek.bt_ChekClose\n"
                                          "click fm_MainFr.bt_Tape\n"},
  };
  return states;
}

#undef PTK_MODE

// The pages of a page control (tabbed or with button tabs), in order.
inline QList<QWidget*> PagesOf(QObject* control) {
  QList<QWidget*> pages;
  if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
    for (int i = 0; i < tabs->count(); ++i) pages << tabs->widget(i);
  } else if (auto* buttons = qobject_cast<ui::TPageControl*>(control)) {
    for (int i = 0; i < buttons->count(); ++i) pages << buttons->widget(i);
  }
  return pages;
}

// The program against the virtual register with the service switch on (every window
// reachable), its windows built under the given application font.
class ScriptedProgram {
 public:
  explicit ScriptedProgram(const QFont& font) {
    QApplication::setFont(font);
    // The program's waits (command delays, time limits) and the register's run ten times
    // faster: the table reading alone would take seconds otherwise.
    context_ = std::make_unique<ui::AppContext>(ui_, CreateSystemPortDevice(), clock_);
    context_->settings.directory = dir_.path().toStdString();
    context_->service = true;
    emu::EmulatorOptions options;
    options.lineLimitsDivisor = kSpeedUp;
    if (!context_->StartEmulator(options)) qFatal("the virtual register did not start");
    ui::CreateWindows(*context_);
    context_->forms.fm_MainFr->show();
    context_->forms.fm_MainFr->FormActivate();
  }
  ~ScriptedProgram() {
    // Every window closed quietly: no mode left, no question asked.
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    context_.reset();
  }

  // Runs the steps; their transcript.
  std::string Run(const std::string& steps) {
    std::ostringstream out;
    ui::ScriptRunner runner(*context_, ui_, ParseScript(steps), out);
    runner.SetKeepGoing(true);
    runner.Run();
    return out.str();
  }

  QWidget* Window(const QString& name) const {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == name) return w;
    }
    return nullptr;
  }

 private:
  static constexpr uint32_t kSpeedUp = 10;
  ScaledClock clock_{kSpeedUp};
  QTemporaryDir dir_;
  ui::QtUserInterface ui_;
  std::unique_ptr<ui::AppContext> context_;
};

}  // namespace ptk::test
