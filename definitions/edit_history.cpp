// The undo and redo history of the definition table.
#include "definitions/edit_history.h"

#include <utility>

namespace vantor {

std::vector<RecordChange> recordChanges(const DefinitionRecords& before, const DefinitionRecords& after)
{
    std::vector<RecordChange> changes;
    for (int i = 0; i < kDefinitionCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (before[k] != after[k])
            changes.push_back({i, before[k], after[k]});
    }
    return changes;
}

void EditHistory::record(EditStep step)
{
    if (step.changes.empty())
        return;
    redo_.clear();
    EditStep* top = undo_.empty() ? nullptr : &undo_.back();
    if (open_ && top && step.mergeKey != 0 && top->mergeKey == step.mergeKey && top->changes.size() == 1 &&
        step.changes.size() == 1 && top->changes[0].index == step.changes[0].index) {
        top->changes[0].after = step.changes[0].after;
        if (top->changes[0].after == top->changes[0].before) {
            undo_.pop_back();
            open_ = false;
        }
        changed();
        return;
    }
    undo_.push_back(std::move(step));
    while (undo_.size() > limit_)
        undo_.pop_front();
    open_ = true;
    changed();
}

std::optional<EditStep> EditHistory::undo()
{
    if (undo_.empty())
        return std::nullopt;
    EditStep step = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(step);
    open_ = false;
    changed();
    return step;
}

std::optional<EditStep> EditHistory::redo()
{
    if (redo_.empty())
        return std::nullopt;
    EditStep step = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back(step);
    open_ = false;
    changed();
    return step;
}

void EditHistory::clear()
{
    undo_.clear();
    redo_.clear();
    open_ = false;
    changed();
}

EditHistory& editHistory()
{
    static EditHistory history;
    return history;
}

} // namespace vantor
