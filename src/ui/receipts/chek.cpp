// The receipt window's controls and layout, its opening, activation and closing. The
// operations of the pages are in chek_operations.cpp.
#include "ui/receipts/chek.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <tuple>

#include "core/shell/modes.h"
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/base/wndfit.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/page_control.h"
#include "ui/controls/radio_group.h"
#include "ui/controls/widget_build.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/regcomm.h"

namespace ptk::ui {
namespace {

using build::Button;
using build::Named;

constexpr int kWidth = 823;
constexpr int kHeight = 538;
constexpr int kTabsPerRow = 4;
constexpr double kFontPixels = 13;
constexpr double kSystemFontPixels = 12;
constexpr int kAttributeNameChars = 14;
constexpr int kNameLength = 42;
constexpr int kSectionLength = 2;
constexpr int kCardNumberLength = 20;
constexpr int kAuthCodeLength = 8;
constexpr int kReferenceLength = 12;
constexpr int kAccountLength = 25;
constexpr int kAttributeCount = 100;

const QStringList kPaymentTypes = {QStringLiteral("наличными"), QStringLiteral("типом оплаты 2"),
                                   QStringLiteral("типом оплаты 3"),
                                   QStringLiteral("типом оплаты 4")};

// Builds the labelled rows of one page.
class PageBuilder {
 public:
  // Adds the page named name to pages and stores it in page.
  PageBuilder(TPageControl* pages, QWidget*& page, const char* name, const char* caption)
      : page_(new QWidget), form_(new QFormLayout(page_)) {
    page = page_;
    page_->setObjectName(name);
    form_->setLabelAlignment(Qt::AlignRight);
    pages->addPage(page_, QString::fromUtf8(caption));
  }
  QWidget* page() const { return page_; }

  template <class W>
  W* Add(const char* label, const char* name, int maxLength = 0) {
    auto* w = new W(page_);
    w->setObjectName(name);
    if constexpr (std::is_base_of_v<QLineEdit, W>) {
      if (maxLength > 0) w->setMaxLength(maxLength);
    }
    Row(label, w);
    return w;
  }
  QLineEdit* Name(const char* name) {
    QLineEdit* e = Add<QLineEdit>("Наименование", name, kNameLength);
    e->setToolTip(QStringLiteral("до 42-х символов"));
    return e;
  }
  // The name, price, quantity, section (where section is given) and receipt sum of an
  // item registration page.
  std::tuple<QLineEdit*, TEditMoney*, TEditCount*, TEditNum*, QLineEdit*> Item(const char* name,
                                                                               const char* price,
                                                                               const char* quantity,
                                                                               const char* section,
                                                                               const char* sum) {
    QLineEdit* n = Name(name);
    auto* p = Add<TEditMoney>("Цена", price, Tfm_Chek::kAmountLength);
    auto* q = Add<TEditCount>("Количество", quantity, Tfm_Chek::kAmountLength);
    TEditNum* s = section ? Add<TEditNum>("Секция", section, kSectionLength) : nullptr;
    return {n, p, q, s, ReceiptSum(sum)};
  }
  QLineEdit* ReadOnly(const char* label, const char* name) {
    QLineEdit* e = Add<QLineEdit>(label, name);
    e->setReadOnly(true);
    return e;
  }
  // The read-only receipt sum in its own panel "Сумма чека".
  QLineEdit* ReceiptSum(const char* name) {
    auto* box = new QGroupBox(QStringLiteral("Сумма чека"), page_);
    auto* e = new QLineEdit(box);
    e->setObjectName(name);
    e->setReadOnly(true);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(e);
    form_->addRow(box);
    return e;
  }
  QComboBox* PaymentType(const char* name) {
    auto* c = Add<QComboBox>("Тип оплаты ", name);
    c->addItems(kPaymentTypes);
    return c;
  }
  // The payment card's number, authorisation code and reference number, and the button
  // that reads the number from the card reader (shown only for "типом оплаты 4").
  std::tuple<QLineEdit*, QLineEdit*, QLineEdit*, QPushButton*> Card(const char* number,
                                                                    const char* authCode,
                                                                    const char* reference,
                                                                    const char* read) {
    QLineEdit* n = Add<QLineEdit>("№ плат. карты", number, kCardNumberLength);
    QLineEdit* a = Add<QLineEdit>("Код авторизации", authCode, kAuthCodeLength);
    QLineEdit* r = Add<QLineEdit>("№ ссылки", reference, kReferenceLength);
    QPushButton* b = Button(page_, read, "Считать", "");
    Row(nullptr, b);
    b->setVisible(false);
    return {n, a, r, b};
  }
  void Row(const char* label, QWidget* w) {
    if (label && *label) {
      auto* l = new QLabel(QString::fromUtf8(label), page_);
      l->setObjectName(QStringLiteral("lb_") + w->objectName());
      l->setBuddy(w);
      form_->addRow(l, w);
    } else {
      form_->addRow(w);
    }
  }

