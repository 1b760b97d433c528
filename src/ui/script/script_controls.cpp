#include "ui/script/script_controls.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimeEdit>

#include "ui/controls/page_control.h"
#include "ui/controls/radio_group.h"

namespace ptk::ui {
namespace {

constexpr const char* kDateFormat = "dd.MM.yyyy";
constexpr const char* kTimeFormat = "HH:mm:ss";

QString OneLine(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
  text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
  text.replace(QLatin1Char('\r'), QLatin1String("\\n"));
  return text;
}

std::vector<std::pair<QString, QString>> Lines(const QStringList& lines) {
  std::vector<std::pair<QString, QString>> out;
  for (int i = 0; i < lines.size(); ++i) out.emplace_back(QStringLiteral("[%1]").arg(i), lines[i]);
  return out;
}

// A memo, plain or rich: the two text widgets scripts treat alike.
struct Memo {
  QPlainTextEdit* plain;
  QTextEdit* rich;
  explicit Memo(QWidget* control)
      : plain(qobject_cast<QPlainTextEdit*>(control)), rich(qobject_cast<QTextEdit*>(control)) {}
  explicit operator bool() const { return plain || rich; }
  QString Text() const { return plain ? plain->toPlainText() : rich->toPlainText(); }
  void SetText(const QString& text) const {
    plain ? plain->setPlainText(text) : rich->setPlainText(text);
  }
  void SelectAll() const { plain ? plain->selectAll() : rich->selectAll(); }
};

QStringList MemoLines(const QString& text) {
  if (text.isEmpty()) return {};
  return text.split(QLatin1Char('\n'));
}

// The page of a page control (or a stacked widget) by its object name; -1 when none.
template <class Pages>
int PageIndex(Pages* pages, const QString& name) {
  for (int i = 0; i < pages->count(); ++i)
    if (pages->widget(i)->objectName() == name) return i;
  return -1;
}

// A grid as scripts number it: the fixed header row is row 0 and the row headers are
// column 0, whether the grid draws them as header sections or as cells of its own (a
// grid that keeps them in cells says so with the properties "fixedRows" and
// "fixedColumns").
struct GridFrame {
  int headerRows = 0;     // drawn as header sections: cell [r,c] is item (r - 1, ...)
  int headerColumns = 0;  // likewise for the row headers
  int fixedRows = 0;      // rows counted from 0 that are fixed, header sections included
  int fixedColumns = 0;

  explicit GridFrame(const QTableWidget* grid) {
    headerRows = grid->horizontalHeader()->isHidden() ? 0 : 1;
    headerColumns = grid->verticalHeader()->isHidden() ? 0 : 1;
    fixedRows = headerRows + grid->property("fixedRows").toInt();
    fixedColumns = headerColumns + grid->property("fixedColumns").toInt();
  }

