// The tables window's reading and writing: the common frame of the tab buttons, the
// fields of each tab, and the reading of all tables. The fields' values to and from the
// controls are in datatable_fields.cpp.
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
#include "ui/base/app_context.h"
#include "ui/base/qt_user_interface.h"
#include "ui/controls/number_edits.h"
#include "ui/controls/radio_group.h"
#include "ui/programming/datatable.h"
#include "ui/shell/progress.h"

namespace ptk::ui {
namespace {

namespace sf = settings_field;

constexpr uint16_t kSettingsRow = 1;

}  // namespace

// ---- the frame of every tab button ----

void Tfm_DataTable::RunTab(const QList<QWidget*>& group, const std::function<bool()>& work,
                           QVector<bool>* marks) {
  RunCommand(
      [&] {
        RunWithStatus(ed_Process, work);
        if (marks) marks->fill(false);
      },
      group);
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
    const std::optional<Bytes> value = FieldBytes(a);
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

bool Tfm_DataTable::TransferFields(bool writing, const std::vector<Address>& fields) {
  return writing ? WriteFields(fields) : ReadFields(fields);
}

std::vector<Tfm_DataTable::Address> Tfm_DataTable::Rows(uint8_t table, int rows, uint8_t field,
                                                        const QVector<bool>* marks, bool compact) {
  std::vector<Address> f;
  for (int r = 0; r < rows; ++r)
    if (!marks || (*marks)[r]) f.push_back({table, static_cast<uint16_t>(r + 1), field, compact});
  return f;
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

std::vector<Tfm_DataTable::Address> Tfm_DataTable::PrintFields() const {
  std::vector<Address> f;
  for (uint8_t field :
       {sf::kPrintSectionName, sf::kBrightness, sf::kCutReceipt, sf::kTotalFontHeight,
        sf::kPrintCashierNames, sf::kPrintSaleTitle, sf::kPrintCardNumber, sf::kFont,
        sf::kPrintStringCommand, sf::kPrintOnShiftOpen})
    f.push_back({kSettingsTable, kSettingsRow, field});
  const std::pair<uint32_t, uint8_t> optional[] = {
      {caps_.paperWidth, sf::kPaperWidth},
      {caps_.doubleImageHeight, sf::kDoubleImageHeight},
      {caps_.headerSpacing, sf::kHeaderSpacing},
      {caps_.printBuffer, sf::kPrintBuffer}};
  for (const auto& [present, field] : optional)
    if (present) f.push_back({kSettingsTable, kSettingsRow, field, true});
  return f;
}

void Tfm_DataTable::TypeRegimTab(bool writing) {
  RunTab(groupModes_, [=, this] { return TransferFields(writing, TypeRegimFields(writing)); });
  cusepoledisplay->setEnabled(caps_.customerDisplay != 0);
}

void Tfm_DataTable::bt_TypeRegOkClick() {
  TypeRegimTab(true);
}
void Tfm_DataTable::bt_TypeRegRetryClick() {
  TypeRegimTab(false);
}

void Tfm_DataTable::bt_PassOkClick() {
  RunTab(
      groupPasswords_,
      [this] {
        std::vector<Address> f;
        for (const Address& name : Rows(kUsersTable, kUserRows, 2, &passMarks_)) {
          f.push_back({kUsersTable, name.row, 1});
          f.push_back(name);
        }
        f.push_back({kSettingsTable, kSettingsRow, sf::kCommPassword});
        if (!WriteFields(f)) return false;
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
        std::vector<Address> f = Rows(kUsersTable, kUserRows, 1);
        for (const Address& name : Rows(kUsersTable, kUserRows, 2)) f.push_back(name);
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
                                       i, Std(CellText(grid, i)), eights);
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

void Tfm_DataTable::LinesTab(bool header, bool writing) {
  QTableWidget* grid = header ? sg_TitleChek : sg_CloseChek;
  QVector<bool>& marks = header ? headerMarks_ : footerMarks_;
  RunTab(
      groupTexts_,
      [&] { return writing ? WriteLines(grid, marks, header) : ReadLines(grid, marks, header); },
      &marks);
}

void Tfm_DataTable::bt_TitleChekOkClick() {
  LinesTab(true, true);
}
void Tfm_DataTable::bt_TitleChekRetryClick() {
  LinesTab(true, false);
}
void Tfm_DataTable::bt_CloseChekOkClick() {
  LinesTab(false, true);
}
void Tfm_DataTable::bt_CloseChekRetryClick() {
  LinesTab(false, false);
}

void Tfm_DataTable::RowsTab(const QList<QWidget*>& group, QVector<bool>& marks, uint8_t table,
                            bool writing) {
  RunTab(
      group,
      [&] {
        return TransferFields(
            writing, Rows(table, static_cast<int>(marks.size()), 1, writing ? &marks : nullptr));
      },
      &marks);
}

void Tfm_DataTable::bt_SekOkClick() {
  RowsTab(groupSections_, sectionMarks_, kSectionsTable, true);
}
void Tfm_DataTable::bt_SekRetryClick() {
  RowsTab(groupSections_, sectionMarks_, kSectionsTable, false);
}
void Tfm_DataTable::bt_NalogOkClick() {
  RowsTab(groupTaxes_, taxMarks_, kTaxesTable, true);
}
void Tfm_DataTable::bt_NalogRetryClick() {
  RowsTab(groupTaxes_, taxMarks_, kTaxesTable, false);
}

void Tfm_DataTable::bt_PrnOkClick() {
  RunTab(groupPrint_, [this] { return WriteFields(PrintFields()); });
}
void Tfm_DataTable::bt_PrnRetryClick() {
  RunTab(groupPrint_, [this] { return ReadFields(PrintFields()); });
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
  // Each row written is no longer marked, even when a later one fails.
  for (int r = 0; r < kAttributeRows; ++r) {
    if (!attrMarks_[r]) continue;
    if (!WriteFields({{kAttributesTable, static_cast<uint16_t>(r + 1), 1, true}})) return;
    attrMarks_[r] = false;
  }
}

void Tfm_DataTable::btnrefreshattrClick() {
  ReadFields(Rows(kAttributesTable, kAttributeRows, 1, nullptr, true));
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
  ShowFromMenu(nullptr);
  return true;
}

}  // namespace ptk::ui
