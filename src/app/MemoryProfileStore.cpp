#include "app/MemoryProfileStore.h"

#include <utility>

namespace perivant {

int MemoryProfileStore::ReadInt(std::string_view section, std::string_view name,
                                int defaultValue) const {
    const Value* value = Find(section, name);
    const int* number = value ? std::get_if<int>(value) : nullptr;
    return number ? *number : defaultValue;
}

std::string MemoryProfileStore::ReadString(std::string_view section, std::string_view name,
                                           std::string_view defaultValue) const {
    const Value* value = Find(section, name);
    const std::string* text = value ? std::get_if<std::string>(value) : nullptr;
    return text ? *text : std::string(defaultValue);
}

ProfileStore::Bytes MemoryProfileStore::ReadBytes(std::string_view section, std::string_view name,
                                                  const Bytes& defaultValue) const {
    const Value* value = Find(section, name);
    const Bytes* block = value ? std::get_if<Bytes>(value) : nullptr;
    return block ? *block : defaultValue;
}

void MemoryProfileStore::WriteInt(std::string_view section, std::string_view name, int value) {
    Store(section, name, value);
}

void MemoryProfileStore::WriteString(std::string_view section, std::string_view name,
                                     std::string_view value) {
    Store(section, name, std::string(value));
}

void MemoryProfileStore::WriteBytes(std::string_view section, std::string_view name,
                                    std::span<const std::uint8_t> value) {
    Store(section, name, Bytes(value.begin(), value.end()));
}

bool MemoryProfileStore::Contains(std::string_view section, std::string_view name) const {
    return Find(section, name) != nullptr;
}

const MemoryProfileStore::Value* MemoryProfileStore::Find(std::string_view section,
                                                          std::string_view name) const {
    auto s = sections_.find(section);
    if (s == sections_.end()) {
        return nullptr;
    }
    auto v = s->second.find(name);
    return v == s->second.end() ? nullptr : &v->second;
}

std::size_t MemoryProfileStore::Count(std::string_view section) const {
    auto s = sections_.find(section);
    return s == sections_.end() ? 0 : s->second.size();
}

void MemoryProfileStore::Store(std::string_view section, std::string_view name, Value value) {
    auto s = sections_.find(section);
    if (s == sections_.end()) {
        s = sections_.emplace(std::string(section), Section{}).first;
    }
    s->second.insert_or_assign(std::string(name), std::move(value));
}

}  // namespace perivant
