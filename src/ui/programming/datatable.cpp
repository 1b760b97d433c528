// The tables window's tabs and controls. Reading and writing are in datatable_io.cpp.
#include "ui/programming/datatable.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/programming/field_catalogue.h"
#include "ui/base/qt_user_interface.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/radio_group.h"
#include "ui/controls/updown_edit.h"
#include "ui/controls/widget_build.h"

namespace ptk::ui {
namespace {

using build::Button;
using build::Named;

QCheckBox* Check(QWidget* parent, const char* name, const char* caption) {
  return Named(new QCheckBox(QString::fromUtf8(caption), parent), name);
}

QTableWidget* Grid(QWidget* parent, const char* name, int rows, const QStringList& columns,
                   const QStringList& rowHeaders) {
  auto* g = Named(new QTableWidget(rows, static_cast<int>(columns.size()), parent), name);
  g->setHorizontalHeaderLabels(columns);
  g->setVerticalHeaderLabels(rowHeaders);
  g->horizontalHeader()->setStretchLastSection(true);
  g->verticalHeader()->setDefaultSectionSize(22);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns.size(); ++c) g->setItem(r, c, new QTableWidgetItem);
  return g;
}

// Writes the header of the row-header column into the grid's corner (the corner button
// has no text of its own) and keeps the row headers as wide as it. Scripts read it as the
// corner cell.
void SetCornerText(QTableWidget* grid, const QString& text) {
  grid->setProperty("cornerText", text);
  grid->verticalHeader()->setToolTip(text);
  auto* corner = grid->findChild<QAbstractButton*>();
  if (!corner) return;
  auto* label = new QLabel(text, corner);
  label->setAlignment(Qt::AlignCenter);
  auto* fill = new QHBoxLayout(corner);
  fill->setContentsMargins(0, 0, 0, 0);
  fill->addWidget(label);
  const int margin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid);
  grid->verticalHeader()->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) +
                                          4 * margin);
}

// A track bar's marks labelled with their values under it.
QWidget* MarkedSlider(QSlider* slider) {
  auto* box = new QWidget(slider->parentWidget());
  auto* marks = new QHBoxLayout;
  const int handle = slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider);
  marks->setContentsMargins(handle / 2 - 3, 0, handle / 2 - 3, 0);
  for (int value = slider->minimum(); value <= slider->maximum(); ++value) {
    if (value > slider->minimum()) marks->addStretch(1);
    marks->addWidget(new QLabel(QString::number(value), box));
  }
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  slider->setParent(box);
  column->addWidget(slider);
  column->addLayout(marks);
  return box;
}

QStringList Numbers(int count, const QString& prefix = {}) {
  QStringList out;
  for (int i = 1; i <= count; ++i) out << prefix + QString::number(i);
  return out;
}

// Every number-and-up-down pair of this window is normalised on every change.
QSpinBox* UpDown(QWidget* parent, const char* name, int min, int max, int value) {
  return Named(new TUpDownEdit(min, max, value, parent), name);
}

QHBoxLayout* Buttons(QPushButton* ok, QPushButton* retry) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(retry);
  return row;
}

}  // namespace

Tfm_DataTable::Tfm_DataTable(AppContext& context)
    : TForm(context, "fm_DataTable", QStringLiteral("Работа с таблицами")) {
  pg_DataTable = Named(new QTabWidget(this), "pg_DataTable");
  pg_DataTable->setUsesScrollButtons(false);
  BuildTypeRegim();
  BuildPasswords();
  BuildDiscounts();
  BuildTexts();
  BuildSections();
  BuildTaxes();
  BuildPrint();
  BuildAttributes();
  BuildBindings();

  ed_Process =
      Named(new QLineEdit(QStringLiteral("Идет выпонение команды ..."), this), "ed_Process");
  ed_Process->setReadOnly(true);
  bt_Close = Button(this, "bt_Close", "&Закрыть", "Выйти");
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ed_Process, 1);
  bottom->addWidget(bt_Close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pg_DataTable, 1);
  layout->addLayout(bottom);
  resize(720, 560);
  connect(bt_Close, &QPushButton::clicked, this, &QWidget::close);
  SetCommandControls({pg_DataTable, bt_Close});
}

