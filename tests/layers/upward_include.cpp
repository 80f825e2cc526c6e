// A file of the module store reaching the game's window past the include folders: the check of
// the layers must refuse it. Never compiled.
#include "../../src/app/master_form.h"
