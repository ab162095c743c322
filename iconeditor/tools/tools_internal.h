// Shared by the icon editor's window files.
#pragma once

#include "iconeditor/tools/icon_tools.h"

#include "shell/control_ids.h"

#include <string>

namespace vantor::icontools::detail {

inline const std::string kForm = "VANTOR";
inline const std::string kDragForm = "DRAGFORM";

using namespace vantor::mainid;

// Toolkit colours of the icon pictures.
inline constexpr int kDark = 0;
inline constexpr int kLit = 15;
inline constexpr int kHighlight = 17;
inline constexpr int kPreview = 14; // 0x00FFFF00 in the canvas bitmap
inline constexpr std::uint32_t kPreviewPixel = 0x00FFFF00u;
inline constexpr std::uint32_t kLitPixel = 0x00FFFFFFu;

IconToolsHost& host();

// The current icon number of field 600 as typed (unreadable text is 0).
int currentIconNumber();
// Entry `index` of the library's set (an empty bitmap when out of range).
const IconBitmap& libraryIcon(int index);

// Picks up icon `index` of the library's set and carries it under the pointer.
void startDrag(int index);

// Every lit cell of `grid` as a box of `scale` canvas pixels at (x, y), in the
// current drawing.
void drawCells(const PixelGrid& grid, int x, int y, int scale);

} // namespace vantor::icontools::detail