void Tfm_DataTable::BuildTypeRegim() {
  tsch_TypeRegim = Named(new QWidget, "tsch_TypeRegim");
  QWidget* p = tsch_TypeRegim;
  edn_NumKKM = Named(new TEditNum(p), "edn_NumKKM");
  edn_NumKKM->setMaxLength(2);
  auto* pay = new QGroupBox(QStringLiteral("Разрешить вид оплаты"), p);
  cb_TypeOpl2 = Check(pay, "cb_TypeOpl2", "тип оплаты 2");
  cb_TypeOpl3 = Check(pay, "cb_TypeOpl3", "тип оплаты 3");
  cb_TypeOpl4 = Check(pay, "cb_TypeOpl4", "тип оплаты 4");
  auto* payLayout = new QVBoxLayout(pay);
  for (QCheckBox* c : {cb_TypeOpl2, cb_TypeOpl3, cb_TypeOpl4}) payLayout->addWidget(c);
  auto* tax = new QGroupBox(QStringLiteral("Тип налога"), p);
  auto* taxLayout = new QVBoxLayout(tax);
  const char* taxTexts[5] = {"запрещено", "на весь чек", "на каждую продажу",
                             "на чек без печати суммы ", "на позицию без печати суммы "};
  for (int i = 0; i < 5; ++i) {
    rb_TypeNalog[i] = new QRadioButton(QString::fromUtf8(taxTexts[i]), tax);
    rb_TypeNalog[i]->setObjectName(QStringLiteral("rb_TypeNalog%1").arg(i));
    taxLayout->addWidget(rb_TypeNalog[i]);
  }
  rb_TypeNalog[2]->setChecked(true);
  cb_OpenBox = Check(p, "cb_OpenBox", "Открывать денежный ящик при закрытии чека");
  cb_ChChekNull = Check(p, "cb_ChChekNull", "Обнулять счетчик чеков при закрытии смены");
  cb_TimeGash = Check(p, "cb_TimeGash", "Отсрочка гашения (не гасить через 24 часа)");
  cb_TimeGash->setVisible(false);
  cb_ClearSum = Check(p, "cb_ClearSum", "Обнулять сумму наличных в кассе при закрытии смены ");
  cusepoledisplay = Check(p, "cusepoledisplay", "Использовать дисплей покупателя");
  bt_TypeRegOk = Button(p, "bt_TypeRegOk", "Применить", "Запрограммировать настройки");
  bt_TypeRegRetry = Button(p, "bt_TypeRegRetry", "Считать", "Считать настройки");

  auto* number = new QFormLayout;
  number->addRow(QStringLiteral("Номер ПТК"), edn_NumKKM);
  auto* groups = new QHBoxLayout;
  groups->addWidget(pay);
  groups->addWidget(tax);
  auto* layout = new QVBoxLayout(p);
  layout->addLayout(number);
  layout->addLayout(groups);
  for (QCheckBox* c : {cb_OpenBox, cb_ChChekNull, cb_TimeGash, cb_ClearSum, cusepoledisplay})
    layout->addWidget(c);
  layout->addStretch();
  layout->addLayout(Buttons(bt_TypeRegOk, bt_TypeRegRetry));
  pg_DataTable->addTab(p, QStringLiteral("ТИП И РЕЖИМЫ"));
  groupModes_ = {edn_NumKKM,    cb_TypeOpl2, cb_TypeOpl3, cb_TypeOpl4,  cb_OpenBox,
                 cb_ChChekNull, cb_TimeGash, cb_ClearSum, bt_TypeRegOk, bt_TypeRegRetry};
  for (QRadioButton* r : rb_TypeNalog) groupModes_ << r;
  connect(bt_TypeRegOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_TypeRegOkClick);
  connect(bt_TypeRegRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_TypeRegRetryClick);
}

