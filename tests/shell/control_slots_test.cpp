// Which definition each control of the panel picture edits.
#include "shell/control_slots.h"

#include <gtest/gtest.h>

namespace vantor::test {
namespace {

TEST(ControlMapping, LcdFacesAndFrames)
{
    EXPECT_EQ(definitionSlotFor(610, false, 0), (DefinitionSlot{0, 0, 0}));
    EXPECT_EQ(definitionSlotFor(620, false, 1), (DefinitionSlot{2, 1, 12})); // button 3 of bank 2
    EXPECT_EQ(definitionSlotFor(655, true, 7), (DefinitionSlot{9, 7, 79}));
    EXPECT_EQ(definitionSlotFor(715, false, 3), (DefinitionSlot{0, 3, 30}));
    EXPECT_EQ(definitionSlotFor(760, false, 3), (DefinitionSlot{9, 3, 39}));
    EXPECT_EQ(definitionSlotFor(770, false, 4), (DefinitionSlot{0, 4, 40}));
    EXPECT_EQ(definitionSlotFor(815, false, 4), (DefinitionSlot{9, 4, 49}));
    EXPECT_EQ(definitionSlotFor(665, false, 2), (DefinitionSlot{0, 2, 20}));
    EXPECT_EQ(definitionIndexFor(640, false, 5), 56);
    // A bank outside 1..8 shown, or an id that is no control of the picture.
    EXPECT_EQ(definitionSlotFor(610, false, 8), std::nullopt);
    EXPECT_EQ(definitionSlotFor(610, false, -1), std::nullopt);
    EXPECT_EQ(definitionSlotFor(612, false, 0), std::nullopt);
    EXPECT_EQ(definitionSlotFor(660, false, 0), std::nullopt);
    EXPECT_EQ(definitionSlotFor(820, false, 0), std::nullopt);
    for (int id = 500; id <= 535; id += 5)
        EXPECT_EQ(definitionSlotFor(id, false, 0), std::nullopt) << id;
    EXPECT_EQ(definitionSlotFor(560, false, 0), std::nullopt);
}

TEST(ControlMapping, FunctionKeysAndKnob)
{
    EXPECT_EQ(definitionSlotFor(540, false, 3), (DefinitionSlot{0, 8, 80}));
    EXPECT_EQ(definitionSlotFor(555, false, 3), (DefinitionSlot{3, 8, 83}));
    EXPECT_EQ(definitionSlotFor(540, true, 3), (DefinitionSlot{4, 8, 84}));
    EXPECT_EQ(definitionSlotFor(555, true, 0), (DefinitionSlot{7, 8, 87}));
    EXPECT_EQ(definitionSlotFor(565, false, 0), (DefinitionSlot{8, 8, 88}));
    EXPECT_EQ(definitionSlotFor(570, true, 0), (DefinitionSlot{8, 8, 88}));
    EXPECT_EQ(definitionSlotFor(566, false, 0), (DefinitionSlot{9, 8, 89}));
    EXPECT_EQ(definitionSlotFor(571, false, 0), (DefinitionSlot{9, 8, 89}));
    // The shown bank does not matter for them, even an impossible one.
    EXPECT_EQ(definitionIndexFor(545, false, 42), 81);
}

} // namespace
} // namespace vantor::test
