// Definition editor and panel picture handlers: filled in with the editor.
#include "shell/handlers.h"

namespace vantor::handlers {

void editorFieldEvent(int, int, std::intptr_t) {}
void panelPictureEvent(int, int, std::intptr_t) {}
void panelPictureMessage(int, int, std::intptr_t, int&) {}
void applyEditorRules(int) {}
void focusFirstField() {}
void showDefinition(int) {}

} // namespace vantor::handlers
