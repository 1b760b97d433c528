// A page control with button-style tabs in several rows: a row of checkable buttons per
// few pages above the pages themselves, one page shown at a time. Each page is a widget
// named by its object name; its tab button is named "tab_" followed by it.
#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;
class QStackedWidget;

namespace ptk::ui {

class TPageControl : public QWidget {
  Q_OBJECT
 public:
  // tabsPerRow: how many tab buttons stand in one row.
  TPageControl(const char* name, int tabsPerRow, QWidget* parent = nullptr);

  // Adds the page with its tab caption; returns its index.
  int addPage(QWidget* page, const QString& caption);
  int count() const;
  QWidget* widget(int index) const;
  int currentIndex() const;
  QWidget* currentWidget() const;
  void setCurrentIndex(int index);
  void setCurrentWidget(QWidget* page);
  QAbstractButton* tab(int index) const;

 signals:
  // Another page was made active, by its tab or by the program (the control's OnChange).
  void currentChanged(int index);

 private:
  int tabsPerRow_;
  QGridLayout* tabs_;
  QButtonGroup* group_;
  QStackedWidget* pages_;
};

}  // namespace ptk::ui
