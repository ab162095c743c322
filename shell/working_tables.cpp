// The working tables of the definitions and the icon editor, made afresh at the
// main form's loading event.
#include "shell/handlers.h"

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"

namespace vantor::handlers {

void allocateWorkingTables()
{
    editGrid().clear();
    undoGrid().clear();
    definitionTable().initialise();
}

} // namespace vantor::handlers
