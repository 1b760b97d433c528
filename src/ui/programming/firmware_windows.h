// The firmware windows: "Чтение ПО" (reading into PO_KKM.bin or PO_FP.bin), the selection
// of the block to compare, and the comparison with a reference file of the PC.
#pragma once

#include "ui/base/form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ptk::ui {

class TRadioGroup;

class Tfm_ReadPO : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_ReadPO(AppContext& context);
  // From the programming window (disabled until this one closes).
  void Open(QWidget* owner);
  void bt_ReadPOClick();

  TRadioGroup* rg_Istochnik;
  QLineEdit* ed_LenPO;
  QPushButton* bt_ReadPO;
  QPushButton* bt_ReadPOExit;
};

class Tfm_CheckPO : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_CheckPO(AppContext& context);
  // source: 1 the control block, 2 the fiscal-memory block.
  void Open(QWidget* owner, int source);
  void bt_SravnClick();
  // The drive box drives the folder list, the folder list the file list and the label;
  // choosing a file writes its name into the edit.
  void dcb_DriveChange();
  void dlb_DirectoriOpen();
  void flb_FileClick();

  QComboBox* dcb_Drive;
  QListWidget* dlb_Directori;
  QListWidget* flb_File;
  QLabel* lb_Dir;
  QLineEdit* ed_File;
  QPushButton* bt_Sravn;
  QPushButton* bt_POExit;

 private:
  void ShowFolder(const QString& folder);
  int source_ = 1;
};

class Tfm_SelCheckPO : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_SelCheckPO(AppContext& context);
  // The main window's firmware-comparison action: programming mode entered with the
  // system administrator's password, this window shown; closing it leaves the mode.
  void CompareAction();

  QPushButton* bt_SravnPOKKM;
  QPushButton* bt_SravnPOFP;
  QPushButton* bt_Close;

 protected:
  void Closed() override;
};

}  // namespace ptk::ui