 private:
  QWidget* page_;
  QFormLayout* form_;
};

}  // namespace

Tfm_Chek::Tfm_Chek(AppContext& context)
    : TForm(context, "fm_Chek", QStringLiteral("РЕЖИМ РЕГИСТРАЦИЙ")) {
  // Bold and a step larger than the system font (13 px beside the usual 12 px one), so
  // that it grows with the desktop's font.
  QFont bold = font();
  bold.setBold(true);
  bold.setPixelSize(qRound(kFontPixels * QFontInfo(font()).pixelSize() / kSystemFontPixels));
  setFont(bold);

  Pg_Registr = new TPageControl("Pg_Registr", kTabsPerRow, this);
  BuildPages();
  BuildPanels();

  rg_VidOper = new TRadioGroup(
      "rg_VidOper", QStringLiteral("Вид операции"),
      {QStringLiteral("выполнить операцию"), QStringLiteral("проверить операцию")}, this);
  bt_OperOk = Button(this, "bt_OperOk", "Выполнить", "Выполнить операцию");
  bt_AnnulAllChek = Button(this, "bt_AnnulAllChek", "Аннулировать весь чек", "");
  bt_OtmenaSkidNadb = Button(this, "bt_OtmenaSkidNadb", "Отменить последнюю скидку/надбавку", "");
  pn_Procecc = Named(new QFrame(this), "pn_Procecc");
  pn_Procecc->setFrameShape(QFrame::StyledPanel);
  pn_Procecc->setFrameShadow(QFrame::Sunken);
  ed_Process = Named(new QLineEdit(pn_Procecc), "ed_Process");
  ed_Process->setReadOnly(true);
  auto* processLayout = new QHBoxLayout(pn_Procecc);
  processLayout->setContentsMargins(4, 4, 4, 4);
  processLayout->addWidget(ed_Process);
  bt_ChekClose = Button(this, "bt_ChekClose", "Закрыть", "Выйти из режима");
  cnotreallyquit =
      Named(new QCheckBox(QStringLiteral("не выходить из режима"), this), "cnotreallyquit");
  // Present for the layout of the window, never shown and never used.
  bt_CloseChek = Button(this, "bt_CloseChek", "Печать окончания чека", "");
  bt_PrnStr = Button(this, "bt_PrnStr", "Печать строки", "");
  for (QPushButton* unused : {bt_CloseChek, bt_PrnStr}) {
    unused->setVisible(false);
    unused->setEnabled(false);
  }
  BuildLayout();
  BuildPageTable();
  FixClientSize(this, QSize(kWidth, kHeight));

  SetCommandControls({Pg_Registr, bt_OperOk, bt_ChekClose, bt_AnnulAllChek, bt_OtmenaSkidNadb,
                      ed_PrnStr, rg_VidOper});
  connect(bt_OperOk, &QPushButton::clicked, this, &Tfm_Chek::bt_OperOkClick);
  connect(bt_AnnulAllChek, &QPushButton::clicked, this, &Tfm_Chek::bt_AnnulAllChekClick);
  connect(bt_OtmenaSkidNadb, &QPushButton::clicked, this, &Tfm_Chek::bt_OtmenaSkidNadbClick);
  connect(bt_ChekClose, &QPushButton::clicked, this, &Tfm_Chek::bt_ChekCloseClick);
  connect(Pg_Registr, &TPageControl::currentChanged, this, &Tfm_Chek::Pg_RegistrChange);
  connect(rg_TypeSkidNadbav, &TRadioGroup::itemIndexChanged, this,
          &Tfm_Chek::rg_TypeSkidNadbavClick);
  connect(cb_TypeOplRasch, &QComboBox::currentIndexChanged, this, &Tfm_Chek::cb_TypeOplRaschChange);
  connect(cb_TypeOplClose, &QComboBox::currentIndexChanged, this, &Tfm_Chek::cb_TypeOplCloseChange);
  connect(btncardp, &QPushButton::clicked, this, &Tfm_Chek::btncardpClick);
  connect(btncard, &QPushButton::clicked, this, &Tfm_Chek::btncardClick);
  connect(BitBtn1, &QPushButton::clicked, this, &Tfm_Chek::BitBtn1Click);
  connect(eattrn, &QLineEdit::textChanged, this, &Tfm_Chek::eattrnChange);
  connect(cbattrname, &QComboBox::currentIndexChanged, this, &Tfm_Chek::cbattrnameChange);
  connect(udattrn, &QSpinBox::valueChanged, this, &Tfm_Chek::udattrnClick);
  connect(btnattrprint, &QPushButton::clicked, this, &Tfm_Chek::btnattrprintClick);
  connect(btnbarcodeprint, &QPushButton::clicked, this, &Tfm_Chek::btnbarcodeprintClick);
}

void Tfm_Chek::BuildPages() {
  {
    PageBuilder p(Pg_Registr, tsch_OpenSmen, "tsch_OpenSmen", "    Открытие смены   ");
    ed_TextOpenSm = p.Add<QLineEdit>("Текст", "ed_TextOpenSm", kNameLength);
  }
  {
    PageBuilder p(Pg_Registr, tsch_OpenChek, "tsch_OpenChek", "    Открытие чека   ");
    rg_TypeChek = new TRadioGroup(
        "rg_TypeChek", QStringLiteral("Тип чека"),
        {QStringLiteral("Продажа"), QStringLiteral("Возврат продажи"),
         QStringLiteral("Аннулирование продажи"), QStringLiteral("Покупка"),
         QStringLiteral("Возврат покупки"), QStringLiteral("Аннулирование покупки")},
        p.page());
    p.Row(nullptr, rg_TypeChek);
  }
  {
    PageBuilder p(Pg_Registr, tsch_Registr, "tsch_Registr", "         Продажа          ");
    std::tie(ed_PrnStr, edm_PriceRegistr, edc_CountRegistr, edn_SecRegistr, ed_SummaChekRegistr) =
        p.Item("ed_PrnStr", "edm_PriceRegistr", "edc_CountRegistr", "edn_SecRegistr",
               "ed_SummaChekRegistr");
  }
  {
    PageBuilder p(Pg_Registr, tsch_StornoRegistr, "tsch_StornoRegistr", "    Сторно продажи ");
    std::tie(ed_PrnStrStorno, edm_PriceStornoRegistr, edc_CountStornoRegistr, edn_SecStornoRegistr,
             ed_SummaChekStornoRegistr) =
        p.Item("ed_PrnStrStorno", "edm_PriceStornoRegistr", "edc_CountStornoRegistr",
               "edn_SecStornoRegistr", "ed_SummaChekStornoRegistr");
  }
  {
    PageBuilder p(Pg_Registr, tsch_Vozv, "tsch_Vozv", "           Возврат          ");
    std::tie(ed_PrnStrVoz, edm_PriceVozv, edc_CountVozv, std::ignore, ed_SummaChekVozv) =
        p.Item("ed_PrnStrVoz", "edm_PriceVozv", "edc_CountVozv", nullptr, "ed_SummaChekVozv");
  }
  {
    PageBuilder p(Pg_Registr, tsch_SkidNadb, "tsch_SkidNadb", "  Скидка/Надбавка ");
    rg_TypeZnak = new TRadioGroup("rg_TypeZnak", QStringLiteral("Знак"),
                                  {QStringLiteral("Скидка"), QStringLiteral("Надбавка")}, p.page());
    rg_TypeObl = new TRadioGroup(
        "rg_TypeObl", QStringLiteral("Область"),
        {QStringLiteral("На весь чек"), QStringLiteral("На посл. операцию")}, p.page());
    rg_TypeSkidNadbav =
        new TRadioGroup("rg_TypeSkidNadbav", QStringLiteral("Тип"),
                        {QStringLiteral("Процент"), QStringLiteral("Сумма")}, p.page());
    auto* groups = new QWidget(p.page());
    auto* row = new QHBoxLayout(groups);
    row->setContentsMargins(0, 0, 0, 0);
    for (TRadioGroup* g : {rg_TypeZnak, rg_TypeObl, rg_TypeSkidNadbav}) {
      g->setParent(groups);
      row->addWidget(g);
    }
    p.Row(nullptr, groups);
    edm_Znach = p.Add<TEditMoney>("Значение", "edm_Znach", kPercentLength);
  }
  {
    PageBuilder p(Pg_Registr, tsch_Annul, "tsch_Annul", "      Аннулирование      ");
    std::tie(ed_PrnStrAn, edm_PriceAnnul, edc_CountAnnul, std::ignore, ed_SummaChekAnnul) =
        p.Item("ed_PrnStrAn", "edm_PriceAnnul", "edc_CountAnnul", nullptr, "ed_SummaChekAnnul");
  }
  {
    PageBuilder p(Pg_Registr, tsch_ItogChek, "tsch_ItogChek", "Промежут. итог чека");
    ed_SummItogChek = p.ReadOnly("Сумма", "ed_SummItogChek");
  }
  {
    PageBuilder p(Pg_Registr, tsch_RaschChek, "tsch_RaschChek", "          Расчет         ");
    cb_TypeOplRasch = p.PaymentType("cb_TypeOplRasch");
    std::tie(ed_NumPlKartRasch, eauthcodep, erefnp, btncardp) =
        p.Card("ed_NumPlKartRasch", "eauthcodep", "erefnp", "btncardp");
    edm_SummChekRasch = p.Add<TEditMoney>("Сумма", "edm_SummChekRasch", kAmountLength);
    ed_OstatokRasch = p.ReadOnly("Остаток", "ed_OstatokRasch");
    ed_SdachaRasch = p.ReadOnly("Сдача", "ed_SdachaRasch");
  }
  {
    PageBuilder p(Pg_Registr, tsch_StornoRaschChek, "tsch_StornoRaschChek", "  Сторно расчета ");
    cb_TypeOplStornoRasch = p.PaymentType("cb_TypeOplStornoRasch");
    edm_SummChekStornoRasch = p.Add<TEditMoney>("Сумма", "edm_SummChekStornoRasch", kAmountLength);
    ed_OstatokStornoRasch = p.ReadOnly("Остаток", "ed_OstatokStornoRasch");
    ed_SdachaStornoRasch = p.ReadOnly("Сдача", "ed_SdachaStornoRasch");
  }
  {
    PageBuilder p(Pg_Registr, tsch_DuplexOper, "tsch_DuplexOper", "        Повтор продажи        ");
    ed_SummaDuplexOper = p.ReadOnly("Сумма", "ed_SummaDuplexOper");
  }
  {
    PageBuilder p(Pg_Registr, tsch_CloseChek, "tsch_CloseChek", "       Закрытие чека        ");
    cb_TypeOplClose = p.PaymentType("cb_TypeOplClose");
    edm_VnesSumma = p.Add<TEditMoney>("Внесенная сумма", "edm_VnesSumma", kAmountLength);
    std::tie(ed_NumPlKartClose, eauthcode, erefn, btncard) =
        p.Card("ed_NumPlKartClose", "eauthcode", "erefn", "btncard");
  }
  {
    PageBuilder p(Pg_Registr, tsch_Vnes, "tsch_Vnes", "        Внесение        ");
    edm_SummaVnes = p.Add<TEditMoney>("Сумма", "edm_SummaVnes", kAmountLength);
  }
  {
    PageBuilder p(Pg_Registr, tsch_Vipl, "tsch_Vipl", "       Выплата       ");
    edm_SummaVipl = p.Add<TEditMoney>("Сумма", "edm_SummaVipl", kAmountLength);
  }
}

void Tfm_Chek::BuildPanels() {
  Panel9 = Named(new QFrame(this), "Panel9");
  Panel9->setFrameShape(QFrame::StyledPanel);
  ed_PrnStrNumCount = Named(new QLineEdit(Panel9), "ed_PrnStrNumCount");
  ed_PrnStrNumCount->setMaxLength(kAccountLength);
  ed_PrnStrNumCount->setToolTip(QStringLiteral("до 25-х символов"));
  BitBtn1 = Button(Panel9, "BitBtn1", "Номер счета", "");
  auto* account = new QVBoxLayout(Panel9);
  account->addWidget(ed_PrnStrNumCount);
  account->addWidget(BitBtn1);

  panattr = Named(new QGroupBox(QStringLiteral("Печать реквизита"), this), "panattr");
  eattrn = Named(new QLineEdit(QStringLiteral("1"), panattr), "eattrn");
  udattrn = Named(new QSpinBox(panattr), "udattrn");
  udattrn->setRange(1, kAttributeCount);
  udattrn->setWrapping(false);
  // The up-down is its arrows only; the number stands in eattrn beside it.
  if (auto* text = udattrn->findChild<QLineEdit*>()) text->hide();
  udattrn->setFixedWidth(udattrn->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
  cbattrname = Named(new QComboBox(panattr), "cbattrname");
  cbattrname->setEditable(false);
  // The attribute names, loaded at the mode entry, do not widen the column: the box shows
  // a fixed number of characters, its list as wide as the longest name.
  cbattrname->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbattrname->setMinimumContentsLength(kAttributeNameChars);
  eattrval = Named(new QLineEdit(panattr), "eattrval");
  btnattrprint = Button(panattr, "btnattrprint", "Печатать", "");
  eattrn->setMinimumWidth(QFontMetrics(eattrn->font()).horizontalAdvance(QStringLiteral("0000")) +
                          12);
  auto* number = new QHBoxLayout;
  number->setSpacing(0);
  number->addWidget(eattrn, 1);
  number->addWidget(udattrn);
  auto* attr = new QFormLayout(panattr);
  attr->addRow(QStringLiteral("Номер"), number);
  attr->addRow(cbattrname);
  attr->addRow(QStringLiteral("Значение"), eattrval);
  attr->addRow(btnattrprint);

  Panel10 = Named(new QGroupBox(QStringLiteral("Печать штрих-кода"), this), "Panel10");
  cbbarcodetype = Named(new QComboBox(Panel10), "cbbarcodetype");
  cbbarcodetype->addItems({QStringLiteral("EAN-13"), QStringLiteral("EAN-13+5"),
                           QStringLiteral("EAN-13+2"), QStringLiteral("EAN-8"),
                           QStringLiteral("EAN-8+5"), QStringLiteral("EAN-8+2")});
  cbbarcodetype->setCurrentIndex(-1);
  ebarcode = Named(new QLineEdit(Panel10), "ebarcode");
  ebarext = Named(new QLineEdit(Panel10), "ebarext");
  btnbarcodeprint = Button(Panel10, "btnbarcodeprint", "Печатать", "");
  auto* barcode = new QFormLayout(Panel10);
  barcode->addRow(QStringLiteral("Тип"), cbbarcodetype);
  barcode->addRow(QStringLiteral("Значение"), ebarcode);
  barcode->addRow(QString(), ebarext);
  barcode->addRow(btnbarcodeprint);
}

void Tfm_Chek::BuildLayout() {
  auto* operate = new QVBoxLayout;
  operate->addWidget(bt_OperOk);
  operate->addWidget(bt_AnnulAllChek);
  operate->addWidget(bt_OtmenaSkidNadb);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(rg_VidOper);
  bottom->addLayout(operate, 1);
  auto* left = new QVBoxLayout;
  left->addWidget(Pg_Registr, 1);
  left->addLayout(bottom);
  left->addWidget(pn_Procecc);

  auto* right = new QVBoxLayout;
  right->addWidget(Panel9);
  right->addWidget(panattr);
  right->addWidget(Panel10);
  right->addStretch(1);
  right->addWidget(cnotreallyquit);
  right->addWidget(bt_ChekClose);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(left, 1);
  layout->addLayout(right);
}

void Tfm_Chek::ResetReceiptWindow() {
  const QString sep = TNumberEdit::DecimalSeparator();
  const QString price = "1" + sep + "11";
  FillAttributeNames();
  ed_TextOpenSm->clear();
  rg_TypeChek->setItemIndex(0);
  edm_PriceRegistr->setText(price);
  edc_CountRegistr->setText(QStringLiteral("1"));
  edn_SecRegistr->setText(QStringLiteral("1"));
  ed_SummaChekRegistr->clear();
  edm_PriceStornoRegistr->setText(price);
  edc_CountStornoRegistr->setText(QStringLiteral("1"));
  edn_SecStornoRegistr->setText(QStringLiteral("1"));
  ed_SummaChekStornoRegistr->clear();
  edm_PriceVozv->setText(price);
  edc_CountVozv->setText(QStringLiteral("1"));
  ed_SummaChekVozv->clear();
  rg_TypeZnak->setItemIndex(0);
  rg_TypeObl->setItemIndex(0);
  rg_TypeSkidNadbav->setItemIndex(0);
  edm_Znach->SetLimit(kPercentLength);
  edm_Znach->setText(price);
  edm_PriceAnnul->setText(price);
  edc_CountAnnul->setText(QStringLiteral("1"));
  ed_SummaChekAnnul->clear();
  ed_SummItogChek->clear();
  cb_TypeOplRasch->setCurrentIndex(0);
  edm_SummChekRasch->setText(price);
  ed_NumPlKartRasch->clear();
  ed_OstatokRasch->clear();
  ed_SdachaRasch->clear();
  cb_TypeOplStornoRasch->setCurrentIndex(0);
  edm_SummChekStornoRasch->setText(price);
  ed_OstatokStornoRasch->clear();
  ed_SdachaStornoRasch->clear();
  ed_SummaDuplexOper->clear();
  cb_TypeOplClose->setCurrentIndex(0);
  edm_VnesSumma->setText("0" + sep + "00");
  ed_NumPlKartClose->clear();
  edm_SummaVnes->setText(price);
  edm_SummaVipl->setText(price);
  Pg_Registr->setCurrentWidget(tsch_OpenSmen);
  rg_VidOper->setItemIndex(0);
  ed_Process->clear();
  SetControlsEnabled(true);
  ShowFromMenu(bt_OperOk, true);
}

void Tfm_Chek::showEvent(QShowEvent* event) {
  // A new receipt as far as the window knows.
  if (!event->spontaneous()) sums_.Reset();
  TForm::showEvent(event);
}

bool Tfm_Chek::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowActivate:
      // Coming back from another of the program's windows (not from a message box)
      // forgets "не выходить из режима", as opening the window does.
      if (qobject_cast<TForm*>(lastActive_) || qobject_cast<Tfm_MainFr*>(lastActive_) ||
          !activatedOnce_) {
        cnotreallyquit->setChecked(false);
      }
      activatedOnce_ = true;
      break;
    case QEvent::WindowDeactivate:
      QTimer::singleShot(0, this, [this] { lastActive_ = QApplication::activeWindow(); });
      break;
    case QEvent::Hide:
      activatedOnce_ = false;
      break;
    default:
      break;
  }
  return TForm::event(event);
}

void Tfm_Chek::bt_ChekCloseClick() {
  if (Tfm_RegComm* regComm = context().forms.fm_RegComm) regComm->hide();
  close();
}

bool Tfm_Chek::CloseQuery() {
  if (cnotreallyquit->isChecked()) return true;
  int result = 0;
  RunCommand([&] { result = ExitMode(link()); });
  if (result == kExchangeOk) return true;
  // The register refused, and said why: stay in the window.
  if (result == kExchangeDeviceError) return false;
  return AskYesNo(ui(), "Подтвердить выход из режима регистрации?");
}

void Tfm_Chek::Closed() {
  if (Tfm_RegComm* regComm = context().forms.fm_RegComm) regComm->hide();
}

}  // namespace ptk::ui
