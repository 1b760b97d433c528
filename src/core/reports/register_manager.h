// The register manager: every register with every receipt, payment and total type read in
// one run into a grid of two columns, a fixed description and the value read. The window
// only shows the grid; the run, its order and what each outcome writes are here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/link/frame_exchange.h"
#include "core/reports/registers.h"
#include "core/shell/user_abort.h"

namespace ptk {

// Row 0 is the header, column 0 the descriptions (rows 1..89), column 1 the values.
inline constexpr int kManagerRows = 90;
inline constexpr int kManagerColumns = 2;
inline constexpr int kManagerDescriptionColumn = 0;
inline constexpr int kManagerValueColumn = 1;
// The row of the reserved register 23: emptied in the run, never read.
inline constexpr int kManagerReservedRow = 77;
inline constexpr int kManagerCommandCount = 73;

inline constexpr std::string_view kManagerHeaderDescription =
    "                        ОПИСАНИЕ РЕГИСТРА";
inline constexpr std::string_view kManagerHeaderValue = "         ЗНАЧЕНИЕ РЕГИСТРА";

// The process window during the run: its caption and the gauge's maximum (the run itself
// takes 1 + 73 steps; the window sets the gauge to the maximum when it ends).
inline constexpr std::string_view kTextReadingRegisters = "Идет считывание регистров.";
inline constexpr int kManagerGaugeMax = 78;

// The grid's cells, [row][column], UTF-8. It keeps its contents between runs: a run that
// ends early leaves the cells it did not reach as they were.
struct RegisterGrid {
  std::array<std::array<std::string, kManagerColumns>, kManagerRows> cells{};
  std::string& At(int row, int column) {
    return cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
  }
  const std::string& At(int row, int column) const {
    return cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
  }
};

// One read of the run and the first grid row its values go to (one row per value, down).
struct ManagerCommand {
  RegisterRequest request;
  uint8_t firstRow = 0;
};

// The 73 reads in their fixed order.
std::span<const ManagerCommand> ManagerCommands();
// The descriptions of rows 1..89 (index row - 1).
std::span<const std::string_view> RegisterDescriptions();

// Writes row 0 and column 0.
void FillRegisterDescriptions(RegisterGrid& grid);

// Clears the result line, then reads the 73 registers in order (each read steps the
// gauge once). Status 1 writes the command's values; status 4 (the register refused:
// the result line holds the refusal's text) writes that text into each of the command's
// cells and the run goes on; any other status (a link failure, a stop) ends the run at
// once. Row 77 is emptied after register 22. Returns 1 when all reads were done, else 0.
int ReadAllRegisters(Link& link, UserAbort& abort, RegisterGrid& grid,
                     const RegisterStepFn& step = {});

// The whole run behind "Менеджер регистров", between the window showing the process
// window (kTextReadingRegisters, gauge 0 of kManagerGaugeMax) and closing it: the running
// operation becomes the register reading and the stop request is cleared; the
// descriptions are written; one step; then ReadAllRegisters. Returns its result: on 1 the
// window shows the manager, on 0 it enables the register window again.
int RunRegisterManager(Link& link, UserAbort& abort, RegisterGrid& grid,
                       const RegisterStepFn& step = {});

}  // namespace ptk