void Tfm_DataTable::BuildPasswords() {
  tsch_Password = Named(new QWidget, "tsch_Password");
  QWidget* p = tsch_Password;
  QStringList rows = Numbers(28, QStringLiteral("Кассир "));
  rows << QStringLiteral("Администр.") << QStringLiteral("Сис. админ.");
  sg_Pass = Grid(p, "sg_Pass", kUserRows,
                 {QStringLiteral(" ПАРОЛЬ"), QStringLiteral("                    ИМЯ")}, rows);
  ecommpwd = Named(new QLineEdit(QStringLiteral("7391"), p), "ecommpwd");
  ecommpwd->setInputMask(QStringLiteral("9999"));
  bt_PassOk = Button(p, "bt_PassOk", "Применить", "Запрограммировать пароли");
  bt_PassRetry = Button(p, "bt_PassRetry", "Считать", "Считать пароли");
  auto* comm = new QFormLayout;
  comm->addRow(QStringLiteral("Пароль передачи данных"), ecommpwd);
  auto* layout = new QVBoxLayout(p);
  layout->addWidget(new QLabel(QStringLiteral("Пароли кассиров и администраторов"), p));
  layout->addWidget(sg_Pass, 1);
  layout->addLayout(comm);
  layout->addLayout(Buttons(bt_PassOk, bt_PassRetry));
  pg_DataTable->addTab(p, QStringLiteral("ПАРОЛИ"));
  groupPasswords_ = {sg_Pass, bt_PassOk, bt_PassRetry, ecommpwd};
  // A password is up to eight digits, a name up to a table text's width.
  MarkEdits(sg_Pass, passMarks_, [](int column, QString text) {
    if (column == 0) {
      text.remove(QRegularExpression(QStringLiteral("[^0-9]")));
      text.truncate(8);
    } else {
      text.truncate(static_cast<int>(kClassicTextWidth));
    }
    return text;
  });
  connect(bt_PassOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_PassOkClick);
  connect(bt_PassRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_PassRetryClick);
}

void Tfm_DataTable::BuildDiscounts() {
  tsch_SkidNadb = Named(new QWidget, "tsch_SkidNadb");
  QWidget* p = tsch_SkidNadb;
  rg_Skid = new TRadioGroup(
      "rg_Skid", QStringLiteral("Параметры скидок"),
      {QStringLiteral("все скидки запрещены"), QStringLiteral("скидки разрешены на весь чек"),
       QStringLiteral("скидки разрешены на позицию"), QStringLiteral("все скидки разрешены")},
      p);
  rg_Nadb = new TRadioGroup(
      "rg_Nadb", QStringLiteral("Параметры надбавок"),
      {QStringLiteral("все надбавки запрещены"), QStringLiteral("надбавки разрешены на весь чек"),
       QStringLiteral("надбавки разрешены на позицию"), QStringLiteral("все надбавки разрешены")},
      p);
  bt_SkidOk = Button(p, "bt_SkidOk", "Применить", "Запрограммировать параметры скидок");
  bt_SkidRetry = Button(p, "bt_SkidRetry", "Считать", "Считать параметры скидок");
  bt_NadbOk = Button(p, "bt_NadbOk", "Применить", "Запрограммировать параметры надбавок");
  bt_NadbRetry = Button(p, "bt_NadbRetry", "Считать", "Считать параметры надбавок");
  auto* layout = new QGridLayout(p);
  layout->addWidget(rg_Skid, 0, 0);
  layout->addWidget(rg_Nadb, 0, 1);
  layout->addLayout(Buttons(bt_SkidOk, bt_SkidRetry), 1, 0);
  layout->addLayout(Buttons(bt_NadbOk, bt_NadbRetry), 1, 1);
  layout->setRowStretch(2, 1);
  pg_DataTable->addTab(p, QStringLiteral("СКИДКИ / НАДБАВКИ"));
  groupDiscounts_ = {rg_Skid, rg_Nadb, bt_SkidOk, bt_SkidRetry, bt_NadbOk, bt_NadbRetry};
  connect(bt_SkidOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_SkidOkClick);
  connect(bt_SkidRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_SkidRetryClick);
  connect(bt_NadbOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_NadbOkClick);
  connect(bt_NadbRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_NadbRetryClick);
}

