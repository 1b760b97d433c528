#include "emulator/table_store.h"

#include <algorithm>
#include <cstdio>

#include "core/link/direct_command.h"
#include "core/link/encoding.h"
#include "core/programming/line_format.h"

namespace ptk::emu {

namespace {

namespace sf = settings_field;

// Table 2 row 1, field by field.
struct Setting {
  uint8_t field;
  uint8_t value;
};
constexpr Setting kSettings[] = {
    {sf::kPaymentType2, 1},       {sf::kPaymentType3, 1},
    {sf::kPaymentType4, 1},       {sf::kDoubleImageHeight, 0},
    {sf::kHeaderSpacing, 0},      {sf::kTaxType, 2},
    {sf::kPrintSectionName, 1},   {sf::kBrightness, 5},
    {sf::kOpenDrawer, 1},         {sf::kClearCashSum, 0},
    {sf::kCutReceipt, 1},         {sf::kTotalFontHeight, 0},
    {sf::kPrintCashierNames, 1},  {sf::kClearReceiptCounter, 0},
    {sf::kPrintSaleTitle, 1},     {sf::kFont, 1},
    {sf::kPaperWidth, 0},         {sf::kCustomerDisplay, 0},
    {sf::kPrintBuffer, 1},        {sf::kPrintOnShiftOpen, 0},
    {sf::kDelayClosing, 0},       {sf::kPrintCardNumber, 1},
    {sf::kPrintStringCommand, 0},
};

// Centred on the tape's 42 columns, as a register's owner would enter them.
constexpr const char* kHeader[] = {"             ВИРТУАЛЬНЫЙ ПТК",
                                   "          ТЕСТОВАЯ ТОЧКА ПРОДАЖ"};
constexpr const char* kFooter[] = {"           СПАСИБО ЗА ПОКУПКУ!"};
constexpr const char* kAttributes[] = {"ИНН ПОКУПАТЕЛЯ", "НАИМЕНОВАНИЕ ПОКУПАТЕЛЯ",
                                       "НОМЕР ДОГОВОРА", "НОМЕР ЗАКАЗА",
                                       "АДРЕС ДОСТАВКИ", "ТЕЛЕФОН"};

std::vector<uint8_t> Oem(const char* text, size_t width = 0) {
  std::vector<uint8_t> bytes = Utf8ToCp866(text);
  if (width != 0) bytes.resize(width, 0x00);
  return bytes;
}

}  // namespace

std::vector<uint8_t> TableStore::Get(FieldAddress a) const {
  auto it = values_.find(a);
  return it == values_.end() ? std::vector<uint8_t>{} : it->second;
}

const ModelCapabilities& RegisterCapabilities(uint16_t model) {
  return CapabilitiesForModel(model);
}

void LoadDefaultTables(TableStore& tables, uint16_t model) {
  const ModelCapabilities& caps = RegisterCapabilities(model);
  tables.Clear();
  tables.Set(kHallNumberField, {0x01});
  tables.Set(kCommPasswordField, PackBcd("7391"));
  for (const Setting& s : kSettings) tables.Set({kSettingsTable, 1, s.field}, {s.value});

  for (int row = 1; row <= kSystemAdministratorRow; ++row) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08d", row);
    const auto r = static_cast<uint16_t>(row);
    tables.Set({kUsersTable, r, kUserPasswordField}, PackBcd(digits));
    std::string name;
    if (row == kAdministratorRow) {
      name = "АДМИНИСТРАТОР";
    } else if (row == kSystemAdministratorRow) {
      name = "СИС. АДМИНИСТРАТОР";
    } else {
      name = "КАССИР " + std::to_string(row);
    }
    tables.Set({kUsersTable, r, kUserNameField}, EncodeClassicText(name));
  }
  tables.Set({kDiscountsTable, 1, 1}, {0x03});
  tables.Set({kDiscountsTable, 2, 1}, {0x03});
  for (int i = 0; i < kHeaderLines; ++i) {
    const auto row = static_cast<uint16_t>(kHeaderFirstRow + i);
    tables.Set({kReceiptTextTable, row, 1}, i < 2 ? Oem(kHeader[i]) : std::vector<uint8_t>{0});
  }
  for (int i = 0; i < kFooterLines; ++i) {
    const auto row = static_cast<uint16_t>(kFooterFirstRow + i);
    tables.Set({kReceiptTextTable, row, 1}, i < 1 ? Oem(kFooter[i]) : std::vector<uint8_t>{0});
  }
  for (int row = 1; row <= kSectionRows; ++row) {
    tables.Set({kSectionsTable, static_cast<uint16_t>(row), 1},
               EncodeClassicText("СЕКЦИЯ " + std::to_string(row)));
  }
  for (int row = 1; row <= kTaxRows; ++row) {
    const std::vector<uint8_t> rate =
        row == 1 ? std::vector<uint8_t>{0x18, 0x00}
                 : (row == 2 ? std::vector<uint8_t>{0x10, 0x00} : std::vector<uint8_t>{0, 0});
    tables.Set({kTaxesTable, static_cast<uint16_t>(row), 1}, rate);
  }
  for (int row = 1; row <= kAttributeRows; ++row) {
    const std::string name = row <= static_cast<int>(std::size(kAttributes))
                                 ? kAttributes[row - 1]
                                 : "РЕКВИЗИТ " + std::to_string(row);
    tables.Set({kAttributesTable, static_cast<uint16_t>(row), 1},
               Oem(name.c_str(), kAttributeNameWidth));
  }

  // The model's optional fields and tables exist only on the models that have them.
  TableStore kept;
  for (const auto& [a, value] : tables.all()) {
    const CatalogueField* f = FindCatalogueField(a.table, a.row, a.field);
    if (f != nullptr && FieldPresent(*f, caps)) kept.Set(a, value);
  }
  tables = std::move(kept);
}

std::string ReceiptTextForTape(std::span<const uint8_t> bytes) {
  std::string text;
  std::vector<uint8_t> run;
  auto flush = [&] {
    text += Cp866ToUtf8(run);
    run.clear();
  };
  for (size_t i = 0; i < bytes.size() && bytes[i] != 0; ++i) {
    if (bytes[i] == kLineTabByte) continue;  // the byte after it prints as itself
    if (bytes[i] == kLinePictureByte) {
      if (i + 3 >= bytes.size()) break;
      flush();
      text += "[картинка " + std::to_string(bytes[i + 1]) + ", смещение " +
              std::to_string((bytes[i + 2] << 8) | bytes[i + 3]) + "]";
      i += 3;
      continue;
    }
    run.push_back(bytes[i]);
  }
  flush();
  return text;
}

std::vector<std::string> ReceiptTextLines(const TableStore& tables, uint16_t first, uint16_t last) {
  std::vector<std::string> lines;
  for (uint16_t row = first; row <= last; ++row) {
    std::string line = ReceiptTextForTape(tables.Get({kReceiptTextTable, row, 1}));
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace ptk::emu
