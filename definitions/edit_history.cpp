// The undo and redo history of the definition table.
#include "definitions/edit_history.h"

#include <algorithm>
#include <array>
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

std::vector<RecordField> recordFields()
{
    std::vector<RecordField> fields{
        {kd::header, 4}, {kd::position, 1}, {kd::bank, 1}, {kd::onColor, 1}, {kd::offColor, 1}};
    for (std::size_t line = 0; line < 6; ++line)
        fields.push_back({kd::onLabel + 6 * line, 6});
    fields.insert(
        fields.end(),
        {{kd::flags, 1}, {kd::radioGroup, 1}, {kd::reserved, 4}, {kd::onLength, kDefinitionSize - kd::onLength}});
    return fields;
}

namespace {

bool sameField(const KeyDefinition& a, const KeyDefinition& b, const RecordField& f)
{
    return std::equal(a.bytes.begin() + static_cast<std::ptrdiff_t>(f.offset),
                      a.bytes.begin() + static_cast<std::ptrdiff_t>(f.offset + f.size),
                      b.bytes.begin() + static_cast<std::ptrdiff_t>(f.offset));
}

} // namespace

std::vector<RecordField> RecordChange::fields() const
{
    std::vector<RecordField> changed;
    for (const RecordField& f : recordFields())
        if (!sameField(before, after, f))
            changed.push_back(f);
    return changed;
}

bool RecordChange::holds(const KeyDefinition& now, bool afterSide) const
{
    const KeyDefinition& from = afterSide ? after : before;
    for (const RecordField& f : fields())
        if (!sameField(now, from, f))
            return false;
    return true;
}

KeyDefinition RecordChange::applied(const KeyDefinition& now, bool afterSide) const
{
    KeyDefinition result = now;
    const KeyDefinition& from = afterSide ? after : before;
    for (const RecordField& f : fields())
        std::copy_n(from.bytes.begin() + static_cast<std::ptrdiff_t>(f.offset), f.size,
                    result.bytes.begin() + static_cast<std::ptrdiff_t>(f.offset));
    return result;
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

void EditHistory::dropTaken(bool redo)
{
    if (redo && !undo_.empty())
        undo_.pop_back();
    else if (!redo && !redo_.empty())
        redo_.pop_back();
    changed();
}

std::vector<int> EditHistory::dropTouching(const std::vector<int>& indexes)
{
    std::array<bool, kDefinitionCount> changedByLoad{};
    for (int index : indexes)
        if (index >= 0 && index < kDefinitionCount)
            changedByLoad[static_cast<std::size_t>(index)] = true;
    std::array<bool, kDefinitionCount> named{};
    const auto touches = [&](const EditStep& step) {
        bool touched = false;
        for (const RecordChange& c : step.changes)
            if (changedByLoad[static_cast<std::size_t>(c.index)])
                touched = named[static_cast<std::size_t>(c.index)] = true;
        return touched;
    };
    // The typing step at the top going: typing on starts a new step.
    if (!undo_.empty() && touches(undo_.back()))
        open_ = false;
    const std::size_t dropped = std::erase_if(undo_, touches) + std::erase_if(redo_, touches);
    std::vector<int> names;
    for (int i = 0; i < kDefinitionCount; ++i)
        if (named[static_cast<std::size_t>(i)])
            names.push_back(i);
    if (dropped > 0)
        changed();
    return names;
}

void EditHistory::clear()
{
    undo_.clear();
    redo_.clear();
    open_ = false;
    changed();
}

std::function<void(int)>& recordEditHook()
{
    static std::function<void(int)> hook;
    return hook;
}

EditHistory& editHistory()
{
    static EditHistory history;
    return history;
}

} // namespace vantor
