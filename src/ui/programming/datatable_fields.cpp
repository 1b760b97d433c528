// The tables window's fields and the controls that hold them: one binding a field (or a
// table of rows), used both to show what is read and to give what is written.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>

#include "core/link/encoding.h"
#include "core/programming/field_catalogue.h"
#include "core/programming/line_format.h"
#include "ui/base/qt_user_interface.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/radio_group.h"
#include "ui/programming/datatable.h"

namespace ptk::ui {
namespace {

namespace sf = settings_field;

bool Flag(std::span<const uint8_t> v) {
  return !v.empty() && v[0] != 0;
}

int Number(std::span<const uint8_t> v) {
  const std::string digits = DecodePacked(v.first(std::min<size_t>(v.size(), 1)));
  return digits.empty() ? 0 : std::stoi(digits);
}

// The first byte, 0 when there is none.
int FirstByte(std::span<const uint8_t> v) {
  return v.empty() ? 0 : v[0];
}

}  // namespace

void Tfm_DataTable::BuildBindings() {
  using Value = std::span<const uint8_t>;
  // A settings field held by a check box, as 0 or 1.
  const auto flag = [](uint8_t field, QCheckBox* box) {
    return Binding{kSettingsTable, field, [box](uint16_t, Value v) { box->setChecked(Flag(v)); },
                   [box](uint16_t) -> std::optional<Bytes> {
                     return Bytes{static_cast<uint8_t>(box->isChecked() ? 1 : 0)};
                   }};
  };
  // A settings field of packed digits in a line edit: bytes read, twice as many digits
  // written.
  const auto packed = [](uint8_t field, QLineEdit* edit, size_t bytes) {
    return Binding{kSettingsTable, field,
                   [edit, bytes](uint16_t, Value v) {
                     edit->setText(Qs(DecodePacked(v.first(std::min(v.size(), bytes)))));
                   },
                   [edit, bytes](uint16_t) { return EncodePacked(Std(edit->text()), 2 * bytes); }};
  };
  // A settings field of one byte: shown through show, written as what number gives.
  const auto byte = [](uint8_t field, std::function<void(Value)> show,
                       std::function<int()> number) {
    return Binding{kSettingsTable, field, [show](uint16_t, Value v) { show(v); },
                   [number](uint16_t) -> std::optional<Bytes> {
                     return Bytes{static_cast<uint8_t>(number())};
                   }};
  };
  const auto cell = [this](QTableWidget* grid, uint16_t row, int column, const std::string& text) {
    SetCell(grid, row - 1, column, Qs(text));
  };
  bindings_ = {
      packed(sf::kRegisterNumber, edn_NumKKM, 1),
      packed(sf::kCommPassword, ecommpwd, 2),
      byte(
          sf::kTaxType,
          [this](Value v) {
            if (!v.empty() && v[0] <= 4) rb_TypeNalog[v[0]]->setChecked(true);
          },
          [this] {
            for (int i = 4; i > 0; --i)
              if (rb_TypeNalog[i]->isChecked()) return i;
            return 0;
          }),
      byte(
          sf::kBrightness, [this](Value v) { tb_Intensiv->setValue(Number(v)); },
          [this] { return tb_Intensiv->value(); }),
      byte(
          sf::kTotalFontHeight,
          [this](Value v) { cb_HeightFont->setCurrentIndex(Number(v) == 1 ? 1 : 0); },
          [this] { return cb_HeightFont->currentIndex(); }),
      byte(
          sf::kFont,
          [this](Value v) {
            combofont->setCurrentIndex(
                FontItemForValue(FirstByte(v), static_cast<size_t>(combofont->count())));
          },
          [this] { return combofont->currentIndex() + 1; }),
      byte(
          sf::kPaperWidth,
          [this](Value v) {
            cbpaperwidth->setCurrentIndex(FirstByte(v) == kPaper57 ? 1 : 0);
            ApplyPaperWidth();
          },
          [this] { return cbpaperwidth->currentIndex(); }),
      byte(
          sf::kHeaderSpacing, [this](Value v) { ehdrvspace->setValue(FirstByte(v)); },
          [this] { return ehdrvspace->value(); }),
      // The cashiers' passwords (field 1) and names (any other field).
      {kUsersTable, 1,
       [this, cell](uint16_t row, Value v) {
         cell(sg_Pass, row, 0, DecodePacked(v.first(std::min<size_t>(v.size(), 4))));
       },
       [this](uint16_t row) { return EncodePacked(Std(sg_Pass->item(row - 1, 0)->text()), 8); }},
      {kUsersTable, 0,
       [this, cell](uint16_t row, Value v) { cell(sg_Pass, row, 1, DecodeClassicText(v)); },
       [this](uint16_t row) -> std::optional<Bytes> {
         return EncodeClassicText(Std(sg_Pass->item(row - 1, 1)->text()));
       }},
      // Row 1 the discounts, row 2 the surcharges.
      {kDiscountsTable, 0,
       [this](uint16_t row, Value v) { (row == 1 ? rg_Skid : rg_Nadb)->setItemIndex(Number(v)); },
       [this](uint16_t row) {
         const int item = (row == 1 ? rg_Skid : rg_Nadb)->itemIndex();
         return EncodePacked(std::to_string(item < 0 ? 0 : item), 2);
       }},
      // Read only: the lines are written by WriteLines.
      {kReceiptTextTable, 0,
       [this, cell](uint16_t row, Value v) {
         if (row < kFooterFirstRow) {
           cell(sg_TitleChek, row, 0, ReceiptLineToText(v));
         } else {
           cell(sg_CloseChek, static_cast<uint16_t>(row - kFooterFirstRow + 1), 0,
                ReceiptLineToText(v));
         }
       }},
      {kSectionsTable, 0,
       [this, cell](uint16_t row, Value v) { cell(sg_Sek, row, 0, DecodeClassicText(v)); },
       [this](uint16_t row) -> std::optional<Bytes> {
         return EncodeClassicText(Std(CellText(sg_Sek, row - 1)));
       }},
      {kTaxesTable, 0,
       [this, cell](uint16_t row, Value v) { cell(sg_Nalog, row, 0, DecodeTaxRate(v)); },
       [this](uint16_t row) -> std::optional<Bytes> {
         const std::optional<std::string> text = FormatTaxCell(
             Std(CellText(sg_Nalog, row - 1)), TNumberEdit::DecimalSeparator().unicode());
         if (!text) return std::nullopt;
         SetCell(sg_Nalog, row - 1, 0, Qs(*text));
         return EncodeTaxRate(*text);
       }},
      {kAttributesTable, 0,
       [this, cell](uint16_t row, Value v) {
         const auto end = std::find(v.begin(), v.end(), uint8_t{0});
         const size_t n =
             std::min<size_t>(static_cast<size_t>(end - v.begin()), kAttributeNameWidth);
         cell(sgattr, row, 0, Cp866ToUtf8(v.first(n)));
       },
       [this](uint16_t row) -> std::optional<Bytes> {
         Bytes name = Utf8ToCp866(Std(CellText(sgattr, row - 1)));
         if (name.size() > kAttributeNameWidth) name.resize(kAttributeNameWidth);
         return name;
       }},
  };
  for (const auto& [field, box] : std::initializer_list<std::pair<uint8_t, QCheckBox*>>{
           {sf::kPaymentType2, cb_TypeOpl2},
           {sf::kPaymentType3, cb_TypeOpl3},
           {sf::kPaymentType4, cb_TypeOpl4},
           {sf::kOpenDrawer, cb_OpenBox},
           {sf::kClearReceiptCounter, cb_ChChekNull},
           {sf::kDelayClosing, cb_TimeGash},
           {sf::kClearCashSum, cb_ClearSum},
           {sf::kCustomerDisplay, cusepoledisplay},
           {sf::kPrintSectionName, cb_PrnNameSek},
           {sf::kCutReceipt, cb_OtrChek},
           {sf::kPrintCashierNames, cb_PrnNameKassir},
           {sf::kPrintSaleTitle, cb_PrnNameChek},
           {sf::kPrintCardNumber, cb_PrnNumPlKart},
           {sf::kPrintStringCommand, cb_PrnStr},
           {sf::kPrintOnShiftOpen, cb_PrnCh},
           {sf::kDoubleImageHeight, cdblimgheight},
           {sf::kPrintBuffer, cuseprintbuf}})
    bindings_.push_back(flag(field, box));
}

const Tfm_DataTable::Binding* Tfm_DataTable::BindingOf(const Address& a) const {
  for (const Binding& b : bindings_)
    if (b.table == a.table && (b.field == a.field || b.field == 0)) return &b;
  return nullptr;
}

void Tfm_DataTable::ShowField(const Address& a, std::span<const uint8_t> v) {
  filling_ = true;
  if (const Binding* b = BindingOf(a)) b->show(a.row, v);
  filling_ = false;
}

std::optional<Tfm_DataTable::Bytes> Tfm_DataTable::FieldBytes(const Address& a) {
  const Binding* b = BindingOf(a);
  if (!b || !b->value) return std::nullopt;
  return b->value(a.row);
}

QString Tfm_DataTable::CellText(QTableWidget* grid, int row) {
  const QTableWidgetItem* item = grid->item(row, 0);
  return item ? item->text() : QString();
}

}  // namespace ptk::ui
