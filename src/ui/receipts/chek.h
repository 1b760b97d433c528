// "РЕЖИМ РЕГИСТРАЦИЙ": the receipt window. One page per operation of a receipt (shift
// and receipt opening, sale, storno, return, discount, annulment, subtotal, payment and
// its storno, repeat, closing, cash in and out) and one button that performs the page
// shown; the choice between executing and only checking; the whole-receipt buttons; and
// three panels for the account number, an attribute and a barcode.
#pragma once

#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/receipts/receipt_commands.h"
#include "core/receipts/receipt_sums.h"
#include "ui/base/form.h"

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

  // The widths of an amount field and of a percentage.
  static constexpr int kAmountLength = 11;
  static constexpr int kPercentLength = 7;

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
  // The controls of an item registration page (sale, storno, return, annulment); the
  // section is null where the page has none.
  struct ItemFields {
    QLineEdit* name;
    TEditMoney* price;
    TEditCount* quantity;
    TEditNum* section;
    QLineEdit* receiptSum;
  };
  // The command of an item registration for a mode (nullopt: a field that is no valid
  // value), and what the registration accepted by the register does to the window's sums.
  using ItemCommand = std::optional<Exchange> (*)(const Link&, OperationMode,
                                                  std::string_view price, std::string_view quantity,
                                                  std::string_view section, char32_t separator);
  using ItemRecord = void (*)(ReceiptSums&, double price, double quantity, const std::string& name);
  struct ItemOperation {
    ItemFields fields;
    ItemCommand command;
    ItemRecord record;
  };
  // One page of Pg_Registr: what "Выполнить" does on it (1 on success), the "Сумма чека"
  // field that follows the window's total after every run, and what showing the page
  // does to its fields.
  struct PageDescriptor {
    QWidget* page;
    std::function<int()> perform;
    QLineEdit* receiptSum = nullptr;
    std::function<void()> shown = {};
  };

  void BuildPages();
  void BuildPanels();
  void BuildLayout();
  void BuildPageTable();
  // The descriptor of the page shown; null for a page without one.
  const PageDescriptor* PageShown() const;

  // The sale, storno, return and annulment: a check-only pass, the name printed, the
  // pass of the chosen mode, the window's sums.
  int RegisterItem(const ItemOperation& item);
  // Runs a command; a command that could not be built has its fields shown as badly
  // formatted. 1 on success.
  int RunBuilt(const std::optional<Exchange>& command);
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
  void BadFormat();

  std::vector<PageDescriptor> pages_;
  ReceiptSums sums_;
  // The window that was active before this one: activation from another window of the
  // program is the window's activation; the return from a message box is not.
  QPointer<QWidget> lastActive_;
  bool activatedOnce_ = false;
  bool syncing_ = false;  // the attribute number and name follow each other once
};

}  // namespace ptk::ui
