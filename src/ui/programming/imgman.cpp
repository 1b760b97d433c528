#include "ui/programming/imgman.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/link/direct_command.h"
#include "core/programming/field_catalogue.h"
#include "core/programming/pictures.h"
#include "core/programming/table_fields.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/controls/updown_edit.h"
#include "ui/controls/widget_build.h"
#include "ui/shell/progress.h"

namespace ptk::ui {
namespace {

constexpr int kDisplayWidth = 320;
constexpr int kDisplayHeight = 200;

using build::Button;
using build::Named;

QSpinBox* UpDown(QWidget* parent, const char* name, int min, int max, int value) {
  auto* s = Named(new QSpinBox(parent), name);
  s->setRange(min, max);
  s->setValue(value);
  return s;
}

QImage ToImage(const MonoPicture& p) {
  QImage image(p.width, p.height, QImage::Format_Mono);
  image.setColor(0, qRgb(255, 255, 255));
  image.setColor(1, qRgb(0, 0, 0));
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) image.setPixel(x, y, p.Dot(x, y) ? 1 : 0);
  return image;
}

PixelImage FromImage(const QImage& loaded) {
  const QImage rgb = loaded.convertToFormat(QImage::Format_RGB888);
  PixelImage p;
  p.width = rgb.width();
  p.height = rgb.height();
  p.channels = 3;
  p.pixels.resize(static_cast<size_t>(p.width) * p.height * 3);
  for (int y = 0; y < p.height; ++y)
    std::copy_n(rgb.constScanLine(y), p.width * 3,
                p.pixels.begin() + static_cast<ptrdiff_t>(y) * p.width * 3);
  return p;
}

}  // namespace

Tfrmimgman::Tfrmimgman(AppContext& context)
    : TForm(context, "frmimgman", QStringLiteral("Работа с изображениями")) {
  panimg = Named(new QFrame(this), "panimg");
  panimg->setFrameShape(QFrame::StyledPanel);
  panimg->setFixedSize(kDisplayWidth + 4, kDisplayHeight + 4);
  imgdisplay = Named(new QLabel(panimg), "imgdisplay");
  imgdisplay->setGeometry(2, 2, kDisplayWidth, kDisplayHeight);
  imgdisplay->setAlignment(Qt::AlignCenter);
  lidx = Named(new QLabel(Qs(kTextPictureNumberNone), this), "lidx");
  lsz = Named(new QLabel(this), "lsz");
  lwh = Named(new QLabel(this), "lwh");
  for (QLabel* l : {lidx, lsz, lwh}) l->hide();
  btnimgopen = Button(this, "btnimgopen", "Открыть");
  btnimgsave = Button(this, "btnimgsave", "Сохранить");
  btnimgprint = Button(this, "btnimgprint", "Печать");
  btnimgupload = Button(this, "btnimgupload", "Добавить");

  gbufstate = Named(new QGroupBox(QStringLiteral("Буфер изображений"), this), "gbufstate");
  ldevcnt = Named(new QLabel(gbufstate), "ldevcnt");
  ldevmemavail = Named(new QLabel(gbufstate), "ldevmemavail");
  edevidx = Named(new TUpDownEdit(1, 255, 1, gbufstate), "edevidx");  // normalised on change
  btndevimgget = Button(gbufstate, "btndevimgget", "Показать");
  btndevimgprint = Button(gbufstate, "btndevimgprint", "Печатать");
  btndevimgdelete = Button(gbufstate, "btndevimgdelete", "Удалить");
  btndevimgclear = Button(gbufstate, "btndevimgclear", "Удалить все");
  epastestr = UpDown(gbufstate, "epastestr", 0, 10, 0);
  epasteoffset = UpDown(gbufstate, "epasteoffset", 0, 600, 0);
  rbpastehdr = Named(new QRadioButton(QStringLiteral("в заголовок чека"), gbufstate), "rbpastehdr");
  rbpasteftr = Named(new QRadioButton(QStringLiteral("в окончание чека"), gbufstate), "rbpasteftr");
  rbpastehdr->setChecked(true);
  btndevimgpaste = Button(gbufstate, "btndevimgpaste", "Вставить");
  auto* buf = new QGridLayout(gbufstate);
  buf->addWidget(ldevcnt, 0, 0, 1, 2);
  buf->addWidget(ldevmemavail, 1, 0, 1, 2);
  buf->addWidget(new QLabel(QStringLiteral("Изображение номер"), gbufstate), 2, 0);
  buf->addWidget(edevidx, 2, 1);
  buf->addWidget(btndevimgget, 3, 0);
  buf->addWidget(btndevimgprint, 3, 1);
  buf->addWidget(btndevimgdelete, 4, 0);
  buf->addWidget(btndevimgclear, 4, 1);
  buf->addWidget(new QLabel(QStringLiteral("Строка"), gbufstate), 5, 0);
  buf->addWidget(epastestr, 5, 1);
  buf->addWidget(new QLabel(QStringLiteral("Смещение"), gbufstate), 6, 0);
  buf->addWidget(epasteoffset, 6, 1);
  buf->addWidget(rbpastehdr, 7, 0, 1, 2);
  buf->addWidget(rbpasteftr, 8, 0, 1, 2);
  buf->addWidget(btndevimgpaste, 9, 0, 1, 2);

  cdblimgheight =
      Named(new QCheckBox(QStringLiteral("Удваивать высоту изображений при печати"), this),
            "cdblimgheight");
  btndblheightapply = Button(this, "btndblheightapply", "✓");
  btndblheightrefresh = Button(this, "btndblheightrefresh", "↻");
  auto* labels = new QHBoxLayout;
  for (QLabel* l : {lidx, lsz, lwh}) labels->addWidget(l);
  auto* fileButtons = new QHBoxLayout;
  for (QPushButton* b : {btnimgopen, btnimgsave, btnimgprint, btnimgupload})
    fileButtons->addWidget(b);
  auto* left = new QVBoxLayout;
  left->addWidget(panimg);
  left->addLayout(labels);
  left->addLayout(fileButtons);
  auto* height = new QHBoxLayout;
  height->addWidget(cdblimgheight, 1);
  height->addWidget(btndblheightapply);
  height->addWidget(btndblheightrefresh);
  left->addLayout(height);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addWidget(gbufstate);

  connect(btnimgopen, &QPushButton::clicked, this, &Tfrmimgman::btnimgopenClick);
  connect(btnimgsave, &QPushButton::clicked, this, &Tfrmimgman::btnimgsaveClick);
  connect(btnimgprint, &QPushButton::clicked, this, &Tfrmimgman::btnimgprintClick);
  connect(btnimgupload, &QPushButton::clicked, this, &Tfrmimgman::btnimguploadClick);
  connect(btndevimgget, &QPushButton::clicked, this, &Tfrmimgman::btndevimggetClick);
  connect(btndevimgprint, &QPushButton::clicked, this, &Tfrmimgman::btndevimgprintClick);
  connect(btndevimgdelete, &QPushButton::clicked, this, &Tfrmimgman::btndevimgdeleteClick);
  connect(btndevimgclear, &QPushButton::clicked, this, &Tfrmimgman::btndevimgclearClick);
  connect(btndevimgpaste, &QPushButton::clicked, this, &Tfrmimgman::btndevimgpasteClick);
  connect(btndblheightapply, &QPushButton::clicked, this, &Tfrmimgman::btndblheightapplyClick);
  connect(btndblheightrefresh, &QPushButton::clicked, this, &Tfrmimgman::btndblheightrefreshClick);
}

