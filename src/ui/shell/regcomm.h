// Mode entry: the six mode-entering menu items ask the register for its current mode and
// either open the mode's window at once or ask for the mode password in fm_RegComm, which
// leaves the current mode, enters the wanted one and then opens the mode's window.
#pragma once

#include <array>
#include <functional>

#include "ui/base/form.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ptk::ui {

class AppContext;
class Tfm_PrnField;
class Tfm_PrnStr;

class Tfm_RegComm : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_RegComm(AppContext& context);

  // How the window of a mode (1..6) is prepared and shown after a successful entry; the
  // main window stays disabled until that window closes. A mode without an opener ends
  // the entry with the main window enabled again and the success on the result line.
  using Opener = std::function<void()>;
  void SetModeWindowOpener(int mode, Opener opener);
  void OpenModeWindow(int mode);

  // The handler of the six mode-entering menu items.
  void ModeItemClick(int mode);

  void bt_RegCommOkClick();
  void bt_RegCommNoClick();

  QLabel* lb_Pass;
  QLineEdit* ed_Pass;
  QPushButton* bt_RegCommOk;
  QPushButton* bt_RegCommNo;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::array<Opener, 7> openers_{};
};

// Creates fm_RegComm, fm_PrnStr and fm_PrnField (they belong to the context and are put
// into its forms) and connects the six mode-entering items and the items "Печать строки"
// and "Печать поля". Part of creating the program's windows.
struct ModeAndPrintWindows {
  Tfm_RegComm* fm_RegComm = nullptr;
  Tfm_PrnStr* fm_PrnStr = nullptr;
  Tfm_PrnField* fm_PrnField = nullptr;
};
ModeAndPrintWindows InstallModeEntryAndPrinting(AppContext& context);

}  // namespace ptk::ui