void Tfm_DataTable::BuildTexts() {
  tsch_TextChek = Named(new QWidget, "tsch_TextChek");
  QWidget* p = tsch_TextChek;
  const QStringList columns = {QStringLiteral("ЗНАЧЕНИЕ")};
  sg_TitleChek = Grid(p, "sg_TitleChek", kHeaderLines, columns, Numbers(kHeaderLines));
  sg_CloseChek = Grid(p, "sg_CloseChek", kFooterLines, columns, Numbers(kFooterLines));
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (QTableWidget* g : {sg_TitleChek, sg_CloseChek}) {
    g->setFont(fixed);
    SetCornerText(g, QStringLiteral("СТРОКА"));
  }
  eimghdridx = UpDown(p, "eimghdridx", 1, 255, 1);
  eimghdroffset = UpDown(p, "eimghdroffset", 0, 600, 0);
  btnimghdrpaste = Button(p, "btnimghdrpaste", "Вставить", "");
  eimgftridx = UpDown(p, "eimgftridx", 1, 255, 1);
  eimgftroffset = UpDown(p, "eimgftroffset", 0, 600, 0);
  btnimgftrpaste = Button(p, "btnimgftrpaste", "Вставить", "");
  bt_TitleChekOk = Button(p, "bt_TitleChekOk", "Применить", "Запрограммировать заголовок чека");
  bt_TitleChekRetry = Button(p, "bt_TitleChekRetry", "Считать", "Считать заголовок чека");
  bt_CloseChekOk = Button(p, "bt_CloseChekOk", "Применить", "Запрограммировать окончание чека");
  bt_CloseChekRetry = Button(p, "bt_CloseChekRetry", "Считать", "Считать окончание чека");
  const auto picture = [p](QSpinBox* number, QSpinBox* offset, QPushButton* paste) {
    auto* box = new QGroupBox(QStringLiteral("Изображение"), p);
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("Номер"), number);
    form->addRow(QStringLiteral("Смещение"), offset);
    form->addRow(paste);
    return box;
  };
  auto* layout = new QGridLayout(p);
  layout->addWidget(new QLabel(QStringLiteral("Заголовок чека"), p), 0, 0);
  layout->addWidget(sg_TitleChek, 1, 0);
  layout->addWidget(picture(eimghdridx, eimghdroffset, btnimghdrpaste), 1, 1);
  layout->addLayout(Buttons(bt_TitleChekOk, bt_TitleChekRetry), 2, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Окончание чека"), p), 3, 0);
  layout->addWidget(sg_CloseChek, 4, 0);
  layout->addWidget(picture(eimgftridx, eimgftroffset, btnimgftrpaste), 4, 1);
  layout->addLayout(Buttons(bt_CloseChekOk, bt_CloseChekRetry), 5, 0, 1, 2);
  layout->setRowStretch(4, 1);
  pg_DataTable->addTab(p, QStringLiteral("ТЕКСТ В ЧЕКЕ"));
  groupTexts_ = {sg_TitleChek,      sg_CloseChek,   bt_TitleChekOk,
                 bt_TitleChekRetry, bt_CloseChekOk, bt_CloseChekRetry};
  MarkEdits(sg_TitleChek, headerMarks_);
  MarkEdits(sg_CloseChek, footerMarks_);
  connect(btnimghdrpaste, &QPushButton::clicked, this,
          [this] { PastePicture(sg_TitleChek, eimghdridx, eimghdroffset, headerMarks_); });
  connect(btnimgftrpaste, &QPushButton::clicked, this,
          [this] { PastePicture(sg_CloseChek, eimgftridx, eimgftroffset, footerMarks_); });
  connect(bt_TitleChekOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_TitleChekOkClick);
  connect(bt_TitleChekRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_TitleChekRetryClick);
  connect(bt_CloseChekOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_CloseChekOkClick);
  connect(bt_CloseChekRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_CloseChekRetryClick);
}

