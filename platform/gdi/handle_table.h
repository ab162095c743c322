#pragma once
// A table of owned objects named by 32-bit handles: the low 20 bits are the slot
// (plus one, so 0 is never a handle), the high 12 bits a generation that changes
// whenever the slot is reused, so a stale handle finds nothing.
#include <cstdint>
#include <memory>
#include <vector>

namespace vantor::win {

template <typename T> class HandleTable {
public:
    uint32_t add(std::unique_ptr<T> object)
    {
        uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            if (slots_.size() >= kMaxSlots)
                return 0;
            index = static_cast<uint32_t>(slots_.size());
            slots_.emplace_back();
            generations_.push_back(1);
        }
        slots_[index] = std::move(object);
        return (static_cast<uint32_t>(generations_[index]) << 20) | (index + 1);
    }
    T* get(uint32_t handle) const
    {
        uint32_t index = (handle & 0xFFFFF);
        if (index == 0 || index > slots_.size())
            return nullptr;
        --index;
        if (generations_[index] != (handle >> 20))
            return nullptr;
        return slots_[index].get();
    }
    std::unique_ptr<T> remove(uint32_t handle)
    {
        if (!get(handle))
            return nullptr;
        uint32_t index = (handle & 0xFFFFF) - 1;
        std::unique_ptr<T> out = std::move(slots_[index]);
        generations_[index] = static_cast<uint16_t>((generations_[index] % 0xFFF) + 1);
        free_.push_back(index);
        return out;
    }
    template <typename F> void forEach(F f) const
    {
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i])
                f((static_cast<uint32_t>(generations_[i]) << 20) | uint32_t(i + 1), *slots_[i]);
    }
    size_t live() const { return slots_.size() - free_.size(); }

private:
    static constexpr size_t kMaxSlots = 0xFFFFF;
    std::vector<std::unique_ptr<T>> slots_;
    std::vector<uint16_t> generations_;
    std::vector<uint32_t> free_;
};

} // namespace vantor::win
