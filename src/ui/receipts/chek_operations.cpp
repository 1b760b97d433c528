// The receipt window's operations: the table of its pages (what "Выполнить" and showing
// a page do), the operations of the pages, the whole-receipt buttons and the card reader
// buttons.
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
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/page_control.h"
#include "ui/controls/radio_group.h"
#include "ui/receipts/chek.h"

namespace ptk::ui {
namespace {

constexpr int kSumFieldWidth = 12;
constexpr int kCardPayment = 4;
constexpr int kCardDataWithClosingFields = 2;

// The item commands without a section, in the shape of those with one.
std::optional<Exchange> ReturnItem(const Link& link, OperationMode mode, std::string_view price,
                                   std::string_view quantity, std::string_view,
                                   char32_t separator) {
  return ReturnItemCommand(link, mode, price, quantity, separator);
}

std::optional<Exchange> AnnulItem(const Link& link, OperationMode mode, std::string_view price,
                                  std::string_view quantity, std::string_view, char32_t separator) {
  return AnnulItemCommand(link, mode, price, quantity, separator);
}

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

// ---- the pages ----

void Tfm_Chek::BuildPageTable() {
  // The registration pages but the annulment show the receipt's sum when they are shown.
  const auto item = [this](QWidget* page, const ItemOperation& op, bool sumWhenShown) {
    PageDescriptor d{page, [this, op] { return RegisterItem(op); }, op.fields.receiptSum};
    if (sumWhenShown) {
      d.shown = [this, sum = op.fields.receiptSum] {
        sum->setText(Qs(FormatFixed(sums_.Shown(), 2, Separator(), kSumFieldWidth)));
      };
    }
    return d;
  };
  pages_ = {
      {tsch_OpenSmen,
       [this] { return link().Run(OpenShiftCommand(link(), Mode(), Std(ed_TextOpenSm->text()))); }},
      {tsch_OpenChek,
       [this] {
         return link().Run(OpenReceiptCommand(link(), Mode(), rg_TypeChek->itemIndex() + 1));
       }},
      item(
          tsch_Registr,
          {{ed_PrnStr, edm_PriceRegistr, edc_CountRegistr, edn_SecRegistr, ed_SummaChekRegistr},
           RegisterItemCommand,
           [](ReceiptSums& s, double p, double q, const std::string& name) { s.Sale(p, q, name); }},
          true),
      item(tsch_StornoRegistr,
           {{ed_PrnStrStorno, edm_PriceStornoRegistr, edc_CountStornoRegistr, edn_SecStornoRegistr,
             ed_SummaChekStornoRegistr},
            StornoItemCommand,
            [](ReceiptSums& s, double p, double q, const std::string&) { s.Storno(p, q); }},
           true),
      item(tsch_Vozv,
           {{ed_PrnStrVoz, edm_PriceVozv, edc_CountVozv, nullptr, ed_SummaChekVozv},
            ReturnItem,
            [](ReceiptSums& s, double p, double q, const std::string& name) {
              s.Return(p, q, name);
            }},
           true),
      {tsch_SkidNadb, [this] { return Discount(); }},
      item(tsch_Annul,
           {{ed_PrnStrAn, edm_PriceAnnul, edc_CountAnnul, nullptr, ed_SummaChekAnnul},
            AnnulItem,
            [](ReceiptSums& s, double p, double q, const std::string&) { s.Annul(p, q); }},
           false),
      {tsch_ItogChek, [this] { return link().Run(SubtotalCommand(link(), Mode())); }},
      {tsch_RaschChek,
       [this] {
         return Pay(cb_TypeOplRasch, edm_SummChekRasch, ed_OstatokRasch, ed_SdachaRasch, false);
       },
       nullptr,
       [this] {
         edm_SummChekRasch->setText(Qs(FormatFixed(sums_.Shown(), 2, Separator())));
         ed_NumPlKartRasch->clear();
         ed_OstatokRasch->clear();
         ed_SdachaRasch->clear();
       }},
      {tsch_StornoRaschChek,
       [this] {
         return Pay(cb_TypeOplStornoRasch, edm_SummChekStornoRasch, ed_OstatokStornoRasch,
                    ed_SdachaStornoRasch, true);
       }},
      {tsch_DuplexOper, [this] { return RepeatSale(); }, nullptr,
       [this] {
         ed_SummaDuplexOper->setText(Qs(FormatGeneral(sums_.lastOperationSum(), Separator())));
       }},
      {tsch_CloseChek, [this] { return CloseReceipt(); }, nullptr,
       [this] {
         edm_VnesSumma->setText(QStringLiteral("0"));
         ed_NumPlKartClose->clear();
       }},
      {tsch_Vnes,
       [this] {
         return RunBuilt(CashInCommand(link(), Mode(), Std(edm_SummaVnes->text()), Separator()));
       }},
      {tsch_Vipl,
       [this] {
         return RunBuilt(CashOutCommand(link(), Mode(), Std(edm_SummaVipl->text()), Separator()));
       }},
  };
}

const Tfm_Chek::PageDescriptor* Tfm_Chek::PageShown() const {
  QWidget* page = Pg_Registr->currentWidget();
  for (const PageDescriptor& d : pages_)
    if (d.page == page) return &d;
  return nullptr;
}

void Tfm_Chek::bt_OperOkClick() {
  const PageDescriptor* shown = PageShown();
  if (!shown) return;
  const PageDescriptor& d = *shown;
  RunCommand([&] { RunWithStatus(ed_Process, [&] { return d.perform() == kExchangeOk; }); },
             {d.page});
  // The sum field of a registration page follows the window's total after every run.
  if (d.receiptSum) d.receiptSum->setText(Qs(FormatGeneral(sums_.receiptTotal(), Separator())));
}

void Tfm_Chek::Pg_RegistrChange() {
  const PageDescriptor* d = PageShown();
  if (d && d->shown) d->shown();
}

int Tfm_Chek::RunBuilt(const std::optional<Exchange>& command) {
  if (!command) {
    BadFormat();
    return 0;
  }
  return link().Run(*command);
}

// ---- registrations ----

int Tfm_Chek::RegisterItem(const ItemOperation& item) {
  const ItemFields& f = item.fields;
  const char32_t sep = Separator();
  const std::string price = Std(f.price->text());
  const std::string quantity = Std(f.quantity->text());
  const std::string section = f.section ? Std(f.section->text()) : std::string();
  const std::optional<double> p = Number(f.price);
  const std::optional<double> q = Number(f.quantity);
  const std::optional<Exchange> check =
      item.command(link(), OperationMode::CheckOnly, price, quantity, section, sep);
  const std::optional<Exchange> real = item.command(link(), Mode(), price, quantity, section, sep);
  if (!p || !q || !check || !real) {
    BadFormat();
    return 0;
  }
  if (link().Run(*check) != kExchangeOk) return 0;
  // The name is printed only once the register has accepted the item, and only for real.
  const QString name = f.name->text();
  if (!name.isEmpty() && Mode() == OperationMode::Execute)
    PrintString(link(), Std(name), kCmdPrintStringReceipt);
  const int outcome = link().Run(*real);
  if (outcome == kExchangeOk) item.record(sums_, *p, *q, Std(f.name->text()));
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
    RunWithStatus(ed_Process,
                  [this] { return link().Run(CancelLastDiscountCommand(link())) == kExchangeOk; });
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
    RunWithStatus(ed_Process, [this] {
      if (link().Run(AnnulReceiptCommand(link())) != kExchangeOk) return false;
      sums_.Reset();
      for (QLineEdit* sum : {ed_SummaChekRegistr, ed_SummaChekStornoRegistr, ed_SummaChekVozv,
                             ed_SummaChekAnnul, ed_SummItogChek, ed_SummaDuplexOper})
        sum->setText(QStringLiteral("0"));
      return true;
    });
  });
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

// ---- account number, attribute and barcode ----

void Tfm_Chek::BitBtn1Click() {
  // The window stays enabled for this one exchange; a click while any exchange holds the
  // line (this one's included) is ignored.
  if (busy()) return;
  ui().SetResult("");
  RunWithStatus(ed_Process, [this] {
    return link().Run(AccountNumberCommand(link(), Std(ed_PrnStrNumCount->text()))) == kExchangeOk;
  });
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
