#include "shell/control_slots.h"

#include "definitions/key_definition.h"
#include "shell/control_ids.h"

namespace vantor {

namespace {

// Position of id within a row of ten ids starting at first, step 5.
std::optional<int> rowPosition(int id, int first)
{
    if (id < first || id > first + 9 * mainid::idStep || (id - first) % mainid::idStep != 0)
        return std::nullopt;
    return (id - first) / mainid::idStep;
}

} // namespace

std::optional<DefinitionSlot> definitionSlotFor(int controlId, bool shiftOn, int bank)
{
    using namespace mainid;
    if (controlId >= functionKeyFirst && controlId <= functionKeyLast && (controlId - functionKeyFirst) % idStep == 0) {
        const int position = (controlId - functionKeyFirst) / idStep + (shiftOn ? 4 : 0);
        return DefinitionSlot{position, 8, definitionIndex(8, position)};
    }
    if (controlId == knobLeft || controlId == knobRight)
        return DefinitionSlot{8, 8, kKnobIndex};
    if (controlId == knobLeftB || controlId == knobRightB)
        return DefinitionSlot{9, 8, kKnobBIndex};
    for (int first : {faceOnFirst, frameUpperFirst, faceOffFirst, frameLowerFirst}) {
        if (auto position = rowPosition(controlId, first)) {
            if (bank < 0 || bank > 7)
                return std::nullopt;
            return DefinitionSlot{*position, bank, definitionIndex(bank, *position)};
        }
    }
    return std::nullopt;
}

std::optional<int> definitionIndexFor(int controlId, bool shiftOn, int bank)
{
    if (auto slot = definitionSlotFor(controlId, shiftOn, bank))
        return slot->index;
    return std::nullopt;
}

} // namespace vantor
