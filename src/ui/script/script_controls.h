// What a scripted run does to one control and reads from it, by the kind of control:
// its content as `show` prints it, its state, setting it as pasting or a mouse choice
// would, selecting its text before typing, and the keys a person presses.
#pragma once

#include <QKeyCombination>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class QTableWidget;
class QWidget;

namespace ptk::ui {

// The lines `show` prints for a control: the suffix after its name ("" or "[i]") and the
// text. A memo, list or grid gives one line per line, item or row (none when empty).
std::vector<std::pair<QString, QString>> ControlContent(QWidget* control);

// "visible|hidden, enabled|disabled, focus|nofocus", as a person sees the control.
QString ControlState(QWidget* control);
// "visible|hidden, enabled|disabled".
QString VisibleEnabled(bool visible, bool enabled);

// What `list` says a control is: "button", "check", "radio", "label", "edit", "memo",
// "date", "time", "updown", "list", "combo N" or "combo-edit N", "group N", "grid ROWS
// COLUMNS", "page PAGE ..."; empty for a frame or panel, which has nothing of its own to do.
QString ControlKind(QWidget* control);

// A grid's rows and columns as scripts count them: the fixed header row and the row
// headers included, whether the grid draws them as header sections or as cells.
std::pair<int, int> GridSize(const QTableWidget* grid);

// A grid cell as scripts count it to the grid's own item row and column; nullopt with *why
// when there is no such cell or it is fixed.
std::optional<std::pair<int, int>> GridItemCell(const QTableWidget* grid, int row, int column,
                                                QString* why);
// The grid item's cell as scripts count it.
std::pair<int, int> ScriptCell(const QTableWidget* grid, int itemRow, int itemColumn);

// What `set` takes to choose the control's present value: a combo box's or list's item
// text (`#index` when an earlier item has the same text), a radio group's index, a page's
// name, a date, a time, a number, 1/0, a memo's lines joined by \n. nullopt for a control
// that is not chosen but typed into, clicked or set cell by cell.
std::optional<QString> ControlValue(QWidget* control);

// Sets the control to value (a grid cell as scripts count it, when row >= 0; a fixed
// cell is refused). Empty on success, else why the control cannot take the value.
QString SetControl(QWidget* control, const QString& value, int row, int column);

// Selects the whole text of an editable control; false when it has no text to type into.
bool SelectAllText(QWidget* control);

// The key a typed character comes from.
int KeyForCharacter(char32_t character);
// A key name ("Return", "F5", "Ctrl+L"); nullopt when it names no single key.
std::optional<QKeyCombination> ParseKeyName(const QString& name);
// The text a key produces ("\r" for Return, "" for the arrows).
QString TextForKey(QKeyCombination key);

}  // namespace ptk::ui
