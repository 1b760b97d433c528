// "Работа с изображениями": pictures loaded from the PC, shown as the register prints
// them, printed, stored in the register's picture memory, read back, saved, deleted and
// placed in the receipt header and footer; the double-height option.
#pragma once

#include "core/programming/picture_image.h"
#include "ui/base/form.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace ptk {
struct StepProgress;
}

namespace ptk::ui {

class Tfrmimgman : public TForm {
  Q_OBJECT
 public:
  explicit Tfrmimgman(AppContext& context);

  // From the programming window: the memory state and the double-height option read
  // first; the window shown only when both reads succeeded.
  void Open(QWidget* owner);
  void btnimgopenClick();
  void btnimgsaveClick();
  void btnimgprintClick();
  void btnimguploadClick();
  void btndevimggetClick();
  void btndevimgprintClick();
  void btndevimgdeleteClick();
  void btndevimgclearClick();
  void btndevimgpasteClick();
  void btndblheightapplyClick();
  void btndblheightrefreshClick();

  QFrame* panimg;
  QLabel* imgdisplay;
  QLabel* lidx;
  QLabel* lsz;
  QLabel* lwh;
  QPushButton* btnimgopen;
  QPushButton* btnimgsave;
  QPushButton* btnimgprint;
  QPushButton* btnimgupload;
  QGroupBox* gbufstate;
  QLabel* ldevcnt;
  QLabel* ldevmemavail;
  QSpinBox* edevidx;
  QPushButton* btndevimgget;
  QPushButton* btndevimgprint;
  QPushButton* btndevimgdelete;
  QPushButton* btndevimgclear;
  QSpinBox* epastestr;
  QSpinBox* epasteoffset;
  QRadioButton* rbpastehdr;
  QRadioButton* rbpasteftr;
  QPushButton* btndevimgpaste;
  QCheckBox* cdblimgheight;
  QPushButton* btndblheightapply;
  QPushButton* btndblheightrefresh;

 private:
  // Runs work with the progress window over this window (no cancel button); an error
  // code of the work is shown.
  void WithProgress(int total, const std::function<int(const StepProgress&)>& work);
  bool RefreshMemory();
  void Display(const QString& number);
  bool OffsetInEights() const;

  MonoPicture picture_;
  QString folder_ = QStringLiteral(".");
};

}  // namespace ptk::ui