bool Tfrmimgman::OffsetInEights() const {
  return CurrentModel().modelCode == kModelCodeThird;
}

bool Tfrmimgman::RefreshMemory() {
  PictureMemory memory;
  const int error = QueryPictureMemory(link(), memory);
  if (error != direct_error::kOk) {
    ShowDirectError(ui(), error);
    return false;
  }
  ldevcnt->setText(Qs(PictureCountText(memory.count)));
  ldevmemavail->setText(Qs(PictureFreeText(memory.freeBytes)));
  return true;
}

void Tfrmimgman::Open(QWidget* owner) {
  if (!RefreshMemory()) return;
  CompactAnswer answer;
  const int error =
      ReadFieldCompact(link(), kSettingsTable, 1, settings_field::kDoubleImageHeight, answer);
  if (error != direct_error::kOk) {
    ShowDirectError(ui(), error);
    return;
  }
  cdblimgheight->setChecked(!answer.Value().empty() && answer.Value()[0] != 0);
  ShowOver(owner, nullptr);
}

void Tfrmimgman::WithProgress(int total, const std::function<int(const StepProgress&)>& work) {
  Tprogress* progress = context().forms.progress;
  RunCommand([&] {
    if (progress) progress->ProgressStart(this, total);
    StepProgress steps;
    steps.setTotal = [progress](int n) {
      if (progress) progress->ProgressSetTotal(n);
    };
    steps.step = [progress] {
      if (progress) progress->ProgressIncrement();
    };
    const int error = work(steps);
    if (progress) progress->ProgressClose();
    setEnabled(false);  // the run enables the window again
    if (error != direct_error::kOk) ShowDirectError(ui(), error);
  });
}

void Tfrmimgman::Display(const QString& number) {
  const DisplayFit fit =
      FitPictureToArea(picture_.width, picture_.height, kDisplayWidth, kDisplayHeight);
  const QImage image = ToImage(picture_);
  imgdisplay->setPixmap(
      QPixmap::fromImage(fit.stretched ? image.scaled(fit.width, fit.height) : image));
  lidx->setText(number);
  lsz->setText(Qs(PictureSizeText(picture_.width, picture_.height)));
  lwh->setText(Qs(PictureDimensionsText(picture_.width, picture_.height)));
  for (QLabel* l : {lidx, lsz, lwh}) l->show();
}

