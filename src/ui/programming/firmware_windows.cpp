#include "ui/programming/firmware_windows.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "core/link/direct_command.h"
#include "core/programming/firmware.h"
#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/radio_group.h"
#include "ui/controls/widget_build.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/process.h"

namespace ptk::ui {
namespace {

using build::Button;
using build::ButtonRow;
using build::Named;

// The transfer's progress on the process window; the size, once known, also in size.
FirmwareProgress ProgressOf(ProcessRun& run, QLineEdit* size) {
  FirmwareProgress p;
  p.started = [&run, size](uint32_t bytes) {
    if (size) size->setText(QString::number(bytes));
    run.SetMaximum(static_cast<int>(bytes));
  };
  p.advanced = [&run](uint64_t gauge) { run.SetValue(gauge); };
  return p;
}

// Whether the firmware file can be written, known before minutes of reading: a file
// created beside it (and removed again), and the name itself not a folder. The error is
// the one the read would show at its end: 0, or the direct-command file error.
int CheckFirmwareFile(const QString& path) {
  const QFileInfo target(path);
  if (target.isDir()) return direct_error::kFileWrite;  // the rename at the end would fail
  QTemporaryFile probe(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
  return probe.open() ? direct_error::kOk : direct_error::kCannotOpenFile;
}

}  // namespace

Tfm_ReadPO::Tfm_ReadPO(AppContext& context)
    : TForm(context, "fm_ReadPO", QStringLiteral("Чтение ПО")) {
  rg_Istochnik = new TRadioGroup(
      "rg_Istochnik", QStringLiteral("ИСТОЧНИК"),
      {QStringLiteral("блок управления ПТК"), QStringLiteral("блок фискальной памяти")}, this);
  ed_LenPO = Named(new QLineEdit(this), "ed_LenPO");
  ed_LenPO->setReadOnly(true);
  bt_ReadPO = Button(this, "bt_ReadPO", "&Считать", "Начать считывание ПО");
  bt_ReadPOExit = Button(this, "bt_ReadPOExit", "&Закрыть", "Выйти из режима");
  auto* size = new QFormLayout;
  size->addRow(QStringLiteral("Размер ПО (в байтах):"), ed_LenPO);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(rg_Istochnik);
  layout->addLayout(size);
  layout->addLayout(ButtonRow({bt_ReadPO, bt_ReadPOExit}));
  FixClientSize(this, sizeHint().expandedTo(QSize(360, 0)));
  SetCommandControls({rg_Istochnik, bt_ReadPO, bt_ReadPOExit});
  connect(bt_ReadPO, &QPushButton::clicked, this, &Tfm_ReadPO::bt_ReadPOClick);
  connect(bt_ReadPOExit, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_ReadPO::Open(QWidget* owner) {
  rg_Istochnik->setItemIndex(0);
  ed_LenPO->clear();
  if (Tfm_Process* process = context().forms.fm_Process) process->cg_Time->setValue(0);
  ShowOver(owner, bt_ReadPO);
}

void Tfm_ReadPO::bt_ReadPOClick() {
  const auto source = rg_Istochnik->itemIndex() == 1 ? FirmwareSource::Fp : FirmwareSource::Ptk;
  RunCommand([&] {
    const int fileError = CheckFirmwareFile(Qs(FirmwareFileName(source)));
    if (fileError != direct_error::kOk) {
      ShowDirectError(ui(), fileError);
      return;
    }
    ProcessRun run(context().forms.fm_Process, Qs(kCaptionFirmwareReading));
    ed_LenPO->clear();
    const FirmwareRead read =
        ReadFirmware(link(), context().abort, source, std::string(FirmwareFileName(source)),
                     ProgressOf(run, ed_LenPO));
    if (read.status == kFirmwareComplete) ShowInfo(ui(), FirmwareReadText(source));
  });
}

Tfm_CheckPO::Tfm_CheckPO(AppContext& context)
    : TForm(context, "fm_CheckPO", QStringLiteral("Сравнение ПО ПТК")) {
  dcb_Drive = Named(new QComboBox(this), "dcb_Drive");
  for (const QFileInfo& drive : QDir::drives())
    dcb_Drive->addItem(QDir::toNativeSeparators(drive.absoluteFilePath()));
  dlb_Directori = Named(new QListWidget(this), "dlb_Directori");
  flb_File = Named(new QListWidget(this), "flb_File");
  lb_Dir = Named(new QLabel(this), "lb_Dir");
  ed_File = Named(new QLineEdit(QStringLiteral("*.*"), this), "ed_File");
  bt_Sravn = Button(this, "bt_Sravn", "&Сравнить", "Сравнить ПО с выбранным файлом");
  bt_POExit = Button(this, "bt_POExit", "&Закрыть", "Выйти из режима");
  auto* lists = new QGridLayout;
  lists->addWidget(ed_File, 0, 0);
  lists->addWidget(lb_Dir, 0, 1);
  lists->addWidget(flb_File, 1, 0);
  lists->addWidget(dlb_Directori, 1, 1);
  lists->addWidget(dcb_Drive, 2, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Укажите файл для сравнения ПО:"), this));
  layout->addLayout(lists);
  layout->addLayout(ButtonRow({bt_Sravn, bt_POExit}));
  resize(520, 360);
  SetCommandControls({dcb_Drive, dlb_Directori, flb_File, ed_File, bt_Sravn, bt_POExit});
  connect(dcb_Drive, &QComboBox::currentIndexChanged, this, &Tfm_CheckPO::dcb_DriveChange);
  connect(dlb_Directori, &QListWidget::itemActivated, this, &Tfm_CheckPO::dlb_DirectoriOpen);
  connect(flb_File, &QListWidget::currentRowChanged, this, &Tfm_CheckPO::flb_FileClick);
  connect(bt_Sravn, &QPushButton::clicked, this, &Tfm_CheckPO::bt_SravnClick);
  connect(bt_POExit, &QPushButton::clicked, this, &QWidget::close);
  // The lists start in the working folder.
  ShowFolder(QDir::currentPath());
}

void Tfm_CheckPO::ShowFolder(const QString& folder) {
  const QDir dir(folder);
  lb_Dir->setText(QDir::toNativeSeparators(dir.absolutePath()));
  dlb_Directori->clear();
  if (!dir.isRoot()) dlb_Directori->addItem(QStringLiteral(".."));
  dlb_Directori->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name));
  flb_File->clear();
  flb_File->addItems(dir.entryList(QDir::Files, QDir::Name));
}

void Tfm_CheckPO::dcb_DriveChange() {
  if (dcb_Drive->currentIndex() >= 0)
    ShowFolder(QDir::fromNativeSeparators(dcb_Drive->currentText()));
}

void Tfm_CheckPO::dlb_DirectoriOpen() {
  QListWidgetItem* item = dlb_Directori->currentItem();
  if (!item) return;
  QDir dir(QDir::fromNativeSeparators(lb_Dir->text()));
  if (dir.cd(item->text())) ShowFolder(dir.absolutePath());
}

void Tfm_CheckPO::flb_FileClick() {
  if (QListWidgetItem* item = flb_File->currentItem()) ed_File->setText(item->text());
}

void Tfm_CheckPO::Open(QWidget* owner, int source) {
  source_ = source;
  setWindowTitle(
      Qs(FirmwareCompareCaption(source == 2 ? FirmwareSource::Fp : FirmwareSource::Ptk)));
  ShowFolder(QDir::fromNativeSeparators(lb_Dir->text()));
  if (Tfm_Process* process = context().forms.fm_Process) process->cg_Time->setValue(0);
  ShowOver(owner, nullptr);
}

void Tfm_CheckPO::bt_SravnClick() {
  const auto source = source_ == 2 ? FirmwareSource::Fp : FirmwareSource::Ptk;
  const std::string reference = Std(QDir::toNativeSeparators(
      QDir(QDir::fromNativeSeparators(lb_Dir->text())).filePath(ed_File->text())));
  RunCommand([&] {
    ProcessRun run(context().forms.fm_Process, windowTitle());
    CompareFirmware(link(), context().abort, source, reference,
                    std::string(FirmwareFileName(source)), ProgressOf(run, nullptr));
  });
}

Tfm_SelCheckPO::Tfm_SelCheckPO(AppContext& context)
    : TForm(context, "fm_SelCheckPO", QStringLiteral("Режим сравнения программного обеспечения ")) {
  bt_SravnPOKKM = Button(this, "bt_SravnPOKKM", "Блок управления ПТК", "Сравнение ПО ККТ");
  bt_SravnPOFP = Button(this, "bt_SravnPOFP", "Блок фискальной памяти", "Сравнение ПО ФП");
  bt_Close = Button(this, "bt_Close", "&Закрыть", "Выйти из режима");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bt_SravnPOKKM);
  layout->addWidget(bt_SravnPOFP);
  layout->addWidget(bt_Close);
  FixClientSize(this, sizeHint().expandedTo(QSize(320, 0)));
  connect(bt_SravnPOKKM, &QPushButton::clicked, this, [this] {
    if (Tfm_CheckPO* check = this->context().forms.fm_CheckPO) check->Open(this, 1);
  });
  connect(bt_SravnPOFP, &QPushButton::clicked, this, [this] {
    if (Tfm_CheckPO* check = this->context().forms.fm_CheckPO) check->Open(this, 2);
  });
  connect(bt_Close, &QPushButton::clicked, this, &QWidget::close);
}

void Tfm_SelCheckPO::CompareAction() {
  Tfm_MainFr* main = context().forms.fm_MainFr;
  if (!main) return;
  int entered = 0;
  if (!main->RunUnderMenuLock([&] { entered = EnterFirmwareProgramming(link(), context().abort); }))
    return;
  if (entered != kExchangeOk) return;
  ShowFromMenu(bt_SravnPOKKM, true);
}

void Tfm_SelCheckPO::Closed() {
  RunCommand([this] { ExitMode(link()); });
}

}  // namespace ptk::ui
