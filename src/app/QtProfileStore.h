#pragma once

#include <memory>
#include <utility>

#include <QDateTime>
#include <QString>

#include "app/MemoryProfileStore.h"
#include "app/ProfileStore.h"

class QSettings;

namespace perivant {

// The program's settings store: QSettings in the platform's native format for the organisation
// and application "Perivant" (on Linux $XDG_CONFIG_HOME/Perivant/Perivant.conf). Sections are
// QSettings groups. Integers are stored as integers, texts converted from Windows-1252 to Unicode,
// byte blocks as byte arrays. A hand-edited file may hold anything: a value that does not read as
// the asked kind gives the default, and an integer beyond the 32-bit range is clamped to it.
// Each write reaches the file at once; inside a batch, when the outermost batch ends. Only that
// file is read: no fallback to an organisation-wide or system-wide file.
class QtProfileStore : public ProfileStore {
public:
    QtProfileStore();
    ~QtProfileStore() override;
    QtProfileStore(const QtProfileStore&) = delete;
    QtProfileStore& operator=(const QtProfileStore&) = delete;

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
    void BeginBatch() override;
    void EndBatch() override;
    void Reload() override;
    bool Flush() override;

    // The file (or other location) that holds the settings.
    QString FileName() const;

private:
    void Written();
    bool Save();
    bool WritesStayInMemory();
    bool MayReread();
    // Where a value lives when not in the file: the store that holds it, or null.
    const ProfileStore* HeldInMemory(std::string_view section, std::string_view name) const;
    bool TakeLockBriefly() const;

    // How long a save waits for another copy of the program to finish its own, and how often it
    // looks meanwhile.
    static constexpr int kLockWaitMs = 2000;
    static constexpr int kLockRetryMs = 5;

    std::unique_ptr<QSettings> settings_;
    // Holds the settings instead when the file may not be opened (damaged and not set aside, or
    // not a file at all): nothing reads it, and nothing is written anywhere.
    std::unique_ptr<MemoryProfileStore> memory_;
    // Holds what the program writes when the file is read but cannot be saved (its lock cannot
    // be taken); read before the file.
    std::unique_ptr<MemoryProfileStore> unsaved_;
    QString fileName_;
    int batchDepth_ = 0;
    bool lockTriedInBatch_ = false;  // the lock was had once in the open batch
    // Size and time of the file when it was last found sound.
    using FileStamp = std::pair<qint64, QDateTime>;
    FileStamp CurrentStamp() const;
    FileStamp scannedStamp_{-1, QDateTime()};
};

}  // namespace perivant
