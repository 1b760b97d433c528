// "Работа с таблицами": the register's programmable settings on eight tabs, read all at
// once when the window opens and then read ("Считать") and written ("Применить") tab by
// tab, while the register is in programming mode.
#pragma once

#include <QVector>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "core/link/direct_command.h"
#include "ui/base/form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace ptk::ui {

class TEditNum;
class TRadioGroup;

class Tfm_DataTable : public TForm {
  Q_OBJECT
 public:
  explicit Tfm_DataTable(AppContext& context);

  // Reads every table in the fixed order with the progress window over owner (the
  // programming window, disabled meanwhile); shows the window on success. False when a
  // read failed or was stopped (the owner is enabled again then).
  bool ReadAllTables(QWidget* owner);

  void bt_TypeRegOkClick();
  void bt_TypeRegRetryClick();
  void bt_PassOkClick();
  void bt_PassRetryClick();
  void bt_SkidOkClick();
  void bt_SkidRetryClick();
  void bt_NadbOkClick();
  void bt_NadbRetryClick();
  void bt_TitleChekOkClick();
  void bt_TitleChekRetryClick();
  void bt_CloseChekOkClick();
  void bt_CloseChekRetryClick();
  void bt_SekOkClick();
  void bt_SekRetryClick();
  void bt_NalogOkClick();
  void bt_NalogRetryClick();
  void bt_PrnOkClick();
  void bt_PrnRetryClick();
  void btnapplyattrClick();
  void btnrefreshattrClick();

  QTabWidget* pg_DataTable;
  QLineEdit* ed_Process;
  QPushButton* bt_Close;

  // ТИП И РЕЖИМЫ
  QWidget* tsch_TypeRegim;
  TEditNum* edn_NumKKM;
  QCheckBox* cb_TypeOpl2;
  QCheckBox* cb_TypeOpl3;
  QCheckBox* cb_TypeOpl4;
  QRadioButton* rb_TypeNalog[5];
  QCheckBox* cb_OpenBox;
  QCheckBox* cb_ChChekNull;
  QCheckBox* cb_TimeGash;
  QCheckBox* cb_ClearSum;
  QCheckBox* cusepoledisplay;
  QPushButton* bt_TypeRegOk;
  QPushButton* bt_TypeRegRetry;
  // ПАРОЛИ
  QWidget* tsch_Password;
  QTableWidget* sg_Pass;
  QLineEdit* ecommpwd;
  QPushButton* bt_PassOk;
  QPushButton* bt_PassRetry;
  // СКИДКИ / НАДБАВКИ
  QWidget* tsch_SkidNadb;
  TRadioGroup* rg_Skid;
  TRadioGroup* rg_Nadb;
  QPushButton* bt_SkidOk;
  QPushButton* bt_SkidRetry;
  QPushButton* bt_NadbOk;
  QPushButton* bt_NadbRetry;
  // ТЕКСТ В ЧЕКЕ
  QWidget* tsch_TextChek;
  QTableWidget* sg_TitleChek;
  QTableWidget* sg_CloseChek;
  QSpinBox* eimghdridx;
  QSpinBox* eimghdroffset;
  QPushButton* btnimghdrpaste;
  QSpinBox* eimgftridx;
  QSpinBox* eimgftroffset;
  QPushButton* btnimgftrpaste;
  QPushButton* bt_TitleChekOk;
  QPushButton* bt_TitleChekRetry;
  QPushButton* bt_CloseChekOk;
  QPushButton* bt_CloseChekRetry;
  // СЕКЦИИ
  QWidget* tsch_Sek;
  QTableWidget* sg_Sek;
  QPushButton* bt_SekOk;
  QPushButton* bt_SekRetry;
  // НАЛОГИ
  QWidget* tsch_Nalog;
  QTableWidget* sg_Nalog;
  QPushButton* bt_NalogOk;
  QPushButton* bt_NalogRetry;
  // ПЕЧАТЬ
  QWidget* tsch_Prn;
  QCheckBox* cb_PrnNameSek;
  QCheckBox* cb_PrnNameKassir;
  QCheckBox* cb_PrnNameChek;
  QCheckBox* cb_OtrChek;
  QCheckBox* cb_PrnStr;
  QCheckBox* cb_PrnNumPlKart;
  QCheckBox* cb_PrnCh;
  QLabel* lfont;
  QComboBox* combofont;
  QSlider* tb_Intensiv;
  QComboBox* cb_HeightFont;
  QComboBox* cbpaperwidth;
  QCheckBox* cdblimgheight;
  QSpinBox* ehdrvspace;
  QCheckBox* cuseprintbuf;
  QPushButton* bt_PrnOk;
  QPushButton* bt_PrnRetry;
  // РЕКВИЗИТЫ
  QWidget* tabattr;
  QTableWidget* sgattr;
  QPushButton* btnapplyattr;
  QPushButton* btnrefreshattr;

