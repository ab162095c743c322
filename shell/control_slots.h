#pragma once
// Which definition a control of the panel picture edits: the LCD faces and key
// frames of the bank shown, the function keys (with Shift), the knob and Knob B.
#include <optional>

namespace vantor {

struct DefinitionSlot {
    int position = 0;
    int bank = 0;
    int index = 0;
    friend bool operator==(const DefinitionSlot&, const DefinitionSlot&) = default;
};

// `bank` is the bank shown (0-based: the editor's "Bank" value less one) and
// counts for the LCD faces and frames only, which need it in 0..7.
// Function keys: position (id - 540) / 5, plus 4 with Shift on, bank 8.
// Knob: 565/570 position 8, 566/571 (Knob B) position 9, bank 8. Any other id
// (bank keys, ids between the steps of 5) or an LCD id with a bank outside 0..7
// gives nothing.
std::optional<DefinitionSlot> definitionSlotFor(int controlId, bool shiftOn, int bank);
std::optional<int> definitionIndexFor(int controlId, bool shiftOn, int bank);

} // namespace vantor
