// The receipt window's operations: the common run of "Выполнить" and the operation of
// each page, the whole-receipt buttons, the page change and the card reader buttons.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "core/link/direct_command.h"
#include "core/link/encoding.h"
#include "core/programming/print_commands.h"
#include "core/receipts/card_data.h"
#include "core/receipts/cash_commands.h"
#include "core/receipts/receipt_extras.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/page_control.h"
#include "ui/controls/radio_group.h"
#include "ui/receipts/chek.h"
#include "ui/shell/app_context.h"
#include "ui/shell/qt_user_interface.h"

namespace ptk::ui {
namespace {

constexpr int kPercentLength = 7;
constexpr int kAmountLength = 11;
constexpr int kSumFieldWidth = 12;
constexpr int kCardPayment = 4;
constexpr int kCardDataWithClosingFields = 2;

constexpr const char* kRunning = "Идет выполнение команды ...";
constexpr const char* kSucceeded = "Команда выполнена успешно.";
constexpr const char* kFailed = "Ошибочное выполнение команды.";

}  // namespace

OperationMode Tfm_Chek::Mode() const {
  return rg_VidOper->itemIndex() == 1 ? OperationMode::CheckOnly : OperationMode::Execute;
}

char32_t Tfm_Chek::Separator() const {
  return TNumberEdit::DecimalSeparator().unicode();
}

std::optional<double> Tfm_Chek::Number(const QLineEdit* field) const {
  return ParseDecimal(Std(field->text()), Separator());
}

void Tfm_Chek::BadFormat() {
  ShowError(ui(), kTextBadFormat);
}

QLineEdit* Tfm_Chek::SumFieldOfPage(QWidget* page) const {
  if (page == tsch_Registr) return ed_SummaChekRegistr;
  if (page == tsch_StornoRegistr) return ed_SummaChekStornoRegistr;
  if (page == tsch_Vozv) return ed_SummaChekVozv;
  if (page == tsch_Annul) return ed_SummaChekAnnul;
  return nullptr;
}

// ---- the common run ----

void Tfm_Chek::bt_OperOkClick() {
  QWidget* page = Pg_Registr->currentWidget();
  RunCommand(
      [&] {
        ed_Process->setText(QString::fromUtf8(kRunning));
        const int outcome = PerformPage();
        ed_Process->setText(QString::fromUtf8(outcome == kExchangeOk ? kSucceeded : kFailed));
      },
      {page});
  // The sum field of a registration page follows the window's total after every run.
  if (QLineEdit* sum = SumFieldOfPage(page))
    sum->setText(Qs(FormatGeneral(sums_.receiptTotal(), Separator())));
}

int Tfm_Chek::PerformPage() {
  QWidget* page = Pg_Registr->currentWidget();
  Link& l = link();
  if (page == tsch_OpenSmen) return l.Run(OpenShiftCommand(l, Mode(), Std(ed_TextOpenSm->text())));
  if (page == tsch_OpenChek)
    return l.Run(OpenReceiptCommand(l, Mode(), rg_TypeChek->itemIndex() + 1));
  if (page == tsch_Registr || page == tsch_StornoRegistr || page == tsch_Vozv || page == tsch_Annul)
    return RegisterItem(page);
  if (page == tsch_SkidNadb) return Discount();
  if (page == tsch_ItogChek) return l.Run(SubtotalCommand(l, Mode()));
  if (page == tsch_RaschChek)
    return Pay(cb_TypeOplRasch, edm_SummChekRasch, ed_OstatokRasch, ed_SdachaRasch, false);
  if (page == tsch_StornoRaschChek) {
    return Pay(cb_TypeOplStornoRasch, edm_SummChekStornoRasch, ed_OstatokStornoRasch,
               ed_SdachaStornoRasch, true);
  }
  if (page == tsch_DuplexOper) return RepeatSale();
  if (page == tsch_CloseChek) return CloseReceipt();
  return CashPage(page);
}

// ---- cash in and out ----

int Tfm_Chek::CashPage(QWidget* page) {
  std::optional<Exchange> command;
  if (page == tsch_Vnes)
    command = CashInCommand(link(), Mode(), Std(edm_SummaVnes->text()), Separator());
  else if (page == tsch_Vipl)
    command = CashOutCommand(link(), Mode(), Std(edm_SummaVipl->text()), Separator());
  else
    return 0;
  if (!command) {
    BadFormat();
    return 0;
  }
  return link().Run(*command);
}

// ---- registrations ----

int Tfm_Chek::RegisterTwice(const std::function<std::optional<Exchange>(OperationMode)>& build,
                            const QString& name) {
  const std::optional<Exchange> check = build(OperationMode::CheckOnly);
  const std::optional<Exchange> real = build(Mode());
  if (!check || !real) {
    BadFormat();
    return 0;
  }
  if (link().Run(*check) != kExchangeOk) return 0;
  // The name is printed only once the register has accepted the item, and only for real.
  if (!name.isEmpty() && Mode() == OperationMode::Execute)
    PrintString(link(), Std(name), kCmdPrintStringReceipt);
  return link().Run(*real);
}

int Tfm_Chek::RegisterItem(QWidget* page) {
  const char32_t sep = Separator();
  Link& l = link();
  struct Fields {
    QLineEdit* name;
    TEditMoney* price;
    TEditCount* quantity;
    TEditNum* section;
  };
  Fields f{};
  if (page == tsch_Registr) f = {ed_PrnStr, edm_PriceRegistr, edc_CountRegistr, edn_SecRegistr};
  if (page == tsch_StornoRegistr)
    f = {ed_PrnStrStorno, edm_PriceStornoRegistr, edc_CountStornoRegistr, edn_SecStornoRegistr};
  if (page == tsch_Vozv) f = {ed_PrnStrVoz, edm_PriceVozv, edc_CountVozv, nullptr};
  if (page == tsch_Annul) f = {ed_PrnStrAn, edm_PriceAnnul, edc_CountAnnul, nullptr};
  const std::string price = Std(f.price->text());
  const std::string quantity = Std(f.quantity->text());
  const std::string section = f.section ? Std(f.section->text()) : std::string();
  const std::optional<double> p = Number(f.price);
  const std::optional<double> q = Number(f.quantity);

  const auto build = [&](OperationMode mode) -> std::optional<Exchange> {
    if (page == tsch_Registr) return RegisterItemCommand(l, mode, price, quantity, section, sep);
    if (page == tsch_StornoRegistr)
      return StornoItemCommand(l, mode, price, quantity, section, sep);
    if (page == tsch_Vozv) return ReturnItemCommand(l, mode, price, quantity, sep);
    return AnnulItemCommand(l, mode, price, quantity, sep);
  };
  if (!p || !q) {
    BadFormat();
    return 0;
  }
  const int outcome = RegisterTwice(build, f.name->text());
  if (outcome != kExchangeOk) return outcome;
  const std::string name = Std(f.name->text());
  if (page == tsch_Registr) sums_.Sale(*p, *q, name);
  if (page == tsch_StornoRegistr) sums_.Storno(*p, *q);
  if (page == tsch_Vozv) sums_.Return(*p, *q, name);
  if (page == tsch_Annul) sums_.Annul(*p, *q);
  return outcome;
}

int Tfm_Chek::RepeatSale() {
  Link& l = link();
  if (l.Run(RepeatSaleCommand(l, OperationMode::CheckOnly)) != kExchangeOk) return 0;
  // Unlike a sale, the stored name is printed in the check-only mode too.
  if (!sums_.lastItemName().empty()) PrintString(l, sums_.lastItemName(), kCmdPrintStringReceipt);
  const int outcome = l.Run(RepeatSaleCommand(l, Mode()));
  if (outcome != kExchangeOk) return outcome;
  ed_SummaDuplexOper->setText(Qs(FormatGeneral(sums_.lastOperationSum(), Separator())));
  sums_.Repeat();
  return outcome;
}

// ---- discounts and surcharges ----

int Tfm_Chek::Discount() {
  const auto area = static_cast<DiscountArea>(rg_TypeObl->itemIndex());
  const auto kind = static_cast<DiscountKind>(rg_TypeSkidNadbav->itemIndex());
  const auto sign = static_cast<DiscountSign>(rg_TypeZnak->itemIndex());
  const std::string value = Std(edm_Znach->text());
  const std::optional<Exchange> command =
      DiscountSurchargeCommand(link(), Mode(), area, kind, sign, value, Separator());
  const std::optional<double> v = Number(edm_Znach);
  if (!command || !v) {
    BadFormat();
    return 0;
  }
  const int outcome = link().Run(*command);
  if (outcome == kExchangeOk) sums_.Adjust(area, kind, sign, *v);
  return outcome;
}

void Tfm_Chek::rg_TypeSkidNadbavClick() {
  edm_Znach->SetLimit(rg_TypeSkidNadbav->itemIndex() == 0 ? kPercentLength : kAmountLength);
}

void Tfm_Chek::bt_OtmenaSkidNadbClick() {
  RunCommand([this] {
    ed_Process->setText(QString::fromUtf8(kRunning));
    const int result = link().Run(CancelLastDiscountCommand(link()));
    ed_Process->setText(QString::fromUtf8(result == kExchangeOk ? kSucceeded : kFailed));
  });
}

// ---- payments and closing ----

void Tfm_Chek::SendCardData(QLineEdit* number, QLineEdit* authCode, QLineEdit* reference) {
  // Its result is not looked at: the payment goes all the same.
  link().Run(
      CardDataCommand(link(), Std(number->text()), Std(authCode->text()), Std(reference->text())));
}

int Tfm_Chek::Pay(QComboBox* type, TEditMoney* amount, QLineEdit* remainder, QLineEdit* change,
                  bool storno) {
  const int paymentType = type->currentIndex() + 1;
  const std::string text = Std(amount->text());
  const std::optional<Exchange> command =
      storno ? PaymentStornoCommand(link(), Mode(), paymentType, text, Separator())
             : PaymentCommand(link(), Mode(), paymentType, text, Std(ed_NumPlKartRasch->text()),
                              Separator());
  if (!command) {
    BadFormat();
    return 0;
  }
  if (paymentType == kCardPayment) SendCardData(ed_NumPlKartRasch, eauthcodep, erefnp);
  if (paymentType == kCardDataWithClosingFields) SendCardData(ed_NumPlKartClose, eauthcode, erefn);
  const int outcome = link().Run(*command);
  if (outcome != kExchangeOk) return outcome;
  const PaymentAnswer answer = DecodePaymentAnswer(
      std::span<const uint8_t>(link().AnswerBuffer.data(), link().AnswerBuffer.size()));
  remainder->setText(Qs(answer.remainder));
  change->setText(Qs(answer.change));
  return outcome;
}

int Tfm_Chek::CloseReceipt() {
  const int paymentType = cb_TypeOplClose->currentIndex() + 1;
  const std::optional<Exchange> command =
      CloseReceiptCommand(link(), Mode(), paymentType, Std(edm_VnesSumma->text()), Separator());
  if (!command) {
    BadFormat();
    return 0;
  }
  if (paymentType == kCardPayment) SendCardData(ed_NumPlKartClose, eauthcode, erefn);
  const int outcome = link().Run(*command);
  if (outcome == kExchangeOk) sums_.Reset();
  return outcome;
}

// ---- whole-receipt annulment ----

void Tfm_Chek::bt_AnnulAllChekClick() {
  RunCommand([this] {
    ed_Process->setText(QString::fromUtf8(kRunning));
    if (link().Run(AnnulReceiptCommand(link())) != kExchangeOk) {
      ed_Process->setText(QString::fromUtf8(kFailed));
      return;
    }
    sums_.Reset();
    for (QLineEdit* sum : {ed_SummaChekRegistr, ed_SummaChekStornoRegistr, ed_SummaChekVozv,
                           ed_SummaChekAnnul, ed_SummItogChek, ed_SummaDuplexOper})
      sum->setText(QStringLiteral("0"));
    ed_Process->setText(QString::fromUtf8(kSucceeded));
  });
}

// ---- page change ----

void Tfm_Chek::Pg_RegistrChange() {
  QWidget* page = Pg_Registr->currentWidget();
  const char32_t sep = Separator();
  const double shown = sums_.Shown();
  if (page == tsch_Registr || page == tsch_Vozv || page == tsch_StornoRegistr) {
    SumFieldOfPage(page)->setText(Qs(FormatFixed(shown, 2, sep, kSumFieldWidth)));
  } else if (page == tsch_DuplexOper) {
    ed_SummaDuplexOper->setText(Qs(FormatGeneral(sums_.lastOperationSum(), sep)));
  } else if (page == tsch_RaschChek) {
    edm_SummChekRasch->setText(Qs(FormatFixed(shown, 2, sep)));
    ed_NumPlKartRasch->clear();
    ed_OstatokRasch->clear();
    ed_SdachaRasch->clear();
  } else if (page == tsch_CloseChek) {
    edm_VnesSumma->setText(QStringLiteral("0"));
    ed_NumPlKartClose->clear();
  }
}

// ---- the card reader ----

void Tfm_Chek::cb_TypeOplRaschChange() {
  btncardp->setVisible(cb_TypeOplRasch->currentIndex() + 1 == kCardPayment);
}

void Tfm_Chek::cb_TypeOplCloseChange() {
  btncard->setVisible(cb_TypeOplClose->currentIndex() + 1 == kCardPayment);
}

void Tfm_Chek::ReadCardInto(QPushButton* button, QLineEdit* field) {
  button->setEnabled(false);
  std::string card;
  // Failures are silent: the field is simply left empty.
  field->setText(ReadCard(context().settings, card) == kCardReadOk ? Qs(card) : QString());
  button->setEnabled(true);
}

void Tfm_Chek::btncardpClick() {
  ReadCardInto(btncardp, ed_NumPlKartRasch);
}

void Tfm_Chek::btncardClick() {
  ReadCardInto(btncard, ed_NumPlKartClose);
}

}  // namespace ptk::ui

