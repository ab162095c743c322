// Icon library and drawing tools: filled in with the icon editor.
#include "shell/handlers.h"

namespace vantor::handlers {

void iconLibraryEvent(int, int, std::intptr_t) {}
void redrawIconLibrary() {}
void drawingToolEvent(int, int, std::intptr_t) {}
void drawingCanvasMessage(int, int, std::intptr_t, int&) {}
void undoDrawing() {}
void moveDrawing(int, int) {}

} // namespace vantor::handlers
