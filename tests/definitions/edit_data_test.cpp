// The panel's character set and the history of the definition table, as plain data.
#include "definitions/edit_history.h"
#include "definitions/windows1252.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(Windows1252, EveryByteComesBackAsItselfAndOthersAreRefused)
{
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        std::size_t refused = 9;
        EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(byte), &refused), byte) << b;
        EXPECT_EQ(refused, 0u) << b;
    }
    EXPECT_EQ(windows1252ToUtf8("\x80\x8A\x9F\xE4\xDC"), "€ŠŸäÜ");
    EXPECT_EQ(windows1252ToUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D"); // the free bytes stand for themselves
    std::size_t refused = 0;
    EXPECT_EQ(utf8ToWindows1252("aΩ€😀\xFF"
                                "b",
                                &refused),
              "a\x80"
              "b");
    EXPECT_EQ(refused, 3u); // Ω, the emoji and the stray byte
    EXPECT_FALSE(windows1252Byte(0x0100));
    EXPECT_FALSE(windows1252Byte(0x0080)); // its byte stands for "€"
}

EditStep labelStep(int index, char before, char after, int mergeKey = 0)
{
    EditStep step{"Label of " + controlName(index), {}, mergeKey};
    RecordChange c{index, initialDefinition(index), initialDefinition(index)};
    c.before.setLabelText(true, std::string(1, before));
    c.after.setLabelText(true, std::string(1, after));
    step.changes.push_back(c);
    return step;
}

TEST(EditHistory, StepsUndoRedoMergeAndAge)
{
    EXPECT_EQ(controlName(13), "Bank 2 Button 4");
    EXPECT_EQ(controlName(81), "F2");
    EXPECT_EQ(controlName(85), "Shift F2");
    EXPECT_EQ(controlName(89), "Knob B");

    EditHistory history;
    int listened = 0;
    history.setListener([&] { ++listened; });
    history.record(labelStep(13, 'a', 'b', 165));
    history.record(labelStep(13, 'b', 'c', 165)); // typing on: one step from a to c
    ASSERT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.undoName(), "Label of Bank 2 Button 4");
    auto undone = history.undo();
    ASSERT_TRUE(undone);
    EXPECT_EQ(undone->changes[0].before.labelLine(true, 0), "a     ");
    EXPECT_EQ(undone->changes[0].after.labelLine(true, 0), "c     ");
    EXPECT_TRUE(history.canRedo());
    history.record(labelStep(13, 'a', 'x', 165)); // a new change drops the redo step
    EXPECT_FALSE(history.canRedo());
    history.record(labelStep(13, 'x', 'a', 165)); // typed back: nothing left to undo
    EXPECT_FALSE(history.canUndo());
    history.record(labelStep(2, 'a', 'b', 165));
    history.seal();
    history.record(labelStep(2, 'b', 'c', 165)); // another selection in between: two steps
    EXPECT_EQ(history.undoCount(), 2u);
    history.record(EditStep{"Nothing", {}, 0});
    EXPECT_EQ(history.undoCount(), 2u);
    EXPECT_GT(listened, 0);

    history.clear();
    for (int i = 0; i < 250; ++i)
        history.record(labelStep(i % 80, 'a', static_cast<char>('b' + i % 20)));
    EXPECT_EQ(history.undoCount(), EditHistory::kDefaultLimit);
    int taken = 0;
    while (history.undo())
        ++taken;
    EXPECT_EQ(taken, 200);
    EXPECT_EQ(history.redoName(), "Label of " + controlName(50)); // the oldest kept: step 50

    // A load that changed records 4 and 60 drops every step on them, undo and
    // redo, a step on two records with one of them included.
    history.clear();
    history.record(labelStep(4, 'a', 'b'));
    history.record(labelStep(8, 'a', 'b'));
    EditStep two = labelStep(5, 'a', 'b');
    two.changes.push_back(labelStep(60, 'a', 'b').changes[0]);
    history.record(two);
    history.record(labelStep(7, 'a', 'b'));
    history.undo();
    history.undo();
    EXPECT_EQ(history.dropTouching({4, 60, 89}), (std::vector<int>{4, 60}));
    EXPECT_EQ(history.undoName(), "Label of " + controlName(8));
    EXPECT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.redoName(), "Label of " + controlName(7));
    EXPECT_EQ(history.redoCount(), 1u);
    EXPECT_TRUE(history.dropTouching({9, 10}).empty());
    EXPECT_EQ(history.undoCount() + history.redoCount(), 2u);
    // The open typing step going leaves none open: the typing step below it
    // takes no more typing.
    history.record(labelStep(3, 'a', 'b', 165));
    history.record(labelStep(4, 'b', 'c', 165));
    ASSERT_EQ(history.openMergeKey(), 165);
    history.dropTouching({4});
    EXPECT_EQ(history.undoName(), "Label of " + controlName(3));
    EXPECT_EQ(history.openMergeKey(), 0);
}

} // namespace
} // namespace vantor
