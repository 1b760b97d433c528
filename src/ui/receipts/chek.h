// "РЕЖИМ РЕГИСТРАЦИЙ": the receipt window. One page per operation of a receipt (shift
// and receipt opening, sale, storno, return, discount, annulment, subtotal, payment and
// its storno, repeat, closing, cash in and out) and one button that performs the page
// shown; the choice between executing and only checking; the whole-receipt buttons; and
// three panels for the account number, an attribute and a barcode.
#pragma once

#include <QPointer>
#include <functional>
#include <optional>

#include "core/receipts/receipt_commands.h"
#include "core/receipts/receipt_sums.h"
#include "ui/shell/form.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ptk::ui {

class TEditCount;
class TEditMoney;
class TEditNum;
class TPageControl;
class TRadioGroup;

class Tfm_Chek : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_Chek(AppContext& context);

  // Before the window is shown after the register entered registration mode: every
  // field to its starting value, the first page, then the window shown.
  void ResetReceiptWindow();

  void bt_OperOkClick();
  void bt_AnnulAllChekClick();
  void bt_OtmenaSkidNadbClick();
  void bt_ChekCloseClick();
  void Pg_RegistrChange();
  void rg_TypeSkidNadbavClick();
  void cb_TypeOplRaschChange();
  void cb_TypeOplCloseChange();
  void btncardpClick();
  void btncardClick();
  // Reads the attribute names of the register into cbattrname.
  void FillAttributeNames();
  void BitBtn1Click();
  void eattrnChange();
  void cbattrnameChange();
  void udattrnClick();
  void btnattrprintClick();
  void btnbarcodeprintClick();

  const ReceiptSums& sums() const { return sums_; }

  TPageControl* Pg_Registr;
  TRadioGroup* rg_VidOper;
  QPushButton* bt_OperOk;
  QPushButton* bt_AnnulAllChek;
  QPushButton* bt_OtmenaSkidNadb;
  QFrame* pn_Procecc;
  QLineEdit* ed_Process;
  QPushButton* bt_ChekClose;
  QCheckBox* cnotreallyquit;
  QPushButton* bt_CloseChek;
  QPushButton* bt_PrnStr;

  // Pages and their controls.
  QWidget* tsch_OpenSmen;
  QLineEdit* ed_TextOpenSm;
  QWidget* tsch_OpenChek;
  TRadioGroup* rg_TypeChek;
  QWidget* tsch_Registr;
  QLineEdit* ed_PrnStr;
  TEditMoney* edm_PriceRegistr;
  TEditCount* edc_CountRegistr;
  TEditNum* edn_SecRegistr;
  QLineEdit* ed_SummaChekRegistr;
  QWidget* tsch_StornoRegistr;
  QLineEdit* ed_PrnStrStorno;
  TEditMoney* edm_PriceStornoRegistr;
  TEditCount* edc_CountStornoRegistr;
  TEditNum* edn_SecStornoRegistr;
  QLineEdit* ed_SummaChekStornoRegistr;
  QWidget* tsch_Vozv;
  QLineEdit* ed_PrnStrVoz;
  TEditMoney* edm_PriceVozv;
  TEditCount* edc_CountVozv;
  QLineEdit* ed_SummaChekVozv;
  QWidget* tsch_SkidNadb;
  TRadioGroup* rg_TypeZnak;
  TRadioGroup* rg_TypeObl;
  TRadioGroup* rg_TypeSkidNadbav;
  TEditMoney* edm_Znach;
  QWidget* tsch_Annul;
  QLineEdit* ed_PrnStrAn;
  TEditMoney* edm_PriceAnnul;
  TEditCount* edc_CountAnnul;
  QLineEdit* ed_SummaChekAnnul;
  QWidget* tsch_ItogChek;
  QLineEdit* ed_SummItogChek;
  QWidget* tsch_RaschChek;
  QComboBox* cb_TypeOplRasch;
  QLineEdit* ed_NumPlKartRasch;
  QLineEdit* eauthcodep;
  QLineEdit* erefnp;
  QPushButton* btncardp;
  TEditMoney* edm_SummChekRasch;
  QLineEdit* ed_OstatokRasch;
  QLineEdit* ed_SdachaRasch;
  QWidget* tsch_StornoRaschChek;
  QComboBox* cb_TypeOplStornoRasch;
  TEditMoney* edm_SummChekStornoRasch;
  QLineEdit* ed_OstatokStornoRasch;
  QLineEdit* ed_SdachaStornoRasch;
  QWidget* tsch_DuplexOper;
  QLineEdit* ed_SummaDuplexOper;
  QWidget* tsch_CloseChek;
  QComboBox* cb_TypeOplClose;
  TEditMoney* edm_VnesSumma;
  QLineEdit* ed_NumPlKartClose;
  QLineEdit* eauthcode;
  QLineEdit* erefn;
  QPushButton* btncard;
  QWidget* tsch_Vnes;
  TEditMoney* edm_SummaVnes;
  QWidget* tsch_Vipl;
  TEditMoney* edm_SummaVipl;

  // The panels of the account number, the attribute and the barcode.
  QFrame* Panel9;
  QLineEdit* ed_PrnStrNumCount;
  QPushButton* BitBtn1;
  QGroupBox* panattr;
  QLineEdit* eattrn;
  QSpinBox* udattrn;
  QComboBox* cbattrname;
  QLineEdit* eattrval;
  QPushButton* btnattrprint;
  QGroupBox* Panel10;
  QComboBox* cbbarcodetype;
  QLineEdit* ebarcode;
  QLineEdit* ebarext;
  QPushButton* btnbarcodeprint;

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  bool CloseQuery() override;
  void Closed() override;

 private:
  void BuildPages();
  void BuildPanels();
  void BuildLayout();

  // The operation of the page shown; 1 on success.
  int PerformPage();
  // The sale, storno, return and annulment: a check-only pass, the name printed, the
  // pass of the chosen mode. build makes the command for a mode (nullopt: a field that
  // is no valid value).
  int RegisterItem(QWidget* page);
  int CashPage(QWidget* page);
  int RegisterTwice(const std::function<std::optional<Exchange>(OperationMode)>& build,
                    const QString& name);
  int Pay(QComboBox* type, TEditMoney* amount, QLineEdit* remainder, QLineEdit* change,
          bool storno);
  int CloseReceipt();
  int Discount();
  int RepeatSale();
  // The payment card's data before a payment by the types that carry it.
  void SendCardData(QLineEdit* number, QLineEdit* authCode, QLineEdit* reference);
  void ReadCardInto(QPushButton* button, QLineEdit* field);

  OperationMode Mode() const;
  char32_t Separator() const;
  // The number a field holds (its text converted as the window converts it).
  std::optional<double> Number(const QLineEdit* field) const;
  // The "Сумма чека" field of the page shown, when it has one.
  QLineEdit* SumFieldOfPage(QWidget* page) const;
  void BadFormat();

  ReceiptSums sums_;
  // The window that was active before this one: activation from another window of the
  // program is the window's activation; the return from a message box is not.
  QPointer<QWidget> lastActive_;
  bool activatedOnce_ = false;
  bool syncing_ = false;  // the attribute number and name follow each other once
};

}  // namespace ptk::ui
