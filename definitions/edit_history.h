// The undo and redo history of the definition table: each step holds the
// records it changed, before and after, and a name for the Edit menu ("Label
// of Bank 2 Button 4"). Undo and redo put back only the fields a step changed,
// onto the record as it is now, and only while those fields still hold what
// the step left there. Plain data; the editor records the steps and puts
// their fields back into the table and the panel.
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

// A record's fields as undo sees them: header, position, bank, the colours,
// each six-byte line of both labels, flags, radio group, the reserved bytes,
// and the messages with their lengths as one field (a long on message runs on
// into the off message).
struct RecordField {
    std::size_t offset;
    std::size_t size;
};
std::vector<RecordField> recordFields();

struct RecordChange {
    int index = 0;
    KeyDefinition before;
    KeyDefinition after;

    // The fields in which before and after differ.
    std::vector<RecordField> fields() const;
    // True when `now` holds `from`'s bytes in every changed field.
    bool holds(const KeyDefinition& now, bool after) const;
    // `now` with the changed fields of `before` (or `after`).
    KeyDefinition applied(const KeyDefinition& now, bool after) const;
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
    // The merge key of the top step while it is open (typing goes on into it), else 0.
    int openMergeKey() const { return open_ && !undo_.empty() ? undo_.back().mergeKey : 0; }
    std::size_t undoCount() const { return undo_.size(); }
    std::size_t redoCount() const { return redo_.size(); }

    // The step to take back (its "before" records go into the table); it
    // moves to the redo steps. Nothing when there is none.
    std::optional<EditStep> undo();
    // The step to take again (its "after" records); back to the undo steps.
    std::optional<EditStep> redo();
    // The step just returned by undo() (or redo()) could not be taken: it is
    // dropped instead of waiting on the other side.
    void dropTaken(bool redo);
    // Every step, undo and redo, that changed one of `indexes` is dropped (a
    // load brought other content for those records). Returns those of
    // `indexes` whose steps went, in index order.
    std::vector<int> dropTouching(const std::vector<int>& indexes);
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

// Called with a record's index right before an edit changes it after a
// dialog's event loop (the editor installs it: the step then holds only that
// record, as it was just before the change).
std::function<void(int)>& recordEditHook();

} // namespace vantor
