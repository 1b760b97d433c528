// Small builders the report windows share: every widget gets its object name (scripts
// address controls by it), buttons their hint and no default-button behaviour.
#pragma once

#include <QDate>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "ui/controls/number_edits.h"

namespace ptk::ui::build {

template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}

inline QPushButton* Button(QWidget* parent, const char* name, const char* caption,
                           const char* hint) {
  auto* b = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
  b->setToolTip(QString::fromUtf8(hint));
  b->setAutoDefault(false);
  return b;
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