void Tfm_DataTable::BuildSections() {
  tsch_Sek = Named(new QWidget, "tsch_Sek");
  QWidget* p = tsch_Sek;
  sg_Sek = Grid(p, "sg_Sek", kSectionRows, {QStringLiteral("НАИМЕНОВАНИЕ СЕКЦИИ")},
                Numbers(kSectionRows));
  SetCornerText(sg_Sek, QStringLiteral("НОМЕР"));
  bt_SekOk = Button(p, "bt_SekOk", "Применить", "Запрограммировать секции");
  bt_SekRetry = Button(p, "bt_SekRetry", "Считать", "Считать секции");
  auto* layout = new QVBoxLayout(p);
  layout->addWidget(new QLabel(QStringLiteral("Наименование секций"), p));
  layout->addWidget(sg_Sek, 1);
  layout->addLayout(Buttons(bt_SekOk, bt_SekRetry));
  pg_DataTable->addTab(p, QStringLiteral("СЕКЦИИ"));
  groupSections_ = {sg_Sek, bt_SekOk, bt_SekRetry};
  MarkEdits(sg_Sek, sectionMarks_, [](int, const QString& text) {
    return text.left(static_cast<int>(kClassicTextWidth));
  });
  connect(bt_SekOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_SekOkClick);
  connect(bt_SekRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_SekRetryClick);
}

void Tfm_DataTable::BuildTaxes() {
  tsch_Nalog = Named(new QWidget, "tsch_Nalog");
  QWidget* p = tsch_Nalog;
  sg_Nalog = Grid(p, "sg_Nalog", kTaxRows, {QStringLiteral("ЗНАЧЕНИЕ")},
                  Numbers(kTaxRows, QStringLiteral("Налог ")));
  bt_NalogOk = Button(p, "bt_NalogOk", "Применить", "Запрограммировать налоги");
  bt_NalogRetry = Button(p, "bt_NalogRetry", "Считать", "Считать налоги");
  auto* layout = new QVBoxLayout(p);
  layout->addWidget(new QLabel(QStringLiteral("Налоговые ставки"), p));
  layout->addWidget(sg_Nalog, 1);
  layout->addLayout(Buttons(bt_NalogOk, bt_NalogRetry));
  pg_DataTable->addTab(p, QStringLiteral("НАЛОГИ"));
  groupTaxes_ = {sg_Nalog, bt_NalogOk, bt_NalogRetry};
  MarkEdits(sg_Nalog, taxMarks_, [](int, const QString& text) {
    return Qs(NormalizeTaxCell(Std(text), TNumberEdit::DecimalSeparator().unicode()));
  });
  connect(bt_NalogOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_NalogOkClick);
  connect(bt_NalogRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_NalogRetryClick);
}

