#include "ui/base/startup.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <memory>

#include "ui/base/app_context.h"
#include "ui/eklz/eklz.h"
#include "ui/programming/datatable.h"
#include "ui/programming/firmware_windows.h"
#include "ui/programming/imgman.h"
#include "ui/programming/prnbmp.h"
#include "ui/programming/program.h"
#include "ui/receipts/beep.h"
#include "ui/receipts/chek.h"
#include "ui/receipts/nalmoney.h"
#include "ui/receipts/otrchek.h"
#include "ui/reports/fiskpam.h"
#include "ui/reports/registr.h"
#include "ui/reports/reports.h"
#include "ui/reports/sostfr.h"
#include "ui/settings/config_window.h"
#include "ui/shell/datefr.h"
#include "ui/shell/help.h"
#include "ui/shell/main_fr.h"
#include "ui/shell/process.h"
#include "ui/shell/progress.h"
#include "ui/shell/regcomm.h"
#include "ui/shell/tape.h"
#include "ui/shell/ver.h"

namespace ptk::ui {

void CreateWindows(AppContext& context) {
  Forms& f = context.forms;
  f.fm_MainFr = context.Adopt(std::make_unique<Tfm_MainFr>(context));
  f.fm_Help = context.Adopt(std::make_unique<Tfm_Help>(context));
  f.fm_Process = context.Adopt(std::make_unique<Tfm_Process>(context));
  f.fm_SostFR = context.Adopt(std::make_unique<Tfm_SostFR>(context));
  f.fm_Ver = context.Adopt(std::make_unique<Tfm_Ver>(context));
  if (context.emulator()) f.fm_Tape = context.Adopt(std::make_unique<Tfm_Tape>(context));
  f.progress = context.Adopt(std::make_unique<Tprogress>(context));
  InstallModeEntryAndPrinting(context);
  f.fm_Chek = context.Adopt(std::make_unique<Tfm_Chek>(context));
  Tfm_Chek* chek = f.fm_Chek;
  f.fm_RegComm->SetModeWindowOpener(1, [chek] { chek->ResetReceiptWindow(); });

  f.fm_NalMoney = context.Adopt(std::make_unique<Tfm_NalMoney>(context));
  f.fm_OtrChek = context.Adopt(std::make_unique<Tfm_OtrChek>(context));
  f.fm_Beep = context.Adopt(std::make_unique<Tfm_Beep>(context));
  Tfm_MainFr* main = f.fm_MainFr;
  Tfm_NalMoney* nal = f.fm_NalMoney;
  main->SetItemHandler(main->mi_NalMoney, [nal] { nal->Query(false); });
  main->SetItemHandler(main->mi_LastSmenItog, [nal] { nal->Query(true); });
  Tfm_OtrChek* cut = f.fm_OtrChek;
  main->SetItemHandler(main->mi_OtrChek, [cut] { cut->Open(); });
  Tfm_Beep* beep = f.fm_Beep;
  main->SetItemHandler(main->mi_Beep, [beep] { beep->Open(); });

  f.fm_Program = context.Adopt(std::make_unique<Tfm_Program>(context));
  f.fm_DataTable = context.Adopt(std::make_unique<Tfm_DataTable>(context));
  f.fm_DataTable->SetOwnerWindow(f.fm_Program);
  f.fm_DateFR = context.Adopt(std::make_unique<Tfm_DateFR>(context));
  Tfm_Program* program = f.fm_Program;
  f.fm_RegComm->SetModeWindowOpener(4, [program] { program->Prepare(); });

  f.fm_Config = context.Adopt(std::make_unique<Tfm_Config>(context));
  Tfm_Config* config = f.fm_Config;
  main->SetItemHandler(main->mi_Nastr, [config] { config->Open(); });

  f.fm_Reports = context.Adopt(std::make_unique<Tfm_Reports>(context));
  f.fm_Gash = context.Adopt(std::make_unique<Tfm_Gash>(context));
  f.fm_AvarReport = context.Adopt(std::make_unique<Tfm_AvarReport>(context));
  f.fm_FiskPam = context.Adopt(std::make_unique<Tfm_FiskPam>(context));
  Tfm_Reports* reports = f.fm_Reports;
  f.fm_RegComm->SetModeWindowOpener(2, [reports] { reports->Open(); });
  Tfm_Gash* gash = f.fm_Gash;
  f.fm_RegComm->SetModeWindowOpener(3, [gash] { gash->Open(); });
  Tfm_FiskPam* fiskPam = f.fm_FiskPam;
  f.fm_RegComm->SetModeWindowOpener(5, [fiskPam] { fiskPam->Open(); });
  // Choosing "ФП" starts the fiscalisation dialogue anew.
  QObject::connect(main->mi_FiskPam, &QAction::triggered, fiskPam,
                   [fiskPam] { fiskPam->ResetDialogue(); });
  Tfm_AvarReport* avar = f.fm_AvarReport;
  main->SetItemHandler(main->mi_AvarReport, [avar] { avar->Open(); });

  f.fm_Registr = context.Adopt(std::make_unique<Tfm_Registr>(context));
  f.fm_MenadgerReg = context.Adopt(std::make_unique<Tfm_MenadgerReg>(context));
  f.fm_MenadgerReg->SetOwnerWindow(f.fm_Registr);
  Tfm_Registr* registr = f.fm_Registr;
  main->SetItemHandler(main->mi_Reg, [registr] { registr->Open(); });

  f.fm_SostEKLZ = context.Adopt(std::make_unique<Tfm_SostEKLZ>(context));
  f.fm_EKLZ = context.Adopt(std::make_unique<Tfm_EKLZ>(context));
  Tfm_SostEKLZ* sostEklz = f.fm_SostEKLZ;
  main->SetItemHandler(main->mi_SostEKLZ, [sostEklz] { sostEklz->Query(); });
  Tfm_EKLZ* eklz = f.fm_EKLZ;
  f.fm_RegComm->SetModeWindowOpener(6, [eklz] { eklz->Open(); });

  f.fm_PrnBmp = context.Adopt(std::make_unique<Tfm_PrnBmp>(context));
  Tfm_PrnBmp* prnBmp = f.fm_PrnBmp;
  main->SetItemHandler(main->mi_PrnBmp, [prnBmp] { prnBmp->Open(); });

  f.fm_ReadPO = context.Adopt(std::make_unique<Tfm_ReadPO>(context));
  f.fm_CheckPO = context.Adopt(std::make_unique<Tfm_CheckPO>(context));
  f.fm_SelCheckPO = context.Adopt(std::make_unique<Tfm_SelCheckPO>(context));
  f.frmimgman = context.Adopt(std::make_unique<Tfrmimgman>(context));
  Tfrmimgman* imgman = f.frmimgman;
  QObject::connect(program->btnimgdlg, &QPushButton::clicked, program,
                   [imgman, program] { imgman->Open(program); });
  Tfm_ReadPO* readPO = f.fm_ReadPO;
  QObject::connect(program->btnrsoft, &QPushButton::clicked, program,
                   [readPO, program] { readPO->Open(program); });
  if (context.service) {
    // The service engineer's switch: everything hidden is shown and usable, and the
    // firmware comparison, which the menu does not reach otherwise, gets an item.
    for (QAction* hidden : {main->mi_PrnField, main->mi_PrnBmp, main->mi_PrnEndChek,
                            main->mi_TehnolNull, main->mi_FiskPam}) {
      hidden->setVisible(true);
      hidden->setEnabled(true);
    }
    auto* check = new QAction(QStringLiteral("Сравнение ПО"), main);
    check->setObjectName("mi_CheckPO");
    main->mi_ConfigMenu->addAction(check);
    Tfm_SelCheckPO* select = f.fm_SelCheckPO;
    main->SetItemHandler(check, [select] { select->CompareAction(); });
    program->btnrsoft->setText(QStringLiteral("Чтение ПО"));
    program->btnrsoft->setVisible(true);
    program->btnrsoft->setEnabled(true);
  }
}

}  // namespace ptk::ui
