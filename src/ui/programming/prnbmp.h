// "Печать картинки с ПК": a monochrome BMP file of the PC printed line by line, with a
// repeat count and an offset.
#pragma once

#include "ui/base/form.h"

class QLineEdit;
class QPushButton;

namespace ptk::ui {

class TEditNum;

class Tfm_PrnBmp : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_PrnBmp(AppContext& context);

  // From the main menu: shown first, then the file emptied, repeat 1, offset 0.
  void Open();
  void bt_OpenFileClick();
  void bt_PrnBmpClick();

  QLineEdit* ed_File;
  QPushButton* bt_OpenFile;
  TEditNum* edn_Povtor;
  TEditNum* edn_Smesh;
  QPushButton* bt_PrnBmp;
  QPushButton* bt_PrnBmpExit;
};

}  // namespace ptk::ui