  QString Text(const QTableWidget* grid, int row, int column) const {
    // The corner: the text the grid draws there, if any.
    if (row < headerRows && column < headerColumns) return grid->property("cornerText").toString();
    const QTableWidgetItem* item = nullptr;
    if (row < headerRows) {
      item = grid->horizontalHeaderItem(column - headerColumns);
    } else if (column < headerColumns) {
      item = grid->verticalHeaderItem(row - headerRows);
    } else {
      item = grid->item(row - headerRows, column - headerColumns);
    }
    return OneLine(item ? item->text() : QString());
  }
};

std::optional<int> ToInt(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

QString Refused(const QString& value) {
  return QStringLiteral("элемент не принимает значение «%1»").arg(value);
}

}  // namespace

QString VisibleEnabled(bool visible, bool enabled) {
  return QString::fromLatin1(visible ? "visible" : "hidden") + QLatin1String(", ") +
         QString::fromLatin1(enabled ? "enabled" : "disabled");
}

QString ControlState(QWidget* control) {
  return VisibleEnabled(control->isVisible(), control->isEnabled()) +
         QLatin1String(control->hasFocus() ? ", focus" : ", nofocus");
}

std::vector<std::pair<QString, QString>> ControlContent(QWidget* control) {
  const auto one = [](const QString& text) {
    return std::vector<std::pair<QString, QString>>{{QString(), OneLine(text)}};
  };
  if (auto* group = qobject_cast<TRadioGroup*>(control))
    return one(QString::number(group->itemIndex()));
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return one(edit->text());
  if (auto* label = qobject_cast<QLabel*>(control)) return one(label->text());
  if (auto* combo = qobject_cast<QComboBox*>(control)) return one(combo->currentText());
  if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
    return one(QLatin1String(button->isChecked() ? "1" : "0"));
  if (auto* pages = qobject_cast<QTabWidget*>(control)) {
    return one(pages->currentWidget() ? pages->currentWidget()->objectName() : QString());
  }
  if (auto* pages = qobject_cast<QStackedWidget*>(control)) {
    return one(pages->currentWidget() ? pages->currentWidget()->objectName() : QString());
  }
  if (auto* pages = qobject_cast<TPageControl*>(control)) {
    return one(pages->currentWidget() ? pages->currentWidget()->objectName() : QString());
  }
  if (auto* date = qobject_cast<QDateEdit*>(control))
    return one(date->date().toString(QLatin1String(kDateFormat)));
  if (auto* time = qobject_cast<QTimeEdit*>(control))
    return one(time->time().toString(QLatin1String(kTimeFormat)));
  if (auto* spin = qobject_cast<QSpinBox*>(control)) return one(QString::number(spin->value()));
  if (auto* slider = qobject_cast<QAbstractSlider*>(control))
    return one(QString::number(slider->value()));
  if (auto* bar = qobject_cast<QProgressBar*>(control)) {
    return one(QStringLiteral("%1 / %2").arg(bar->value()).arg(bar->maximum()));
  }
  if (const Memo memo(control); memo) return Lines(MemoLines(memo.Text()));
  if (auto* list = qobject_cast<QListWidget*>(control)) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return Lines(items);
  }
  if (auto* grid = qobject_cast<QTableWidget*>(control)) {
    const GridFrame frame(grid);
    const std::pair<int, int> size = GridSize(grid);
    QStringList rows;
    for (int r = 0; r < size.first; ++r) {
      QStringList cells;
      for (int c = 0; c < size.second; ++c) cells << frame.Text(grid, r, c);
      rows << cells.join(QLatin1Char('\t'));
    }
    return Lines(rows);
  }
  return one(ControlState(control));
}

QString ControlKind(QWidget* control) {
  if (qobject_cast<QCheckBox*>(control)) return QStringLiteral("check");
  if (qobject_cast<QRadioButton*>(control)) return QStringLiteral("radio");
  if (qobject_cast<QAbstractButton*>(control)) return QStringLiteral("button");
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    return QLatin1String(combo->isEditable() ? "combo-edit " : "combo ") +
           QString::number(combo->count());
  }
  if (qobject_cast<QDateEdit*>(control)) return QStringLiteral("date");
  if (qobject_cast<QTimeEdit*>(control)) return QStringLiteral("time");
  if (qobject_cast<QAbstractSpinBox*>(control)) return QStringLiteral("updown");
  if (auto* edit = qobject_cast<QLineEdit*>(control))
    return QLatin1String(edit->isReadOnly() ? "label" : "edit");
  if (Memo(control)) return QStringLiteral("memo");
  if (auto* grid = qobject_cast<QTableWidget*>(control)) {
    const std::pair<int, int> size = GridSize(grid);
    return QStringLiteral("grid %1 %2").arg(size.first).arg(size.second);
  }
  if (qobject_cast<QListWidget*>(control)) return QStringLiteral("list");
  if (auto* group = qobject_cast<TRadioGroup*>(control))
    return QStringLiteral("group %1").arg(group->count());
  if (auto* pages = qobject_cast<TPageControl*>(control)) {
    QString kind = QStringLiteral("page");
    for (int i = 0; i < pages->count(); ++i) {
      if (QWidget* page = pages->widget(i); page && !page->objectName().isEmpty())
        kind += QLatin1Char(' ') + page->objectName();
    }
    return kind;
  }
  if (qobject_cast<QLabel*>(control)) return QStringLiteral("label");
  return {};
}

std::pair<int, int> GridSize(const QTableWidget* grid) {
  const GridFrame frame(grid);
  return {grid->rowCount() + frame.headerRows, grid->columnCount() + frame.headerColumns};
}

