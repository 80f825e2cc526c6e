// Placeholders: the game handlers are being written and replace this file.
#include "app/master_form.h"

namespace vexlor::app {

void MasterForm::Start_Click() {}
void MasterForm::NextQ_Click() {}
void MasterForm::PanelRepA_Click() {}
void MasterForm::PanelRepB_Click() {}
void MasterForm::PanelRepC_Click() {}
void MasterForm::PanelRepD_Click() {}
void MasterForm::Fifty_Click() {}
void MasterForm::Pause_Click() {}
void MasterForm::Replay_Click() {}
void MasterForm::TimerStart_Timer() {}
void MasterForm::TempBar_Timer() {}
void MasterForm::TimerTrente_Timer() {}
void MasterForm::TimerReponce_Timer() {}
void MasterForm::TimerGOver_Timer() {}
void MasterForm::TimerFifty_Timer() {}

}  // namespace vexlor::app
