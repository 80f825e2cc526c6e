#include "app/master_form.h"

namespace vexlor::app {

// The top-ten lines are not drawn yet: they come with the high-score table.
void MasterForm::HighScore() {}

}  // namespace vexlor::app