std::optional<std::pair<int, int>> GridItemCell(const QTableWidget* grid, int row, int column,
                                                QString* why) {
  const GridFrame frame(grid);
  const std::pair<int, int> size = GridSize(grid);
  if (row >= size.first || column >= size.second) {
    *why = QStringLiteral("нет ячейки [%1,%2]").arg(row).arg(column);
    return std::nullopt;
  }
  if (row < frame.fixedRows || column < frame.fixedColumns) {
    *why = QStringLiteral("ячейка [%1,%2] фиксированная").arg(row).arg(column);
    return std::nullopt;
  }
  return std::pair{row - frame.headerRows, column - frame.headerColumns};
}

std::pair<int, int> ScriptCell(const QTableWidget* grid, int itemRow, int itemColumn) {
  const GridFrame frame(grid);
  return {itemRow + frame.headerRows, itemColumn + frame.headerColumns};
}

std::optional<QString> ControlValue(QWidget* control) {
  if (auto* group = qobject_cast<TRadioGroup*>(control)) return QString::number(group->itemIndex());
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    // By its text, unless another item has the same text first.
    const QString text = combo->currentText();
    const int first = combo->findText(text, Qt::MatchExactly);
    if (first >= 0 && first != combo->currentIndex())
      return QStringLiteral("#%1").arg(combo->currentIndex());
    return text;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
    return QLatin1String(button->isChecked() ? "1" : "0");
  if (qobject_cast<QTabWidget*>(control) || qobject_cast<QStackedWidget*>(control) ||
      qobject_cast<TPageControl*>(control) || qobject_cast<QDateEdit*>(control) ||
      qobject_cast<QTimeEdit*>(control) || qobject_cast<QSpinBox*>(control) ||
      qobject_cast<QAbstractSlider*>(control))
    return ControlContent(control).front().second;
  if (auto* list = qobject_cast<QListWidget*>(control)) {
    const int row = list->currentRow();
    if (row < 0) return QString();  // nothing chosen yet
    const QString text = list->item(row)->text();
    const QList<QListWidgetItem*> same = list->findItems(text, Qt::MatchExactly);
    if (!same.isEmpty() && list->row(same.first()) != row) return QStringLiteral("#%1").arg(row);
    return text;
  }
  if (const Memo memo(control); memo)
    return memo.Text().replace(QLatin1Char('\n'), QLatin1String("\\n"));
  return std::nullopt;
}

