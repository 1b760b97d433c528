// The tables window's reading and writing: the common frame of the tab buttons, the
// field values to and from the controls, and the reading of all tables.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

#include "core/link/encoding.h"
#include "core/programming/field_catalogue.h"
#include "core/programming/line_format.h"
#include "core/programming/table_fields.h"
#include "core/settings/config.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/radio_group.h"
#include "ui/programming/datatable.h"
#include "ui/shell/app_context.h"
#include "ui/shell/progress.h"
#include "ui/shell/qt_user_interface.h"

namespace ptk::ui {
namespace {

namespace sf = settings_field;

constexpr const char* kRunning = "Идет выполнение команды ...";
constexpr const char* kSucceeded = "Команда выполнена успешно.";
constexpr const char* kFailed = "Ошибочное выполнение команды.";
constexpr uint16_t kSettingsRow = 1;
constexpr int kPaper57 = 1;

bool Flag(std::span<const uint8_t> v) {
  return !v.empty() && v[0] != 0;
}

int Number(std::span<const uint8_t> v) {
  const std::string digits = DecodePacked(v.first(std::min<size_t>(v.size(), 1)));
  return digits.empty() ? 0 : std::stoi(digits);
}

QString Text(QTableWidget* grid, int row) {
  const QTableWidgetItem* item = grid->item(row, 0);
  return item ? item->text() : QString();
}

}  // namespace

// ---- the frame of every tab button ----

void Tfm_DataTable::RunTab(const QList<QWidget*>& group, const std::function<bool()>& work,
                           QVector<bool>* marks) {
  RunCommand(
      [&] {
        ed_Process->setText(QString::fromUtf8(kRunning));
        const bool ok = work();
        ed_Process->setText(QString::fromUtf8(ok ? kSucceeded : kFailed));
        if (marks) marks->fill(false);
      },
      group);
  if (&group == &groupModes_) cusepoledisplay->setEnabled(caps_.customerDisplay != 0);
}

bool Tfm_DataTable::ReadFields(const std::vector<Address>& fields) {
  for (const Address& a : fields) {
    if (a.compact) {
      CompactAnswer answer;
      const int error = ReadFieldCompact(link(), a.table, a.row, a.field, answer);
      if (error != direct_error::kOk) {
        ShowDirectError(ui(), error);
        return false;
      }
      ShowField(a, answer.Value());
    } else {
      if (ReadTableField(link(), context().abort, a.table, static_cast<uint8_t>(a.row), a.field) !=
          kExchangeOk)
        return false;
      ShowField(a, ClassicAnswerData(link()));
    }
  }
  return true;
}

bool Tfm_DataTable::WriteFields(const std::vector<Address>& fields) {
  for (const Address& a : fields) {
    const std::optional<std::vector<uint8_t>> value = FieldBytes(a);
    if (!value) {
      ShowDirectError(ui(), direct_error::kInvalidParameter);
      return false;
    }
    if (a.compact) {
      const int error = WriteFieldCompact(link(), a.table, a.row, a.field, *value);
      if (error != direct_error::kOk) {
        ShowDirectError(ui(), error);
        return false;
      }
    } else if (WriteTableField(link(), a.table, static_cast<uint8_t>(a.row), a.field, *value) !=
               kExchangeOk) {
      return false;
    }
  }
  return true;
}

// ---- values to and from the controls ----

void Tfm_DataTable::ShowField(const Address& a, std::span<const uint8_t> v) {
  filling_ = true;
  const int row = a.row - 1;
  switch (a.table) {
    case kSettingsTable:
      switch (a.field) {
        case sf::kRegisterNumber:
          edn_NumKKM->setText(Qs(DecodePacked(v.first(std::min<size_t>(v.size(), 1)))));
          break;
        case sf::kPaymentType2:
          cb_TypeOpl2->setChecked(Flag(v));
          break;
        case sf::kPaymentType3:
          cb_TypeOpl3->setChecked(Flag(v));
          break;
        case sf::kPaymentType4:
          cb_TypeOpl4->setChecked(Flag(v));
          break;
        case sf::kTaxType:
          if (!v.empty() && v[0] <= 4) rb_TypeNalog[v[0]]->setChecked(true);
          break;
        case sf::kOpenDrawer:
          cb_OpenBox->setChecked(Flag(v));
          break;
        case sf::kClearReceiptCounter:
          cb_ChChekNull->setChecked(Flag(v));
          break;
        case sf::kDelayClosing:
          cb_TimeGash->setChecked(Flag(v));
          break;
        case sf::kClearCashSum:
          cb_ClearSum->setChecked(Flag(v));
          break;
        case sf::kCustomerDisplay:
          cusepoledisplay->setChecked(Flag(v));
          break;
        case sf::kCommPassword:
          ecommpwd->setText(Qs(DecodePacked(v.first(std::min<size_t>(v.size(), 2)))));
          break;
        case sf::kPrintSectionName:
          cb_PrnNameSek->setChecked(Flag(v));
          break;
        case sf::kBrightness:
          tb_Intensiv->setValue(Number(v));
          break;
        case sf::kCutReceipt:
          cb_OtrChek->setChecked(Flag(v));
          break;
        case sf::kTotalFontHeight:
          cb_HeightFont->setCurrentIndex(Number(v) == 1 ? 1 : 0);
          break;
        case sf::kPrintCashierNames:
          cb_PrnNameKassir->setChecked(Flag(v));
          break;
        case sf::kPrintSaleTitle:
          cb_PrnNameChek->setChecked(Flag(v));
          break;
        case sf::kPrintCardNumber:
          cb_PrnNumPlKart->setChecked(Flag(v));
          break;
        case sf::kFont:
          combofont->setCurrentIndex(
              FontItemForValue(v.empty() ? 0 : v[0], static_cast<size_t>(combofont->count())));
          break;
        case sf::kPrintStringCommand:
          cb_PrnStr->setChecked(Flag(v));
          break;
        case sf::kPrintOnShiftOpen:
          cb_PrnCh->setChecked(Flag(v));
          break;
        case sf::kPaperWidth:
          cbpaperwidth->setCurrentIndex(!v.empty() && v[0] == kPaper57 ? 1 : 0);
          ApplyPaperWidth();
          break;
        case sf::kDoubleImageHeight:
          cdblimgheight->setChecked(Flag(v));
          break;
        case sf::kHeaderSpacing:
          ehdrvspace->setValue(v.empty() ? 0 : v[0]);
          break;
        case sf::kPrintBuffer:
          cuseprintbuf->setChecked(Flag(v));
          break;
        default:
          break;
      }
      break;
    case kUsersTable:
      if (a.field == 1) {
        SetCell(sg_Pass, row, 0, Qs(DecodePacked(v.first(std::min<size_t>(v.size(), 4)))));
      } else {
        SetCell(sg_Pass, row, 1, Qs(DecodeClassicText(v)));
      }
      break;
    case kDiscountsTable:
      (a.row == 1 ? rg_Skid : rg_Nadb)->setItemIndex(Number(v));
      break;
    case kReceiptTextTable:
      if (a.row < kFooterFirstRow) {
        SetCell(sg_TitleChek, row, 0, Qs(ReceiptLineToText(v)));
      } else {
        SetCell(sg_CloseChek, a.row - kFooterFirstRow, 0, Qs(ReceiptLineToText(v)));
      }
      break;
    case kSectionsTable:
      SetCell(sg_Sek, row, 0, Qs(DecodeClassicText(v)));
      break;
    case kTaxesTable:
      SetCell(sg_Nalog, row, 0, Qs(DecodeTaxRate(v)));
      break;
    case kAttributesTable: {
      const auto end = std::find(v.begin(), v.end(), uint8_t{0});
      const size_t n = std::min<size_t>(static_cast<size_t>(end - v.begin()), kAttributeNameWidth);
      SetCell(sgattr, row, 0, Qs(Cp866ToUtf8(v.first(n))));
      break;
    }
    default:
      break;
  }
  filling_ = false;
}

std::optional<std::vector<uint8_t>> Tfm_DataTable::FieldBytes(const Address& a) {
  const auto flag = [](const QCheckBox* c) {
    return std::vector<uint8_t>{static_cast<uint8_t>(c->isChecked() ? 1 : 0)};
  };
  const auto byte = [](int n) { return std::vector<uint8_t>{static_cast<uint8_t>(n)}; };
  const int row = a.row - 1;
  switch (a.table) {
    case kSettingsTable:
      switch (a.field) {
        case sf::kRegisterNumber:
          return EncodePacked(Std(edn_NumKKM->text()), 2);
        case sf::kPaymentType2:
          return flag(cb_TypeOpl2);
        case sf::kPaymentType3:
          return flag(cb_TypeOpl3);
        case sf::kPaymentType4:
          return flag(cb_TypeOpl4);
        case sf::kTaxType:
          for (int i = 4; i > 0; --i)
            if (rb_TypeNalog[i]->isChecked()) return byte(i);
          return byte(0);
        case sf::kOpenDrawer:
          return flag(cb_OpenBox);
        case sf::kClearReceiptCounter:
          return flag(cb_ChChekNull);
        case sf::kDelayClosing:
          return flag(cb_TimeGash);
        case sf::kClearCashSum:
          return flag(cb_ClearSum);
        case sf::kCustomerDisplay:
          return flag(cusepoledisplay);
        case sf::kCommPassword:
          return EncodePacked(Std(ecommpwd->text()), 4);
        case sf::kPrintSectionName:
          return flag(cb_PrnNameSek);
        case sf::kBrightness:
          return byte(tb_Intensiv->value());
        case sf::kCutReceipt:
          return flag(cb_OtrChek);
        case sf::kTotalFontHeight:
          return byte(cb_HeightFont->currentIndex());
        case sf::kPrintCashierNames:
          return flag(cb_PrnNameKassir);
        case sf::kPrintSaleTitle:
          return flag(cb_PrnNameChek);
        case sf::kPrintCardNumber:
          return flag(cb_PrnNumPlKart);
        case sf::kFont:
          return byte(combofont->currentIndex() + 1);
        case sf::kPrintStringCommand:
          return flag(cb_PrnStr);
        case sf::kPrintOnShiftOpen:
          return flag(cb_PrnCh);
        case sf::kPaperWidth:
          return byte(cbpaperwidth->currentIndex());
        case sf::kDoubleImageHeight:
          return flag(cdblimgheight);
        case sf::kHeaderSpacing:
          return byte(ehdrvspace->value());
        case sf::kPrintBuffer:
          return flag(cuseprintbuf);
        default:
          return std::nullopt;
      }
    case kUsersTable:
      if (a.field == 1) return EncodePacked(Std(sg_Pass->item(row, 0)->text()), 8);
      return EncodeClassicText(Std(sg_Pass->item(row, 1)->text()));
    case kDiscountsTable: {
      const int item = (a.row == 1 ? rg_Skid : rg_Nadb)->itemIndex();
      return EncodePacked(std::to_string(item < 0 ? 0 : item), 2);
    }
    case kSectionsTable:
      return EncodeClassicText(Std(Text(sg_Sek, row)));
    case kTaxesTable: {
      const std::optional<std::string> cell =
          FormatTaxCell(Std(Text(sg_Nalog, row)), TNumberEdit::DecimalSeparator().unicode());
      if (!cell) return std::nullopt;
      SetCell(sg_Nalog, row, 0, Qs(*cell));
      return EncodeTaxRate(*cell);
    }
    case kAttributesTable: {
      std::vector<uint8_t> name = Utf8ToCp866(Std(Text(sgattr, row)));
      if (name.size() > kAttributeNameWidth) name.resize(kAttributeNameWidth);
      return name;
    }
    default:
      return std::nullopt;
  }
}

// ---- the tabs ----

std::vector<Tfm_DataTable::Address> Tfm_DataTable::TypeRegimFields(bool writing) const {
  std::vector<Address> f;
  for (uint8_t field :
       {sf::kRegisterNumber, sf::kPaymentType2, sf::kPaymentType3, sf::kPaymentType4, sf::kTaxType,
        sf::kOpenDrawer, sf::kClearReceiptCounter, sf::kDelayClosing, sf::kClearCashSum})
    f.push_back({kSettingsTable, kSettingsRow, field});
  if (writing && caps_.customerDisplay)
    f.push_back({kSettingsTable, kSettingsRow, sf::kCustomerDisplay, true});
  return f;
}

std::vector<Tfm_DataTable::Address> Tfm_DataTable::PrintFields(bool /*writing*/) const {
  std::vector<Address> f;
  for (uint8_t field :
       {sf::kPrintSectionName, sf::kBrightness, sf::kCutReceipt, sf::kTotalFontHeight,
        sf::kPrintCashierNames, sf::kPrintSaleTitle, sf::kPrintCardNumber, sf::kFont,
        sf::kPrintStringCommand, sf::kPrintOnShiftOpen})
    f.push_back({kSettingsTable, kSettingsRow, field});
  if (caps_.paperWidth) f.push_back({kSettingsTable, kSettingsRow, sf::kPaperWidth, true});
  if (caps_.doubleImageHeight)
    f.push_back({kSettingsTable, kSettingsRow, sf::kDoubleImageHeight, true});
  if (caps_.headerSpacing) f.push_back({kSettingsTable, kSettingsRow, sf::kHeaderSpacing, true});
  if (caps_.printBuffer) f.push_back({kSettingsTable, kSettingsRow, sf::kPrintBuffer, true});
  return f;
}

void Tfm_DataTable::bt_TypeRegOkClick() {
  RunTab(groupModes_, [this] { return WriteFields(TypeRegimFields(true)); });
}
void Tfm_DataTable::bt_TypeRegRetryClick() {
  RunTab(groupModes_, [this] { return ReadFields(TypeRegimFields(false)); });
}

void Tfm_DataTable::bt_PassOkClick() {
  RunTab(
      groupPasswords_,
      [this] {
        for (int r = 0; r < kUserRows; ++r) {
          if (!passMarks_[r]) continue;
          const auto row = static_cast<uint16_t>(r + 1);
          if (!WriteFields({{kUsersTable, row, 1}, {kUsersTable, row, 2}})) return false;
        }
        if (!WriteFields({{kSettingsTable, kSettingsRow, sf::kCommPassword}})) return false;
        // The register takes the new communication password at once: so does the program.
        Settings& s = context().settings;
        s.pendingPassword = Std(ecommpwd->text());
        SaveSetting(s, 3, ui());
        return true;
      },
      &passMarks_);
}

void Tfm_DataTable::bt_PassRetryClick() {
  RunTab(
      groupPasswords_,
      [this] {
        std::vector<Address> f;
        for (int field : {1, 2})
          for (int r = 1; r <= kUserRows; ++r)
            f.push_back({kUsersTable, static_cast<uint16_t>(r), static_cast<uint8_t>(field)});
        f.push_back({kSettingsTable, kSettingsRow, sf::kCommPassword});
        return ReadFields(f);
      },
      &passMarks_);
}

void Tfm_DataTable::bt_SkidOkClick() {
  RunTab(groupDiscounts_, [this] { return WriteFields({{kDiscountsTable, 1, 1}}); });
}
void Tfm_DataTable::bt_SkidRetryClick() {
  RunTab(groupDiscounts_, [this] { return ReadFields({{kDiscountsTable, 1, 1}}); });
}
void Tfm_DataTable::bt_NadbOkClick() {
  RunTab(groupDiscounts_, [this] { return WriteFields({{kDiscountsTable, 2, 1}}); });
}
void Tfm_DataTable::bt_NadbRetryClick() {
  RunTab(groupDiscounts_, [this] { return ReadFields({{kDiscountsTable, 2, 1}}); });
}

bool Tfm_DataTable::WriteLines(QTableWidget* grid, QVector<bool>& marks, bool header) {
  const bool eights = CurrentModel().modelCode == kModelCodeThird;
  for (int i = 0; i < grid->rowCount(); ++i) {
    if (!marks[i]) continue;
    const int error = WriteReceiptLine(link(), header ? ReceiptText::Header : ReceiptText::Footer,
                                       i, Std(Text(grid, i)), eights);
    if (error != direct_error::kOk) {
      ShowDirectError(ui(), error);
      return false;
    }
  }
  return true;
}

bool Tfm_DataTable::ReadLines(QTableWidget* grid, QVector<bool>& marks, bool header) {
  for (int i = 0; i < grid->rowCount(); ++i) {
    std::string text;
    const int error =
        ReadReceiptLine(link(), header ? ReceiptText::Header : ReceiptText::Footer, i, text);
    if (error != direct_error::kOk) {
      ShowDirectError(ui(), error);
      return false;
    }
    SetCell(grid, i, 0, Qs(text));
    marks[i] = false;
  }
  return true;
}

void Tfm_DataTable::PastePicture(QTableWidget* grid, QSpinBox* number, QSpinBox* offset,
                                 QVector<bool>& marks) {
  const int row = grid->currentRow() < 0 ? 0 : grid->currentRow();
  SetCell(grid, row, 0, Qs(PictureTag(number->value(), offset->value())));
  marks[row] = true;
}

void Tfm_DataTable::bt_TitleChekOkClick() {
  RunTab(
      groupTexts_, [this] { return WriteLines(sg_TitleChek, headerMarks_, true); }, &headerMarks_);
}
void Tfm_DataTable::bt_TitleChekRetryClick() {
  RunTab(
      groupTexts_, [this] { return ReadLines(sg_TitleChek, headerMarks_, true); }, &headerMarks_);
}
void Tfm_DataTable::bt_CloseChekOkClick() {
  RunTab(
      groupTexts_, [this] { return WriteLines(sg_CloseChek, footerMarks_, false); }, &footerMarks_);
}
void Tfm_DataTable::bt_CloseChekRetryClick() {
  RunTab(
      groupTexts_, [this] { return ReadLines(sg_CloseChek, footerMarks_, false); }, &footerMarks_);
}

void Tfm_DataTable::bt_SekOkClick() {
  RunTab(
      groupSections_,
      [this] {
        for (int r = 0; r < kSectionRows; ++r)
          if (sectionMarks_[r] && !WriteFields({{kSectionsTable, static_cast<uint16_t>(r + 1), 1}}))
            return false;
        return true;
      },
      &sectionMarks_);
}

void Tfm_DataTable::bt_SekRetryClick() {
  RunTab(
      groupSections_,
      [this] {
        std::vector<Address> f;
        for (int r = 1; r <= kSectionRows; ++r)
          f.push_back({kSectionsTable, static_cast<uint16_t>(r), 1});
        return ReadFields(f);
      },
      &sectionMarks_);
}

void Tfm_DataTable::bt_NalogOkClick() {
  RunTab(
      groupTaxes_,
      [this] {
        for (int r = 0; r < kTaxRows; ++r)
          if (taxMarks_[r] && !WriteFields({{kTaxesTable, static_cast<uint16_t>(r + 1), 1}}))
            return false;
        return true;
      },
      &taxMarks_);
}

void Tfm_DataTable::bt_NalogRetryClick() {
  RunTab(
      groupTaxes_,
      [this] {
        std::vector<Address> f;
        for (int r = 1; r <= kTaxRows; ++r) f.push_back({kTaxesTable, static_cast<uint16_t>(r), 1});
        return ReadFields(f);
      },
      &taxMarks_);
}

void Tfm_DataTable::bt_PrnOkClick() {
  RunTab(groupPrint_, [this] { return WriteFields(PrintFields(true)); });
}
void Tfm_DataTable::bt_PrnRetryClick() {
  RunTab(groupPrint_, [this] { return ReadFields(PrintFields(false)); });
}

void Tfm_DataTable::ApplyPaperWidth() {
  // Narrow paper has the first font only.
  if (cbpaperwidth->currentIndex() == kPaper57) {
    combofont->setCurrentIndex(0);
    combofont->setEnabled(false);
  } else {
    combofont->setEnabled(true);
  }
}

// ---- the attributes: no status line, no groups ----

void Tfm_DataTable::btnapplyattrClick() {
  for (int r = 0; r < kAttributeRows; ++r) {
    if (!attrMarks_[r]) continue;
    const std::optional<std::vector<uint8_t>> name =
        FieldBytes({kAttributesTable, static_cast<uint16_t>(r + 1), 1, true});
    const int error = WriteFieldCompact(link(), kAttributesTable, static_cast<uint16_t>(r + 1), 1,
                                        name ? *name : std::vector<uint8_t>{});
    if (error != direct_error::kOk) {
      ShowDirectError(ui(), error);
      return;
    }
    attrMarks_[r] = false;
  }
}

void Tfm_DataTable::btnrefreshattrClick() {
  std::vector<Address> f;
  for (int r = 1; r <= kAttributeRows; ++r)
    f.push_back({kAttributesTable, static_cast<uint16_t>(r), 1, true});
  ReadFields(f);
}

// ---- reading all tables ----

void Tfm_DataTable::ClearMarks() {
  for (QVector<bool>* m :
       {&passMarks_, &headerMarks_, &footerMarks_, &sectionMarks_, &taxMarks_, &attrMarks_})
    m->fill(false);
}

bool Tfm_DataTable::ReadAllTables(QWidget* owner) {
  ui().SetResult("");
  caps_ = CurrentModel().caps;
  Tprogress* progress = context().forms.progress;
  const QString title = QStringLiteral("Идет считывание таблиц");
  if (progress) progress->ProgressStart(owner, kReadAllTablesSteps, &title);
  ed_Process->clear();
  ClearMarks();
  cbpaperwidth->setEnabled(caps_.paperWidth != 0);
  cusepoledisplay->setEnabled(caps_.customerDisplay != 0);
  cdblimgheight->setEnabled(caps_.doubleImageHeight != 0);
  pg_DataTable->setTabVisible(pg_DataTable->indexOf(tabattr), caps_.attributesTable != 0);
  combofont->clear();
  for (std::string_view name : FontNames(caps_.fontList)) combofont->addItem(Qs(name));
  combofont->setCurrentIndex(0);

  const TablesReadResult result = ptk::ReadAllTables(link(), context().abort, caps_, [progress] {
    if (progress) progress->ProgressIncrement();
  });
  for (const FieldValue& v : result.values)
    ShowField({v.table, v.row, v.field, v.route == FieldRoute::Compact}, v.value);
  if (result.status != kExchangeOk) {
    if (progress) progress->ProgressClose();
    if (owner) owner->setEnabled(true);
    return false;
  }
  if (progress) progress->ProgressFinish();
  pg_DataTable->setCurrentWidget(tsch_TypeRegim);
  SetControlsEnabled(true);
  for (const QList<QWidget*>* g : {&groupModes_, &groupPasswords_, &groupDiscounts_, &groupTexts_,
                                   &groupSections_, &groupTaxes_, &groupPrint_})
    for (QWidget* w : *g) w->setEnabled(true);
  cusepoledisplay->setEnabled(caps_.customerDisplay != 0);
  if (cbpaperwidth->currentIndex() == kPaper57) combofont->setEnabled(false);
  if (owner) owner->setEnabled(false);
  show();
  raise();
  activateWindow();
  return true;
}

}  // namespace ptk::ui
