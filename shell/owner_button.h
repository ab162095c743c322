#pragma once
// The painter of every owner-drawn button of the program, on every form. Each
// form's event routine calls paintOwnerButton when the toolkit raises code 300 for
// one of its owner-drawn buttons.
#include <cstdint>
#include <string>

namespace vantor {

// Paints the button `id` of `form` for the owner-draw item of the code-300 event:
// glossy gradient face (flat under 16 bits per pixel), raised edge (sunken when
// pressed or force-pressed), focus frame, caption with a shadow, centred in `font`.
// Styles: 0 grey; 1 "Save to|RAM Icon"; 6 the pressed choice buttons; also 2, 3, 4,
// 5, 7, 14, 16.
void paintOwnerButton(const std::string& form, int id, std::intptr_t item, int font, int normalStyle,
                      int pressedStyle, int forcePressed);

// Draws the face gradient on an owner-draw surface, line by line in colour slot 99.
void paintGradient(const std::string& form, std::intptr_t surface, int width, int height, int disabled, int pressed,
                   int style);

// Bits per pixel of the form's window; 0 when the form has no window.
int screenDepth(const std::string& form);

} // namespace vantor
