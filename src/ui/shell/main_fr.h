// The main window "Тестовая программа для ПТК": the main menu from which every function
// is reached, the result line ed_rezult, the menu lock, the first activation that opens
// the port, and the one-shot commands and state queries of the menu.
#pragma once

#include <QMainWindow>
#include <QSet>
#include <functional>
#include <memory>

#include "core/shell/service_commands.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace ptk::ui {

class AppContext;
class TAnimate;

class Tfm_MainFr : public QMainWindow {
  Q_OBJECT
 public:
  explicit Tfm_MainFr(AppContext& context);
  ~Tfm_MainFr() override;

  // The menu lock: disables (locked) or enables the main window and the ten top-level
  // items, in their order. Items without a function yet stay disabled.
  void SetMenuLock(bool locked);
  // The ten top-level items, in the order of the lock.
  QList<QAction*> TopLevelItems() const;

  // Runs once, at the main window's first activation; later calls do nothing.
  void FormActivate();
  bool activated() const { return activated_; }

  // Hooks for the windows that later parts of the program add: a handler makes its item
  // enabled (unless the item is one that stays disabled).
  using Handler = std::function<void()>;
  void SetItemHandler(QAction* item, Handler handler);
  // The six mode-entering items (mode 1..6) call this; setting it enables them.
  using ModeEntry = std::function<void(int mode)>;
  void SetModeEntry(ModeEntry entry);

  // Runs work under the menu lock, as a menu command: false (and nothing run) while
  // another command runs, or when the program is closing once work has ended.
  bool RunUnderMenuLock(const std::function<void()>& work);

  // A window opened from the menu calls this when it closes.
  void ChildWindowClosed();
  // True while a menu command runs.
  // True while a command of the main menu runs, or any exchange holds the line.
  bool busy() const;

  // Menu handlers.
  void RunOneShot(ServiceCommandId id);
  void mi_IgnoreChekClick();
  void mi_ExitRegimClick();
  void mi_SostKKMClick();
  void mi_KodSostKKMClick();
  void mi_TypeUstrClick();
  void mi_VerClick();
  void mi_HelpClick();
  void mi_ExitClick();
  void mi_ModeClick(int mode);
  void ShowTape();

  QMenuBar* MainMenu_Fr;
  QLabel* Label1;
  QLabel* Label2;
  QFrame* Panel1;
  QLineEdit* ed_rezult;
  QFrame* pn_Animate;
  QLabel* lb_Animate;
  TAnimate* an_Animate;
  QPushButton* bt_Tape;  // "Лента ПТК" of the virtual register, only with it

  QMenu* mi_ConfigMenu;
  QMenu* mi_ZaprosMenu;
  QAction* mi_Config;
  QAction* mi_Nastr;
  QAction* mi_ExitRegim;
  QAction* mi_IgnoreChek;
  QAction* mi_PrnStr;
  QAction* mi_PrnField;
  QAction* mi_PrnBmp;
  QAction* mi_PrnTitleChek;
  QAction* mi_PrnEndChek;
  QAction* mi_OtrChek;
  QAction* mi_Beep;
  QAction* mi_Gudok;
  QAction* mi_OpenManeyBox;
  QAction* mi_DemoPrn;
  QAction* mi_TehnolNull;
  QAction* mi_InitTable;
  QAction* mi_Zapros;
  QAction* mi_SostKKM;
  QAction* mi_KodSostKKM;
  QAction* mi_SostEKLZ;
  QAction* mi_NalMoney;
  QAction* mi_LastSmenItog;
  QAction* mi_TypeUstr;
  QAction* mi_Ver;
  QAction* mi_Reg;
  QAction* mi_AvarReport;
  QAction* mi_Program;
  QAction* mi_Registr;
  QAction* mi_Reports;
  QAction* mi_Gash;
  QAction* mi_FiskPam;
  QAction* mi_EKLZ;
  QAction* mi_Help;
  QAction* mi_Exit;

 signals:
  // The main window was closed and the port with it: the program ends.
  void closed();

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  QAction* AddItem(QWidget* menu, const char* name, const char* caption);
  void BuildMenu();
  void BuildClient();
  // Runs work under the menu lock, with the guard against a second command.
  template <class F>
  void Locked(F&& work);
  void RunStateQuery(int which, const QString& caption);
  void BeginCommand();
  void EndCommand();

  AppContext& context_;
  // The two submenus have no parent widget: a disabled main window would otherwise
  // disable them and, through them, their items, which only the menu lock may change.
  std::unique_ptr<QMenu> configMenu_;
  std::unique_ptr<QMenu> zaprosMenu_;
  bool activated_ = false;
  bool activating_ = false;
  bool busy_ = false;
  bool closePending_ = false;
  QSet<QAction*> unavailable_;  // top-level items without their function yet
  ModeEntry modeEntry_;
};

}  // namespace ptk::ui