namespace ptk::ui {

// ---- account number, attribute and barcode ----

void Tfm_Chek::BitBtn1Click() {
  // The window stays enabled for this one exchange; a click while any exchange holds the
  // line (this one's included) is ignored.
  if (busy()) return;
  ui().SetResult("");
  ed_Process->setText(QString::fromUtf8(kRunning));
  const int result = link().Run(AccountNumberCommand(link(), Std(ed_PrnStrNumCount->text())));
  ed_Process->setText(QString::fromUtf8(result == kExchangeOk ? kSucceeded : kFailed));
}

void Tfm_Chek::FillAttributeNames() {
  cbattrname->setEnabled(false);
  cbattrname->clear();
  std::vector<std::string> names;
  const int error = ReadAttributeNames(link(), names);
  if (error != direct_error::kOk) {
    ShowAttributeNamesError(ui(), error);
    return;
  }
  for (const std::string& name : names) cbattrname->addItem(Qs(name));
  cbattrname->view()->setMinimumWidth(cbattrname->view()->sizeHintForColumn(0) + 24);
  cbattrname->setEnabled(true);
  eattrnChange();
}

void Tfm_Chek::eattrnChange() {
  if (syncing_) return;
  syncing_ = true;
  const int n = ClampAttributeNumber(Std(eattrn->text()));
  if (eattrn->text() != QString::number(n)) eattrn->setText(QString::number(n));
  udattrn->setValue(n);
  if (cbattrname->isEnabled()) cbattrname->setCurrentIndex(n - 1);
  syncing_ = false;
}

void Tfm_Chek::cbattrnameChange() {
  if (syncing_ || cbattrname->currentIndex() < 0) return;
  eattrn->setText(QString::number(AttributeNumberOfItem(cbattrname->currentIndex())));
}

void Tfm_Chek::udattrnClick() {
  if (!syncing_) eattrn->setText(QString::number(udattrn->value()));
}

void Tfm_Chek::btnattrprintClick() {
  const std::optional<int> n = ParseWholeNumber(Std(eattrn->text()));
  if (!n) return;
  ShowAttributeError(ui(), PrintAttribute(link(), static_cast<uint8_t>(*n), Std(eattrval->text())));
}

void Tfm_Chek::btnbarcodeprintClick() {
  const int item = cbbarcodetype->currentIndex();
  if (item < 0 || item >= static_cast<int>(kBarcodeTypes.size())) return;
  const uint8_t type = kBarcodeTypes[static_cast<size_t>(item)].code;
  std::string text;
  int error =
      BuildBarcodeText(type, Std(ebarcode->text()), Std(ebarext->text()), kBarcodeSeparator, text);
  if (error == direct_error::kOk) error = PrintBarcode(link(), type, text);
  ShowDirectError(ui(), error);
}

}  // namespace ptk::ui
