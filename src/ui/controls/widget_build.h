// Small builders every window uses: every widget gets its object name (scripts
// address controls by it), buttons their hint and no default-button behaviour.
#pragma once

#include <QDate>
#include <QHBoxLayout>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <initializer_list>

#include "ui/controls/number_edits.h"

namespace ptk::ui::build {

template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}

// A button with its caption and its hint (none when null).
inline QPushButton* Button(QWidget* parent, const char* name, const char* caption,
                           const char* hint = nullptr) {
  auto* b = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
  b->setToolTip(QString::fromUtf8(hint));
  b->setAutoDefault(false);
  return b;
}

// A row of buttons at its right end.
inline QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* b : buttons) row->addWidget(b);
  return row;
}

inline TEditNum* Number(QWidget* parent, const char* name, int maxLength) {
  auto* e = Named(new TEditNum(parent), name);
  e->setMaxLength(maxLength);
  return e;
}

// Today as the date pickers take it: written "dd.mm.yy" and read back, in this century.
inline QDate Today() {
  return QDate::fromString(QDate::currentDate().toString(QStringLiteral("dd.MM.yy")),
                           QStringLiteral("dd.MM.yy"))
      .addYears(100);
}

}  // namespace ptk::ui::build
