// Measures whether the texts of a window fit the room their controls give them: every
// visible label, button, check box, radio button, group title, tab, grid header and grid
// cell, its text's width by its font's metrics against the width the control (as the
// style lays it out) leaves for the text. A control cut by the edge of its parent counts
// as well.
#pragma once

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QWidget>
#include <algorithm>

namespace ptk::test {

// One text that does not fit.
struct Cut {
  QString control;  // object name, or the nearest named ancestor's with the class
  QString text;
  int needs;  // the text's width in pixels
  int has;    // the room for it
};

inline QString ControlName(const QWidget* w) {
  if (!w->objectName().isEmpty()) return w->objectName();
  const QWidget* named = w->parentWidget();
  while (named && named->objectName().isEmpty()) named = named->parentWidget();
  return (named ? named->objectName() + QLatin1Char('/') : QString()) +
         QString::fromLatin1(w->metaObject()->className());
}

// The widest line of the text (a mnemonic's '&' does not count).
inline int TextWidth(const QFontMetrics& fm, QString text, bool mnemonic = false) {
  if (mnemonic)
    text.replace(QLatin1String("&&"), QLatin1String("\x01")).remove('&').replace('\x01', '&');
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n')))
    widest = std::max(widest, fm.horizontalAdvance(line));
  return widest;
}

// Inside a scrolled view the content may lie beyond the visible part by design.
inline bool InScrolledView(const QWidget* w, const QWidget* window) {
  for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
    if (qobject_cast<const QAbstractScrollArea*>(p)) return true;
  }
  return false;
}

inline void MeasureGrid(const QTableView* grid, QList<Cut>& cuts) {
  const QAbstractItemModel* model = grid->model();
  if (!model) return;
  QStyle* style = grid->style();
  const QString name = ControlName(grid);
  // Header sections: text plus the header's margins on both sides.
  const int headerMargin = style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid);
  const auto header = [&](const QHeaderView* h, Qt::Orientation o, int count) {
    if (h->isHidden()) return;
    const QFontMetrics fm(h->font());
    for (int i = 0; i < count; ++i) {
      if (h->isSectionHidden(i)) continue;
      const QString text = model->headerData(i, o, Qt::DisplayRole).toString();
      if (text.isEmpty()) continue;
      const int needs = TextWidth(fm, text);
      const int has = (o == Qt::Horizontal ? h->sectionSize(i) : h->width()) - 2 * headerMargin;
      if (needs > has) cuts.append({name + QStringLiteral(" header"), text, needs, has});
    }
  };
  header(grid->horizontalHeader(), Qt::Horizontal, model->columnCount());
  header(grid->verticalHeader(), Qt::Vertical, model->rowCount());
  // Cells: the item view's text margin on both sides.
  const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
  const QFontMetrics fm(grid->font());
  for (int c = 0; c < model->columnCount(); ++c) {
    if (grid->isColumnHidden(c)) continue;
    const int has = grid->columnWidth(c) - 2 * textMargin;
    for (int r = 0; r < model->rowCount(); ++r) {
      if (grid->isRowHidden(r)) continue;
      const QString text = model->index(r, c).data(Qt::DisplayRole).toString();
      if (text.isEmpty()) continue;
      const int needs = TextWidth(fm, text);
      if (needs > has) {
        cuts.append({QStringLiteral("%1[%2,%3]").arg(name).arg(r).arg(c), text, needs, has});
      }
    }
  }
}

inline QList<Cut> MeasureWindow(QWidget* window) {
  QList<Cut> cuts;
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  for (QWidget* w : widgets) {
    if (!w->isVisible() || w->window() != window) continue;
    QStyle* style = w->style();
    const QFontMetrics fm(w->font());
    const QString name = ControlName(w);
    bool checked = true;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (label->text().isEmpty() || Qt::mightBeRichText(label->text())) continue;
      const int has = label->contentsRect().width() - 2 * label->margin();
      if (label->wordWrap()) {
        if (label->heightForWidth(label->width()) > label->height())
          cuts.append({name + QStringLiteral(" (lines)"), label->text(),
                       label->heightForWidth(label->width()), label->height()});
      } else {
        const int needs = TextWidth(fm, label->text(), label->buddy() != nullptr);
        if (needs > has) cuts.append({name, label->text(), needs, has});
      }
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      if (button->text().isEmpty()) continue;
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = button->text();
      QStyle::SubElement element = QStyle::SE_PushButtonContents;
      if (qobject_cast<QCheckBox*>(button)) element = QStyle::SE_CheckBoxContents;
      if (qobject_cast<QRadioButton*>(button)) element = QStyle::SE_RadioButtonContents;
      const QRect room = style->subElementRect(element, &option, button);
      // A push button centres its caption: the blanks around it may be cut, not the text.
      const bool centred = element == QStyle::SE_PushButtonContents;
      const QString text = centred ? button->text().trimmed() : button->text();
      const int needs = TextWidth(fm, text, true);
      if (needs > room.width()) cuts.append({name, button->text(), needs, room.width()});
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
      if (box->title().isEmpty()) continue;
      QStyleOptionGroupBox option;
      option.initFrom(box);
      option.text = box->title();
      option.subControls = QStyle::SC_GroupBoxLabel;
      const QRect label =
          style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
      // The style sizes the title's room by the text in the font it draws it in (bold in
      // some styles); what matters is whether the box is as wide as that room.
      const int needs = label.width();
      const int has = std::min(label.right(), box->width() - 1) - label.left() + 1;
      if (needs > has) cuts.append({name, box->title(), needs, has});
    } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < bar->count(); ++i) {
        if (!bar->isTabVisible(i)) continue;
        const QRect tab = bar->tabRect(i);
        const int hspace = style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar) / 2;
        const int needs = TextWidth(bar->fontMetrics(), bar->tabText(i), true);
        // The part of the tab a person sees: a tab behind the scroll arrows shows nothing.
        QRect area = bar->rect();
        for (const QWidget* arrow : bar->findChildren<QWidget*>()) {
          if (!arrow->isVisible()) continue;
          if (arrow->x() > bar->width() / 2) {
            area.setRight(std::min(area.right(), arrow->x() - 1));
          } else {
            area.setLeft(std::max(area.left(), arrow->geometry().right() + 1));
          }
        }
        const int has = tab.intersected(area).width() - hspace;
        if (needs > has) cuts.append({name + QStringLiteral(" tab"), bar->tabText(i), needs, has});
      }
    } else if (auto* grid = qobject_cast<QTableView*>(w)) {
      MeasureGrid(grid, cuts);
    } else {
      checked = false;
    }
    // A control that reaches beyond the edge of its parent (or the window) is cut.
    if (checked && !InScrolledView(w, window)) {
      const QRect seen = w->visibleRegion().boundingRect();
      if (seen.width() < w->width())
        cuts.append(
            {name + QStringLiteral(" (cut by its parent)"), QString(), w->width(), seen.width()});
    }
  }
  return cuts;
}

}  // namespace ptk::test
