// The undo and redo history of the definition table: each step holds the
// records it changed, before and after, and a name for the Edit menu ("Label
// of Bank 2 Button 4"). Plain data; the editor records the steps and puts
// their records back into the table and the panel.
#pragma once

#include "definitions/key_definition.h"

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// All 90 records, as a step's surroundings see them.
using DefinitionRecords = std::array<KeyDefinition, kDefinitionCount>;

struct RecordChange {
    int index = 0;
    KeyDefinition before;
    KeyDefinition after;
};

struct EditStep {
    std::string name;
    std::vector<RecordChange> changes; // in index order
    // Typing into one field: steps with the same nonzero key on the same one
    // record merge into the step at the top while it is open (see seal).
    int mergeKey = 0;
};

// The records that differ between two tables, in index order.
std::vector<RecordChange> recordChanges(const DefinitionRecords& before, const DefinitionRecords& after);

class EditHistory {
public:
    static constexpr std::size_t kDefaultLimit = 200;
    explicit EditHistory(std::size_t limit = kDefaultLimit) : limit_(limit) { }

    // A new step: the redo steps are dropped; the oldest step goes once the
    // limit is reached. A step that changes nothing is not kept. A step that
    // merges into the open top step keeps that step's "before"; if the two
    // together change nothing any more, the top step goes away.
    void record(EditStep step);
    // The step at the top takes no more merges (another control was selected,
    // or a step was undone or redone).
    void seal() { open_ = false; }

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // The name of the step Undo or Redo would take, "" when there is none.
    std::string undoName() const { return undo_.empty() ? std::string() : undo_.back().name; }
    std::string redoName() const { return redo_.empty() ? std::string() : redo_.back().name; }
    std::size_t undoCount() const { return undo_.size(); }
    std::size_t redoCount() const { return redo_.size(); }

    // The step to take back (its "before" records go into the table); it
    // moves to the redo steps. Nothing when there is none.
    std::optional<EditStep> undo();
    // The step to take again (its "after" records); back to the undo steps.
    std::optional<EditStep> redo();
    void clear();

    // Called after every change of the steps (a menu shows the names).
    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void changed()
    {
        if (listener_)
            listener_();
    }

    std::size_t limit_;
    std::deque<EditStep> undo_;
    std::vector<EditStep> redo_;
    bool open_ = false;
    std::function<void()> listener_;
};

// The program's history of the definition table.
EditHistory& editHistory();

} // namespace vantor
