#include "core/reports/register_manager.h"

#include <vector>

namespace ptk {

namespace {

constexpr std::array<std::string_view, kManagerRows - 1> kDescriptions = {
    " 1. Сумма регистраций продаж",
    " 1. Сумма регистраций возвр. продаж",
    " 1. Сумма регистраций аннул. продаж",
    " 1. Сумма регистраций покупок",
    " 1. Сумма регистраций возвр. покупок",
    " 1. Сумма регистраций аннул. покупок",
    " 2. Сумма сторно продаж",
    " 2. Сумма сторно возвр. продаж",
    " 2. Сумма сторно аннул. продаж",
    " 2. Сумма сторно покупок",
    " 2. Сумма сторно возвр. покупок",
    " 2. Сумма сторно аннул. покупок",
    " 3. Сумма платежей продаж (тип опл.1)",
    " 3. Сумма платежей продаж (тип опл.2)",
    " 3. Сумма платежей продаж (тип опл.3)",
    " 3. Сумма платежей продаж (тип опл.4)",
    " 3. Сумма платежей возвр. продаж (тип опл. 1)",
    " 3. Сумма платежей возвр. продаж (тип опл. 2)",
    " 3. Сумма платежей возвр. продаж (тип опл. 3)",
    " 3. Сумма платежей возвр. продаж (тип опл. 4)",
    " 3. Сумма платежей аннул. продаж (тип опл. 1)",
    " 3. Сумма платежей аннул. продаж (тип опл. 2)",
    " 3. Сумма платежей аннул. продаж (тип опл. 3)",
    " 3. Сумма платежей аннул. продаж (тип опл. 4)",
    " 3. Сумма платежей покупок (тип опл. 1)",
    " 3. Сумма платежей покупок (тип опл. 2)",
    " 3. Сумма платежей покупок (тип опл. 3)",
    " 3. Сумма платежей покупок (тип опл. 4)",
    " 3. Сумма платежей возвр. покупок (тип опл. 1)",
    " 3. Сумма платежей возвр. покупок (тип опл. 2)",
    " 3. Сумма платежей возвр. покупок (тип опл. 3)",
    " 3. Сумма платежей возвр. покупок (тип опл. 4)",
    " 3. Сумма платежей аннул. покупок (тип опл. 1)",
    " 3. Сумма платежей аннул. покупок (тип опл. 2)",
    " 3. Сумма платежей аннул. покупок (тип опл. 3)",
    " 3. Сумма платежей аннул. покупок (тип опл. 4)",
    " 4. Сумма внесений",
    " 5. Сумма выплат",
    " 6. Кол-во регистраций продаж",
    " 6. Кол-во регистраций возвр. продаж",
    " 6. Кол-во регистраций аннул. продаж",
    " 6. Кол-во регистраций покупок",
    " 6. Кол-во регистраций возвр. покупок",
    " 6. Кол-во регистраций аннул. покупок",
    " 7. Кол-во сторно продаж",
    " 7. Кол-во сторно возвр. продаж",
    " 7. Кол-во сторно аннул. продаж",
    " 7. Кол-во сторно покупок",
    " 7. Кол-во сторно возвр. покупок",
    " 7. Кол-во сторно аннул. покупок",
    " 8. Кол-во внесений",
    " 9. Кол-во выплат",
    "10. Наличность в кассе",
    "11. Выручка",
    "12. Сменный итог по продажам",
    "12. Сменный итог по покупкам",
    "13. Необнул. сумма ФП по всем продажам",
    "13. Необнул. сумма ФП по всем покупкам",
    "14. Необнул. сумма послед. перерег по продажам",
    "14. Необнул. сумма послед. перерег по покупкам",
    "15. Кол-во оставшихся перерегистраций",
    "16. Кол-во оставшихся сменных записей в ФП",
    "17. Текущая дата",
    "17. Текущее время",
    "18. Смена открыта",
    "18. Дата закрытия смены",
    "18. Время закрытия смены",
    "19. Режим работы",
    "19. Состояние чека",
    "19. Номер чека",
    "19. Номер документа",
    "20. Сумма чека",
    "20. Остаток чека",
    "20. Сдача чека",
    "21. Номер последней закрытой смены",
    "22. Заводской номер",
    "23. Зарезервировано",
    "24. Ширина текстовой строки в символах",
    "24. Ширина графической линии в пикселях",
    "25. Максимальное кол-во передаваемых байт",
    "26. Номер текущей активизации ЭКЛЗ",
    "26. Кол-во оставшихся активизаций ЭКЛЗ",
    "27. ИНН",
    "27. РНМ",
    "27. Начальная смена",
    "27. Дата фискализации/перерегистрации",
    "28. Номер ЭКЛЗ",
    "28. Дата активизации ЭКЛЗ",
    "28. Смена активизации ЭКЛЗ",
};

constexpr int kReceiptTypes = 6;
constexpr int kPaymentTypes = 4;

std::vector<ManagerCommand> BuildCommands() {
  std::vector<ManagerCommand> out;
  auto add = [&out](int number, int p1, int p2, int row) {
    out.push_back(
        {{static_cast<uint8_t>(number), static_cast<uint8_t>(p1), static_cast<uint8_t>(p2)},
         static_cast<uint8_t>(row)});
  };
  // Sums of registrations and stornos by receipt type (rows 1..12).
  for (int number : {1, 2})
    for (int type = 1; type <= kReceiptTypes; ++type)
      add(number, type, 0, (number - 1) * kReceiptTypes + type);
  // Payments by receipt type, the payment type varying fastest (rows 13..36).
  for (int type = 1; type <= kReceiptTypes; ++type)
    for (int pay = 1; pay <= kPaymentTypes; ++pay)
      add(3, type, pay, 12 + (type - 1) * kPaymentTypes + pay);
  add(4, 0, 0, 37);
  add(5, 0, 0, 38);
  // Counts of registrations and stornos (rows 39..50).
  for (int number : {6, 7})
    for (int type = 1; type <= kReceiptTypes; ++type)
      add(number, type, 0, 38 + (number - 6) * kReceiptTypes + type);
  add(8, 0, 0, 51);
  add(9, 0, 0, 52);
  add(16, 0, 0, 62);
  add(21, 0, 0, 75);
  add(25, 0, 0, 80);
  add(10, 0, 0, 53);
  add(11, 0, 0, 54);
  // Shift totals and non-resettable sums, sales then purchases (rows 55..60).
  for (int number : {12, 13, 14})
    for (int total : {0, 1}) add(number, total, 0, 55 + (number - 12) * 2 + total);
  add(15, 0, 0, 61);
  add(17, 0, 0, 63);
  add(18, 0, 0, 65);
  add(19, 0, 0, 68);
  add(20, 0, 0, 72);
  add(22, 0, 0, 76);
  add(24, 0, 0, 78);
  add(26, 0, 0, 81);
  add(27, 0, 0, 83);
  add(28, 0, 0, 87);
  return out;
}

const std::vector<ManagerCommand>& Commands() {
  static const std::vector<ManagerCommand> commands = BuildCommands();
  return commands;
}

}  // namespace

std::span<const ManagerCommand> ManagerCommands() {
  return Commands();
}

std::span<const std::string_view> RegisterDescriptions() {
  return kDescriptions;
}

void FillRegisterDescriptions(RegisterGrid& grid) {
  grid.At(0, kManagerDescriptionColumn) = std::string(kManagerHeaderDescription);
  grid.At(0, kManagerValueColumn) = std::string(kManagerHeaderValue);
  for (int row = 1; row < kManagerRows; ++row)
    grid.At(row, kManagerDescriptionColumn) = std::string(kDescriptions[row - 1]);
}

int ReadAllRegisters(Link& link, UserAbort& abort, RegisterGrid& grid, const RegisterStepFn& step) {
  link.ui().SetResult("");
  for (const ManagerCommand& c : Commands()) {
    const int status = ReadRegister(link, abort, c.request, step);
    const size_t cells = RegisterCellCount(c.request.number);
    if (status == kExchangeOk) {
      const std::vector<std::string> values =
          RegisterCellValues(c.request.number, link.AnswerBuffer, link.AnswerLength);
      for (size_t i = 0; i < values.size(); ++i)
        grid.At(c.firstRow + static_cast<int>(i), kManagerValueColumn) = values[i];
    } else if (status == kExchangeDeviceError) {
      // The register refused this one: its cells say why, and the run goes on.
      const std::string refusal = link.ui().Result();
      for (size_t i = 0; i < cells; ++i)
        grid.At(c.firstRow + static_cast<int>(i), kManagerValueColumn) = refusal;
    } else {
      return 0;
    }
    if (c.request.number == 22) grid.At(kManagerReservedRow, kManagerValueColumn).clear();
  }
  return 1;
}

int RunRegisterManager(Link& link, UserAbort& abort, RegisterGrid& grid,
                       const RegisterStepFn& step) {
  abort.running = RunningOperation::RegisterRead;
  abort.stopRequested = false;
  FillRegisterDescriptions(grid);
  if (step) step();
  return ReadAllRegisters(link, abort, grid, step);
}

}  // namespace ptk