QString SetControl(QWidget* control, const QString& value, int row, int column) {
  if (row >= 0) {
    auto* grid = qobject_cast<QTableWidget*>(control);
    if (!grid) return QStringLiteral("элемент не таблица");
    QString why;
    const std::optional<std::pair<int, int>> cell = GridItemCell(grid, row, column, &why);
    if (!cell) return why;
    if (QTableWidgetItem* item = grid->item(cell->first, cell->second)) {
      item->setText(value);
    } else {
      grid->setItem(cell->first, cell->second, new QTableWidgetItem(value));
    }
    return {};
  }
  if (auto* group = qobject_cast<TRadioGroup*>(control)) {
    const std::optional<int> index = ToInt(value);
    if (!index || *index < 0 || *index >= group->count()) return Refused(value);
    group->setItemIndex(*index);
    return {};
  }
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    int index = -1;
    if (value.startsWith(QLatin1Char('#'))) {
      index = ToInt(value.mid(1)).value_or(-1);
      if (index >= combo->count()) index = -1;
    } else {
      index = combo->findText(value, Qt::MatchExactly);
    }
    if (index < 0) {
      if (!combo->isEditable() || value.startsWith(QLatin1Char('#'))) return Refused(value);
      combo->setEditText(value);
      return {};
    }
    combo->setCurrentIndex(index);
    return {};
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable()) {
    if (value != QLatin1String("1") && value != QLatin1String("0")) return Refused(value);
    button->setChecked(value == QLatin1String("1"));
    return {};
  }
  if (auto* pages = qobject_cast<QTabWidget*>(control)) {
    const int index = PageIndex(pages, value);
    if (index < 0) return QStringLiteral("нет страницы %1").arg(value);
    pages->setCurrentIndex(index);
    return {};
  }
  if (auto* pages = qobject_cast<QStackedWidget*>(control)) {
    const int index = PageIndex(pages, value);
    if (index < 0) return QStringLiteral("нет страницы %1").arg(value);
    pages->setCurrentIndex(index);
    return {};
  }
  if (auto* pages = qobject_cast<TPageControl*>(control)) {
    const int index = PageIndex(pages, value);
    if (index < 0) return QStringLiteral("нет страницы %1").arg(value);
    pages->setCurrentIndex(index);
    return {};
  }
  if (auto* date = qobject_cast<QDateEdit*>(control)) {
    const QDate d = QDate::fromString(value, QLatin1String(kDateFormat));
    if (!d.isValid() || d < date->minimumDate() || d > date->maximumDate()) return Refused(value);
    date->setDate(d);
    return {};
  }
  if (auto* time = qobject_cast<QTimeEdit*>(control)) {
    const QTime t = QTime::fromString(value, QLatin1String(kTimeFormat));
    if (!t.isValid()) return Refused(value);
    time->setTime(t);
    return {};
  }
  if (auto* spin = qobject_cast<QSpinBox*>(control)) {
    const std::optional<int> number = ToInt(value);
    if (!number || *number < spin->minimum() || *number > spin->maximum()) return Refused(value);
    spin->setValue(*number);
    return {};
  }
  if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
    const std::optional<int> number = ToInt(value);
    if (!number || *number < slider->minimum() || *number > slider->maximum())
      return Refused(value);
    slider->setValue(*number);
    return {};
  }
  if (auto* list = qobject_cast<QListWidget*>(control)) {
    int row = -1;
    if (value.startsWith(QLatin1Char('#'))) {
      row = ToInt(value.mid(1)).value_or(-1);
      if (row >= list->count()) row = -1;
    } else {
      const QList<QListWidgetItem*> found = list->findItems(value, Qt::MatchExactly);
      if (!found.isEmpty()) row = list->row(found.first());
    }
    if (row < 0) return Refused(value);
    list->setCurrentRow(row);
    return {};
  }
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(value);
    return {};
  }
  if (const Memo memo(control); memo) {
    memo.SetText(QString(value).replace(QLatin1String("\\n"), QLatin1String("\n")));
    return {};
  }
  return QStringLiteral("элементу нельзя задать значение");
}

bool SelectAllText(QWidget* control) {
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->selectAll();
    return true;
  }
  if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit()) {
    combo->lineEdit()->selectAll();
    return true;
  }
  if (auto* spin = qobject_cast<QAbstractSpinBox*>(control)) {
    spin->selectAll();
    return true;
  }
  if (const Memo memo(control); memo) {
    memo.SelectAll();
    return true;
  }
  return false;
}

int KeyForCharacter(char32_t character) {
  if (character >= '0' && character <= '9') return Qt::Key_0 + static_cast<int>(character - '0');
  if (character == ' ') return Qt::Key_Space;
  // Letters report their capital; other printable characters their own code.
  const QString text = QString::fromUcs4(&character, 1);
  const QString upper = text.toUpper();
  return upper.size() == 1 ? upper.at(0).unicode() : static_cast<int>(character);
}

std::optional<QKeyCombination> ParseKeyName(const QString& name) {
  const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
  if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown) return std::nullopt;
  return sequence[0];
}

QString TextForKey(QKeyCombination key) {
  if (key.keyboardModifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return {};
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return QStringLiteral("\r");
    case Qt::Key_Escape:
      return QStringLiteral("\x1b");
    case Qt::Key_Tab:
      return QStringLiteral("\t");
    case Qt::Key_Backspace:
      return QStringLiteral("\b");
    case Qt::Key_Delete:
      return QStringLiteral("\x7f");
    case Qt::Key_Space:
      return QStringLiteral(" ");
    default:
      break;
  }
  const int code = static_cast<int>(key.key());
  if (code >= 0x21 && code <= 0x7E) {
    const QChar c(code);
    return (key.keyboardModifiers() & Qt::ShiftModifier) ? QString(c) : QString(c).toLower();
  }
  return {};
}

}  // namespace ptk::ui
