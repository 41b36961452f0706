#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <variant>

#include "app/ProfileStore.h"

namespace perivant {

// A settings store held in memory: what tests use in place of the user's settings file. It keeps
// each value's kind, so a test can plant a value of the wrong kind and see how a reader copes.
class MemoryProfileStore : public ProfileStore {
public:
    using Value = std::variant<int, std::string, Bytes>;

    int ReadInt(std::string_view section, std::string_view name, int defaultValue) const override;
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const override;
    Bytes ReadBytes(std::string_view section, std::string_view name,
                    const Bytes& defaultValue) const override;

    void WriteInt(std::string_view section, std::string_view name, int value) override;
    void WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    void WriteBytes(std::string_view section, std::string_view name,
                    std::span<const std::uint8_t> value) override;

    bool Contains(std::string_view section, std::string_view name) const override;
    bool Flush() override { return true; }

    // The stored value with its kind, or nullptr when absent.
    const Value* Find(std::string_view section, std::string_view name) const;
    // How many values the section holds.
    std::size_t Count(std::string_view section) const;

private:
    using Section = std::map<std::string, Value, std::less<>>;

    void Store(std::string_view section, std::string_view name, Value value);

    std::map<std::string, Section, std::less<>> sections_;
};

}  // namespace perivant
