// Undo and redo of the definition table, and the copy and paste of whole
// definitions: every step reaches the panel at once, like any other change.
#include "definitions/editor/editor.h"
#include "definitions/editor/editor_internal.h"

#include "definitions/edit_history.h"
#include "definitions/key_definition.h"
#include "shell/app_state.h"
#include "toolkit/gantry.h"

#include <array>
#include <optional>

namespace vantor::editor {

using namespace detail;

namespace {

int scopeDepth = 0;
bool applyingStep = false;
DefinitionRecords recordsBefore{};
// The records the open scope's edit changed: only these make its step, so a
// load that runs inside a dialog's event loop never joins it.
std::array<bool, kDefinitionCount> touched{};
std::string stepName;
int stepMergeKey = 0;

std::optional<KeyDefinition>& copiedDefinition()
{
    static std::optional<KeyDefinition> copied;
    return copied;
}

void markChanged(int index)
{
    noteRecordEdited(index);
    definitionTable().sendPending[static_cast<std::size_t>(index)] = true;
    shellFlags().definitionsChanged = 1;
}

// The table now holds a step's records: the control they belong to is
// selected and shown, its faces drawn, and the records stored into the panel.
void showAndStore(const std::vector<RecordChange>& changes)
{
    if (changes.empty())
        return;
    const int first = changes.front().index;
    bool oneBank = definitionHasLcd(first);
    for (const RecordChange& c : changes)
        oneBank = oneBank && definitionHasLcd(c.index) && c.index / 10 == first / 10;
    // Selecting here is not a press: nothing is sent to the equipment.
    quietSelection = true;
    if (changes.size() == 1 || oneBank)
        selectControlOf(first);
    else
        showDefinition(shellFlags().selectedButton);
    quietSelection = false;
    redrawBankFaces();
    if (changes.size() == 1)
        GN_POSTEVENT(kForm, storeSelected, first);
    else
        editorHost().storeDefinitions();
}

void takeStep(bool redo)
{
    if (applyingStep)
        return; // a key pressed again while the step is shown waits for it
    const std::optional<EditStep> step = redo ? editHistory().redo() : editHistory().undo();
    if (!step)
        return;
    // A step whose fields the panel (or a load) has changed since is dropped:
    // putting it back would undo what the program did not do.
    for (const RecordChange& c : step->changes) {
        if (!c.holds(definitionTable()[c.index], !redo)) {
            editHistory().dropTaken(redo);
            editorHost().note(std::string(redo ? "Redo" : "Undo") + " skipped: " + controlName(c.index) +
                              " changed on the panel");
            return;
        }
    }
    editorHost().note("");
    applyingStep = true;
    for (const RecordChange& c : step->changes) {
        definitionTable()[c.index] = c.applied(definitionTable()[c.index], redo);
        markChanged(c.index);
    }
    showAndStore(step->changes);
    applyingStep = false;
}

} // namespace

EditScope::EditScope(std::string name, int mergeKey) : outermost_(scopeDepth == 0 && !applyingStep)
{
    ++scopeDepth;
    if (!outermost_)
        return;
    recordsBefore = definitionTable().records;
    touched.fill(false);
    if (!recordEditHook())
        recordEditHook() = [](int index) {
            rebaseEditStep();
            noteRecordEdited(index);
        };
    stepName = std::move(name);
    stepMergeKey = mergeKey;
}

EditScope::~EditScope()
{
    --scopeDepth;
    if (!outermost_)
        return;
    EditStep step{stepName, {}, stepMergeKey};
    for (RecordChange& c : recordChanges(recordsBefore, definitionTable().records))
        if (touched[static_cast<std::size_t>(c.index)])
            step.changes.push_back(std::move(c));
    if (!step.changes.empty())
        editorHost().note("");
    if (step.changes.size() != 1)
        step.mergeKey = 0;
    editHistory().record(std::move(step));
}

void noteRecordEdited(int index)
{
    if (scopeDepth == 0 || applyingStep)
        return;
    if (index < 0)
        touched.fill(true);
    else if (index < kDefinitionCount)
        touched[static_cast<std::size_t>(index)] = true;
}

void rebaseEditStep()
{
    if (scopeDepth == 0 || applyingStep)
        return;
    for (int i = 0; i < kDefinitionCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!touched[k])
            recordsBefore[k] = definitionTable().records[k];
    }
}

int openTypingKey()
{
    return editHistory().openMergeKey();
}

void undoEdit()
{
    takeStep(false);
}

void redoEdit()
{
    takeStep(true);
}

void copyButton()
{
    const int index = indexFor(shellFlags().selectedButton);
    if (index >= 0)
        copiedDefinition() = definitionTable()[index];
}

bool buttonCopied()
{
    return copiedDefinition().has_value();
}

void pasteButton()
{
    const int index = indexFor(shellFlags().selectedButton);
    if (index < 0 || !copiedDefinition())
        return;
    EditScope step("Paste on " + controlName(index));
    KeyDefinition& target = definitionTable()[index];
    KeyDefinition pasted = *copiedDefinition();
    pasted.setPosition(target.position());
    pasted.setBank(target.bank());
    normaliseForIndex(pasted, index);
    target = pasted;
    markChanged(index);
    quietSelection = true;
    showDefinition(shellFlags().selectedButton);
    quietSelection = false;
    redrawBankFaces();
    GN_POSTEVENT(kForm, storeSelected, index);
}

void copyBank(int from, int to)
{
    if (from < 0 || from > 7 || to < 0 || to > 7 || from == to)
        return;
    EditScope step("Copy of Bank " + std::to_string(from + 1) + " to Bank " + std::to_string(to + 1));
    KeyDefinitionTable& table = definitionTable();
    for (int p = 0; p < 10; ++p) {
        KeyDefinition copy = table[definitionIndex(from, p)];
        copy.setBank(static_cast<std::uint8_t>(to));
        table[definitionIndex(to, p)] = copy;
        markChanged(definitionIndex(to, p));
    }
    selectControlOf(definitionIndex(to, 0));
    redrawBankFaces();
    editorHost().storeDefinitions();
}

} // namespace vantor::editor