void Tfm_DataTable::BuildPrint() {
  tsch_Prn = Named(new QWidget, "tsch_Prn");
  QWidget* p = tsch_Prn;
  cb_PrnNameSek = Check(p, "cb_PrnNameSek", "Печатать название секции");
  cb_PrnNameKassir = Check(p, "cb_PrnNameKassir", "Печатать имена кассиров");
  cb_PrnNameChek = Check(p, "cb_PrnNameChek", "Печатать название чека продажи");
  cb_OtrChek = Check(p, "cb_OtrChek", "Отрезать чек");
  cb_PrnStr = Check(p, "cb_PrnStr", "Печатать тексты командой печати строки");
  cb_PrnNumPlKart = Check(p, "cb_PrnNumPlKart", "Печатать номер плат. карты");
  cb_PrnCh = Check(p, "cb_PrnCh", "Печатать чек при открытии смены");
  lfont = Named(new QLabel(QStringLiteral("Шрифт"), p), "lfont");
  combofont = Named(new QComboBox(p), "combofont");
  for (std::string_view name : FontNames(0)) combofont->addItem(Qs(name));
  combofont->setCurrentIndex(0);
  tb_Intensiv = Named(new QSlider(Qt::Horizontal, p), "tb_Intensiv");
  tb_Intensiv->setRange(0, 9);
  tb_Intensiv->setValue(5);
  tb_Intensiv->setTickPosition(QSlider::TicksBelow);
  tb_Intensiv->setTickInterval(1);
  cb_HeightFont = Named(new QComboBox(p), "cb_HeightFont");
  cb_HeightFont->addItems({QStringLiteral("нормальная"), QStringLiteral("двойная")});
  cbpaperwidth = Named(new QComboBox(p), "cbpaperwidth");
  cbpaperwidth->addItems({QStringLiteral("80 мм"), QStringLiteral("57 мм")});
  cdblimgheight = Check(p, "cdblimgheight", "Удваивать высоту изображений при печати");
  ehdrvspace = UpDown(p, "ehdrvspace", 0, 10, 0);
  cuseprintbuf = Check(p, "cuseprintbuf", "Использовать буфер печати");
  bt_PrnOk = Button(p, "bt_PrnOk", "Применить", "Запрограммировать настройки");
  bt_PrnRetry = Button(p, "bt_PrnRetry", "Считать", "Считать настройки");
  auto* form = new QFormLayout;
  form->addRow(lfont, combofont);
  form->addRow(QStringLiteral("Яркость печати"), MarkedSlider(tb_Intensiv));
  form->addRow(QStringLiteral("Высота шрифта итоговой суммы"), cb_HeightFont);
  form->addRow(QStringLiteral("Ширина ленты"), cbpaperwidth);
  form->addRow(QStringLiteral("Пустых строк перед заголовком"), ehdrvspace);
  auto* layout = new QVBoxLayout(p);
  for (QCheckBox* c : {cb_PrnNameSek, cb_PrnNameKassir, cb_PrnNameChek, cb_OtrChek, cb_PrnStr,
                       cb_PrnNumPlKart, cb_PrnCh, cdblimgheight, cuseprintbuf})
    layout->addWidget(c);
  layout->addLayout(form);
  layout->addStretch();
  layout->addLayout(Buttons(bt_PrnOk, bt_PrnRetry));
  pg_DataTable->addTab(p, QStringLiteral("ПЕЧАТЬ"));
  groupPrint_ = {cb_PrnNameSek,   cb_PrnNameKassir, cb_PrnNameChek, cb_PrnStr, cb_OtrChek,
                 cb_PrnNumPlKart, tb_Intensiv,      cb_HeightFont,  bt_PrnOk,  bt_PrnRetry,
                 lfont,           combofont,        cb_PrnCh};
  connect(cbpaperwidth, &QComboBox::currentIndexChanged, this, &Tfm_DataTable::ApplyPaperWidth);
  connect(bt_PrnOk, &QPushButton::clicked, this, &Tfm_DataTable::bt_PrnOkClick);
  connect(bt_PrnRetry, &QPushButton::clicked, this, &Tfm_DataTable::bt_PrnRetryClick);
}

void Tfm_DataTable::BuildAttributes() {
  tabattr = Named(new QWidget, "tabattr");
  QWidget* p = tabattr;
  sgattr =
      Grid(p, "sgattr", kAttributeRows, {QStringLiteral("Наименование")}, Numbers(kAttributeRows));
  SetCornerText(sgattr, QStringLiteral("Номер"));
  btnapplyattr = Button(p, "btnapplyattr", "Применить", "");
  btnrefreshattr = Button(p, "btnrefreshattr", "Считать", "");
  auto* layout = new QVBoxLayout(p);
  layout->addWidget(sgattr, 1);
  layout->addLayout(Buttons(btnapplyattr, btnrefreshattr));
  pg_DataTable->addTab(p, QStringLiteral("РЕКВИЗИТЫ"));
  MarkEdits(sgattr, attrMarks_);
  connect(btnapplyattr, &QPushButton::clicked, this, &Tfm_DataTable::btnapplyattrClick);
  connect(btnrefreshattr, &QPushButton::clicked, this, &Tfm_DataTable::btnrefreshattrClick);
}

void Tfm_DataTable::MarkEdits(QTableWidget* grid, QVector<bool>& marks,
                              const std::function<QString(int, const QString&)>& normalise) {
  marks.fill(false, grid->rowCount());
  connect(grid, &QTableWidget::cellChanged, this,
          [this, grid, &marks, normalise](int row, int column) {
            if (filling_) return;
            marks[row] = true;
            const QTableWidgetItem* item = grid->item(row, column);
            if (!normalise || !item) return;
            const QString text = normalise(column, item->text());
            if (text != item->text()) SetCell(grid, row, column, text);
          });
}

void Tfm_DataTable::SetCell(QTableWidget* grid, int row, int column, const QString& text) {
  const bool was = filling_;
  filling_ = true;
  if (QTableWidgetItem* item = grid->item(row, column)) {
    item->setText(text);
  } else {
    grid->setItem(row, column, new QTableWidgetItem(text));
  }
  filling_ = was;
}

}  // namespace ptk::ui