void Tfrmimgman::btnimgopenClick() {
  FileRequest request;
  request.caption = "Открыть изображение";
  request.directory = Std(folder_);
  request.filter = "Изображения (*.bmp *.png *.jpg *.gif);;Все файлы (*)";
  const std::optional<std::string> path = ui().AskFile(request);
  if (!path) return;
  folder_ = QFileInfo(Qs(*path)).absolutePath();
  const QImage loaded(Qs(*path));
  if (loaded.isNull()) {
    ShowDirectError(ui(), direct_error::kFileRead);
    return;
  }
  picture_ = ToMonochrome(FromImage(loaded));
  Display(Qs(kTextPictureNumberNone));
}

void Tfrmimgman::btnimgsaveClick() {
  FileRequest request;
  request.kind = FileDialogKind::Save;
  request.caption = "Сохранить изображение";
  request.directory = Std(folder_);
  request.filter = "BMP (*.bmp)";
  const std::optional<std::string> path = ui().AskFile(request);
  if (!path) return;
  folder_ = QFileInfo(Qs(*path)).absolutePath();
  const std::vector<uint8_t> bytes = MonochromeBmp(picture_);
  QFile file(Qs(*path));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size()))
    ShowDirectError(ui(), direct_error::kFileWrite);
}

void Tfrmimgman::btnimgprintClick() {
  WithProgress(picture_.height,
               [this](const StepProgress& p) { return PrintPictureLines(link(), picture_, p); });
}

void Tfrmimgman::btnimguploadClick() {
  UploadResult result;
  WithProgress(picture_.height + 4,
               [&](const StepProgress& p) { return UploadPicture(link(), picture_, p, result); });
  if (result.number > 0) lidx->setText(Qs(PictureNumberText(result.number)));
  if (result.memoryKnown) {
    ldevcnt->setText(Qs(PictureCountText(result.memory.count)));
    ldevmemavail->setText(Qs(PictureFreeText(result.memory.freeBytes)));
  } else {
    ldevcnt->setText(Qs(kTextPictureCountUnknown));
    ldevmemavail->setText(Qs(kTextPictureFreeUnknown));
  }
}

void Tfrmimgman::btndevimggetClick() {
  const int n = edevidx->value();
  MonoPicture read;
  bool ok = false;
  WithProgress(1, [&](const StepProgress& p) {
    const int error = ReadStoredPicture(link(), n, p, read);
    ok = error == direct_error::kOk;
    return error;
  });
  if (!ok) return;
  picture_ = read;
  Display(Qs(PictureNumberText(n)));
}

void Tfrmimgman::btndevimgprintClick() {
  WithProgress(1, [this](const StepProgress& p) {
    const int error =
        PrintStoredPicture(link(), edevidx->value(), epasteoffset->value(), OffsetInEights());
    p.Step();
    return error;
  });
}

void Tfrmimgman::btndevimgdeleteClick() {
  if (ui().ShowBox(kCaptionQuestion, kTextDeletePictureQuestion, Icon::Question,
                   Buttons::OkCancel) != Answer::Ok)
    return;
  WithProgress(1, [this](const StepProgress&) { return DeletePicture(link(), edevidx->value()); });
  RefreshMemory();
}

void Tfrmimgman::btndevimgclearClick() {
  if (ui().ShowBox(kCaptionQuestion, kTextClearPicturesQuestion, Icon::Question,
                   Buttons::OkCancel) != Answer::Ok)
    return;
  WithProgress(1, [this](const StepProgress&) { return DeletePicture(link(), 0); });
  RefreshMemory();
}

void Tfrmimgman::btndevimgpasteClick() {
  WithProgress(11, [this](const StepProgress& p) {
    return InsertPictureInReceiptText(
        link(), rbpastehdr->isChecked() ? ReceiptText::Header : ReceiptText::Footer,
        epastestr->value(), edevidx->value(), epasteoffset->value(), OffsetInEights(), p);
  });
}

void Tfrmimgman::btndblheightapplyClick() {
  WithProgress(1, [this](const StepProgress& p) {
    const uint8_t value = cdblimgheight->isChecked() ? 1 : 0;
    const int error = WriteFieldCompact(link(), kSettingsTable, 1,
                                        settings_field::kDoubleImageHeight, {&value, 1});
    p.Step();
    return error;
  });
}

void Tfrmimgman::btndblheightrefreshClick() {
  lidx->setText(Qs(kTextPictureNumberNone));
  WithProgress(2, [this](const StepProgress& p) {
    CompactAnswer answer;
    int error =
        ReadFieldCompact(link(), kSettingsTable, 1, settings_field::kDoubleImageHeight, answer);
    if (error != direct_error::kOk) return error;
    cdblimgheight->setChecked(!answer.Value().empty() && answer.Value()[0] != 0);
    p.Step();
    PictureMemory memory;
    error = QueryPictureMemory(link(), memory);
    if (error != direct_error::kOk) return error;
    ldevcnt->setText(Qs(PictureCountText(memory.count)));
    ldevmemavail->setText(Qs(PictureFreeText(memory.freeBytes)));
    p.Step();
    return error;
  });
}

}  // namespace ptk::ui