 private:
  struct Address {
    uint8_t table;
    uint16_t row;
    uint8_t field;
    bool compact = false;
  };
  using Bytes = std::vector<uint8_t>;
  // The item of cbpaperwidth, and the value of its field, for 57 mm paper.
  static constexpr int kPaper57 = 1;
  // A field of the tables and the control that holds it, both ways: show puts a value
  // read from the register into the control, value gives the bytes the control's value is
  // written as (nullopt: a value the field cannot take, shown as "Недопустимый
  // параметр"; no value: a field written otherwise). Both take the address's row; field 0
  // stands for every field of the table.
  struct Binding {
    uint8_t table;
    uint8_t field;
    std::function<void(uint16_t row, std::span<const uint8_t> value)> show;
    std::function<std::optional<Bytes>(uint16_t row)> value = {};
  };

  void BuildTypeRegim();
  void BuildPasswords();
  void BuildDiscounts();
  void BuildTexts();
  void BuildSections();
  void BuildTaxes();
  void BuildPrint();
  void BuildAttributes();
  // The binding of every field the window reads or writes.
  void BuildBindings();
  const Binding* BindingOf(const Address& a) const;

  // The common frame of every "Применить" and "Считать": status texts, the tab's group
  // disabled, work (false at the first failed command), the group enabled again, the
  // tab's marks cleared.
  void RunTab(const QList<QWidget*>& group, const std::function<bool()>& work,
              QVector<bool>* marks = nullptr);
  // Reads the addresses in order into the controls; false at the first failure (a failed
  // compact read has been shown).
  bool ReadFields(const std::vector<Address>& fields);
  // Writes the controls' values to the addresses in order; false at the first failure.
  bool WriteFields(const std::vector<Address>& fields);
  // Reads (writing false) or writes the addresses.
  bool TransferFields(bool writing, const std::vector<Address>& fields);
  // A value read from the register into its control.
  void ShowField(const Address& a, std::span<const uint8_t> value);
  // The value of an address as its control holds it.
  std::optional<Bytes> FieldBytes(const Address& a);
  std::vector<Address> TypeRegimFields(bool writing) const;
  std::vector<Address> PrintFields() const;
  // The field of the rows of a table (1..rows), or of those marked when marks is given.
  static std::vector<Address> Rows(uint8_t table, int rows, uint8_t field,
                                   const QVector<bool>* marks = nullptr, bool compact = false);
  // The buttons of the tabs: writing ("Применить") or reading ("Считать").
  void TypeRegimTab(bool writing);
  void LinesTab(bool header, bool writing);
  void RowsTab(const QList<QWidget*>& group, QVector<bool>& marks, uint8_t table, bool writing);
  bool WriteLines(QTableWidget* grid, QVector<bool>& marks, bool header);
  bool ReadLines(QTableWidget* grid, QVector<bool>& marks, bool header);
  void PastePicture(QTableWidget* grid, QSpinBox* number, QSpinBox* offset, QVector<bool>& marks);
  void ApplyPaperWidth();
  void ClearMarks();
  // The text of a grid's row (its only column).
  static QString CellText(QTableWidget* grid, int row);
  // Marks a grid's row when the person edits one of its cells (not when the window fills
  // it); normalise, when given, makes the cell's new text one the cell may hold.
  void MarkEdits(QTableWidget* grid, QVector<bool>& marks,
                 const std::function<QString(int column, const QString& text)>& normalise = {});
  // Fills a grid cell without marking its row.
  void SetCell(QTableWidget* grid, int row, int column, const QString& text);

  std::vector<Binding> bindings_;
  ModelCapabilities caps_;
  bool filling_ = false;
  QVector<bool> passMarks_, headerMarks_, footerMarks_, sectionMarks_, taxMarks_, attrMarks_;
  QList<QWidget*> groupModes_, groupPasswords_, groupDiscounts_, groupTexts_, groupSections_,
      groupTaxes_, groupPrint_;
};

}  // namespace ptk::ui
