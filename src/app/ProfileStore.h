#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace perivant {

// What the program needs of a per-user settings store: named sections of named values that are
// integers, texts (Windows-1252 bytes) or byte blocks. The program's store is QSettings
// (QtProfileStore); tests use MemoryProfileStore. Used on the GUI thread only.
class ProfileStore {
public:
    using Bytes = std::vector<std::uint8_t>;

    virtual ~ProfileStore() = default;

    // Each read gives defaultValue when the value is absent or holds something that is not of the
    // asked kind (a text where a number belongs, say, from a hand-edited file). Nothing throws.
    virtual int ReadInt(std::string_view section, std::string_view name,
                        int defaultValue) const = 0;
    virtual std::string ReadString(std::string_view section, std::string_view name,
                                   std::string_view defaultValue) const = 0;
    virtual Bytes ReadBytes(std::string_view section, std::string_view name,
                            const Bytes& defaultValue) const = 0;

    // Writes create the section and the value as needed and replace any earlier value, whatever
    // its kind.
    virtual void WriteInt(std::string_view section, std::string_view name, int value) = 0;
    virtual void WriteString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;
    virtual void WriteBytes(std::string_view section, std::string_view name,
                            std::span<const std::uint8_t> value) = 0;

    // Whether the value exists, of any kind.
    virtual bool Contains(std::string_view section, std::string_view name) const = 0;

    // A write is durable when it returns, except inside a batch: there the store may hold the
    // writes until the outermost batch ends. A full save is one batch, so it costs one file write
    // instead of one per value. Batches nest; use ProfileBatch rather than calling these.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}

    // Takes in what another copy of the program may have written since, for the values that are
    // read at the moment of use (help-message flags, Master Server notice marks) rather than once
    // at start-up.
    virtual void Reload() {}

    // Makes every write so far durable. False when the backing storage could not be written; the
    // program carries on either way.
    virtual bool Flush() = 0;
};

// Holds a batch of writes open for its lifetime.
class ProfileBatch {
public:
    explicit ProfileBatch(ProfileStore& store) : store_(store) { store_.BeginBatch(); }
    ~ProfileBatch() { store_.EndBatch(); }
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;

private:
    ProfileStore& store_;
};

}  // namespace perivant
