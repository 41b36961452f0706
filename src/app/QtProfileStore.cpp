#include "app/QtProfileStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include "app/SettingsFileScan.h"
#include "text/Trace.h"
#include "text/Windows1252.h"

namespace perivant {

namespace {

QString Key(std::string_view section, std::string_view name) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + u'/' +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

int Clamp(long long value) {
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// A whole decimal integer with an optional sign and surrounding blanks, saturated far beyond the
// 32-bit range before the clamp. Anything else ("abc", "12px", "") is not a number.
std::optional<int> ParseInteger(const QString& text) {
    QString t = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < t.size() && (t[at] == u'-' || t[at] == u'+')) {
        negative = t[at] == u'-';
        ++at;
    }
    if (at == t.size()) {
        return std::nullopt;
    }
    long long magnitude = 0;
    for (; at < t.size(); ++at) {
        char16_t c = t[at].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        if (magnitude < (1LL << 40)) {
            magnitude = magnitude * 10 + (c - u'0');
        }
    }
    return Clamp(negative ? -magnitude : magnitude);
}

std::unique_ptr<QSettings> UserSettings() {
    auto settings =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                    QStringLiteral("Perivant"), QStringLiteral("Perivant"));
    // Other files (an organisation file beside the folder, system-wide ones) escape the scan
    // below, and a value missing here must give the program's default.
    settings->setFallbacksEnabled(false);
    return settings;
}

// The file QSettings keeps for this organisation and application: on this platform, in the
// folder that QStandardPaths names (QSettings asks it the same, once per process).
QString UserSettingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Perivant/Perivant.conf");
}

// The file's text, or nothing when it cannot be read.
std::optional<QByteArray> FileText(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

bool HoldsStreamedValue(const std::optional<QByteArray>& text) {
    return text && SettingsFileHoldsStreamedValue(
                       std::string_view(text->constData(), static_cast<size_t>(text->size())));
}

// Whether a file the settings object just wrote holds every value it has: its writer ends every
// line with a line feed and puts one value on each line.
bool HoldsEveryValue(const std::optional<QByteArray>& text, qsizetype values) {
    if (!text) {
        return false;
    }
    if (values == 0) {
        return true;
    }
    if (text->isEmpty() || !text->endsWith('\n')) {
        return false;
    }
    qsizetype lines = 0;
    for (const QByteArray& line : text->split('\n')) {
        lines += !line.startsWith('[') && line.contains('=') ? 1 : 0;
    }
    return lines >= values;
}

// Whether the settings object may open the file: checked before it does, since it reads the
// whole file when made.
bool MayOpen(const QString& fileName) {
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        // A device, pipe or folder in the file's place (a link to /dev/null, say): reading it
        // may never end, and a save would replace it with a file.
        Trace(TraceWarning, "Settings file %s is not a file; using the defaults\n",
              fileName.toLocal8Bit().constData());
        return false;
    }
    if (!HoldsStreamedValue(FileText(fileName))) {
        return true;  // missing, unreadable (the settings object copes) or sound
    }
    // Kept for the user to look at; the settings start again from their defaults.
    const QString aside = fileName + QStringLiteral(".damaged");
    QFile::remove(aside);
    const bool moved = QFile::rename(fileName, aside);
    Trace(TraceWarning, "Settings file %s cannot be read safely; %s\n",
          fileName.toLocal8Bit().constData(),
          moved ? ("moved to " + aside.toLocal8Bit()).constData() : "using the defaults");
    return moved;
}

// The file's number on its disk, 0 when there is no such file: a save that wrote the file gave
// it a new number.
ino_t FileNumber(const QByteArray& file) {
    struct stat status {};
    return ::stat(file.constData(), &status) == 0 ? status.st_ino : 0;
}

// Without a second name for the old file (a file system without hard links), a save cut short
// leaves the new file cut, perhaps in the middle of a value that the next start would take as
// the whole. Cut back to its last line feed, which needs no room, it loses values but holds no
// wrong one.
void CutToLastWholeLine(const QByteArray& file, const std::optional<QByteArray>& text) {
    if (text) {
        QFile::resize(QFile::decodeName(file), text->lastIndexOf('\n') + 1);
    }
}

// Whether a save can take the lock file that QSettings puts beside the settings: it waits for that
// lock without end, and a folder or a dangling link in its place can never be taken, so the
// program would hang at its first save (at the latest when it closes).
bool LockUsable(const QString& fileName) {
    const QString lockName = fileName + QStringLiteral(".lock");
    const QFileInfo lock(lockName);
    if ((lock.exists() || lock.isSymLink()) && !lock.isFile()) {
        Trace(TraceWarning, "Settings lock %s is not a file; settings will not be saved\n",
              lockName.toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace

QtProfileStore::QtProfileStore() : fileName_(UserSettingsPath()) {
    // Where the file may not be opened, nothing reads it and no other file stands in (a
    // settings object on /dev/null replaced that device with a file, as root): the settings
    // live in memory until the program ends, as if every write had failed.
    if (!MayOpen(fileName_)) {
        memory_ = std::make_unique<MemoryProfileStore>();
        return;
    }
    settings_ = UserSettings();
    if (settings_->fileName() != fileName_) {
        // The process's first settings object fixed another folder: check that file instead.
        fileName_ = settings_->fileName();
        settings_.reset();
        if (!MayOpen(fileName_)) {
            memory_ = std::make_unique<MemoryProfileStore>();
            return;
        }
        settings_ = UserSettings();
    }
    // Reading takes no lock: the file is still read, and what the program writes stays in
    // memory on top of it.
    if (!LockUsable(fileName_)) {
        unsaved_ = std::make_unique<MemoryProfileStore>();
    }
}

QtProfileStore::~QtProfileStore() {
    if (settings_ && !unsaved_ && MayReread()) {
        Save();
    }
}

const ProfileStore* QtProfileStore::HeldInMemory(std::string_view section,
                                                 std::string_view name) const {
    if (memory_) {
        return memory_.get();
    }
    return unsaved_ && unsaved_->Contains(section, name) ? unsaved_.get() : nullptr;
}

int QtProfileStore::ReadInt(std::string_view section, std::string_view name,
                            int defaultValue) const {
    if (const ProfileStore* held = HeldInMemory(section, name)) {
        return held->ReadInt(section, name, defaultValue);
    }
    QVariant value = settings_->value(Key(section, name));
    switch (value.typeId()) {
        case QMetaType::Int:
            return value.toInt();
        case QMetaType::UInt:
        case QMetaType::LongLong:
            return Clamp(value.toLongLong());
        case QMetaType::ULongLong: {
            qulonglong number = value.toULongLong();
            return number > INT_MAX ? INT_MAX : static_cast<int>(number);
        }
        case QMetaType::QString:
            // What a file read back holds: every integer is text there.
            return ParseInteger(value.toString()).value_or(defaultValue);
        default:
            return defaultValue;
    }
}

std::string QtProfileStore::ReadString(std::string_view section, std::string_view name,
                                       std::string_view defaultValue) const {
    if (const ProfileStore* held = HeldInMemory(section, name)) {
        return held->ReadString(section, name, defaultValue);
    }
    QVariant value = settings_->value(Key(section, name));
    QString text;
    switch (value.typeId()) {
        case QMetaType::QString:
            text = value.toString();
            break;
        case QMetaType::QStringList:
            // An unquoted comma in a hand-edited file splits the text into a list.
            text = value.toStringList().join(QStringLiteral(", "));
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            text = value.toString();
            break;
        default:
            return std::string(defaultValue);
    }
    return UnicodeToWindows1252(text.toStdU16String());
}

ProfileStore::Bytes QtProfileStore::ReadBytes(std::string_view section, std::string_view name,
                                              const Bytes& defaultValue) const {
    if (const ProfileStore* held = HeldInMemory(section, name)) {
        return held->ReadBytes(section, name, defaultValue);
    }
    QVariant value = settings_->value(Key(section, name));
    if (value.typeId() != QMetaType::QByteArray) {
        return defaultValue;
    }
    QByteArray block = value.toByteArray();
    return Bytes(block.begin(), block.end());
}

void QtProfileStore::WriteInt(std::string_view section, std::string_view name, int value) {
    if (WritesStayInMemory()) {
        (memory_ ? memory_ : unsaved_)->WriteInt(section, name, value);
        return;
    }
    settings_->setValue(Key(section, name), value);
    Written();
}

void QtProfileStore::WriteString(std::string_view section, std::string_view name,
                                 std::string_view value) {
    if (WritesStayInMemory()) {
        (memory_ ? memory_ : unsaved_)->WriteString(section, name, value);
        return;
    }
    settings_->setValue(Key(section, name), QString::fromStdU16String(Windows1252ToUnicode(value)));
    Written();
}

void QtProfileStore::WriteBytes(std::string_view section, std::string_view name,
                                std::span<const std::uint8_t> value) {
    if (WritesStayInMemory()) {
        (memory_ ? memory_ : unsaved_)->WriteBytes(section, name, value);
        return;
    }
    settings_->setValue(Key(section, name), QByteArray(reinterpret_cast<const char*>(value.data()),
                                                       static_cast<qsizetype>(value.size())));
    Written();
}

bool QtProfileStore::Contains(std::string_view section, std::string_view name) const {
    if (const ProfileStore* held = HeldInMemory(section, name)) {
        return held->Contains(section, name);
    }
    return settings_->contains(Key(section, name));
}

void QtProfileStore::BeginBatch() {
    ++batchDepth_;
}

void QtProfileStore::EndBatch() {
    if (batchDepth_ == 0 || --batchDepth_ > 0) {
        return;
    }
    lockTriedInBatch_ = false;
    if (settings_ && !unsaved_) {
        Save();
    }
}

// Every sync rereads the file when its size or time changed, and the file was checked for values
// that would crash the reader only at start: another copy of the program, or a hand, may have
// changed it since. Such a file is left alone: the values read so far stay, and what the program
// writes from then on stays in memory.
bool QtProfileStore::MayReread() {
    // The settings object rereads only a file whose size or time changed; so is it scanned.
    const FileStamp stamp = CurrentStamp();
    if (stamp == scannedStamp_) {
        return true;
    }
    if (!HoldsStreamedValue(FileText(fileName_))) {
        scannedStamp_ = stamp;
        return true;
    }
    Trace(TraceWarning, "Settings file %s cannot be read safely; settings will not be saved\n",
          fileName_.toLocal8Bit().constData());
    unsaved_ = std::make_unique<MemoryProfileStore>();
    return false;
}

// A value handed to the settings object is saved by a sync, which first waits without end for
// the lock file beside the settings: a stale lock that cannot be removed (a read-only folder) or
// one held by a process that never lets go would hang the program. So the lock is tried, with a
// time limit, before the first write of each save; when it cannot be had, this write and all
// later ones stay in memory for the rest of the run.
bool QtProfileStore::WritesStayInMemory() {
    if (memory_ || unsaved_) {
        return true;
    }
    if (batchDepth_ > 0 && lockTriedInBatch_) {
        return false;
    }
    if (!MayReread()) {
        return true;
    }
    // The first save of a first run makes the folder; so does the sync, for the file.
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    if (TakeLockBriefly()) {
        lockTriedInBatch_ = batchDepth_ > 0;
        return false;
    }
    Trace(TraceWarning, "Settings lock %s cannot be taken; settings will not be saved\n",
          (fileName_ + QStringLiteral(".lock")).toLocal8Bit().constData());
    unsaved_ = std::make_unique<MemoryProfileStore>();
    return true;
}

// QSettings keeps what it read and looks at the file again only when it syncs; with nothing to
// write, a sync rereads the file if its size or time changed, and takes no lock.
void QtProfileStore::Reload() {
    if (settings_ && !unsaved_ && batchDepth_ == 0 && MayReread()) {
        settings_->sync();
    }
}

// Tries the lock often: another copy that saves again and again holds it only a millisecond at a
// time, and a lock that is free most of the time must not count as never free. A lock that cannot
// be made at all (a folder the user may not write) fails at once, as the sync would.
bool QtProfileStore::TakeLockBriefly() const {
    QLockFile lock(fileName_ + QStringLiteral(".lock"));
    const QDeadlineTimer deadline(kLockWaitMs);
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(kLockRetryMs);
    }
    return true;  // let go at once: the sync takes it again
}

// Values owned by single features (help and notice marks) are written one at a time and must
// survive a crash right after; only a batch may wait.
void QtProfileStore::Written() {
    if (batchDepth_ == 0 && settings_ && !unsaved_) {
        Save();
    }
}

bool QtProfileStore::Flush() {
    if (!settings_ || unsaved_) {
        return false;  // nothing reaches the file
    }
    return Save();
}

// The settings object saves by writing a new file and renaming it over the old one, and a write
// that fails part of the way (a nearly full disk) does not stop the rename: the file was left
// empty or cut, with no error reported. So the old file keeps a second name (a hard link, which
// needs no room on the disk) until the new one is seen whole, and gets its name back otherwise;
// what the program writes from then on stays in memory.
bool QtProfileStore::Save() {
    // A settings file that is a link to another is saved into that other one, as the settings
    // object does.
    const QString target = QFileInfo(fileName_).canonicalFilePath();
    const QByteArray file = QFile::encodeName(target.isEmpty() ? fileName_ : target);
    const QByteArray previous = file + ".previous";
    ::unlink(previous.constData());
    const ino_t oldFile = FileNumber(file);
    const bool kept = oldFile != 0 && ::link(file.constData(), previous.constData()) == 0;
    settings_->sync();
    bool whole = true;
    std::optional<QByteArray> text;
    if (FileNumber(file) != oldFile) {
        // What was written is read once: to see that it is whole, and so that the next save or
        // reread need not scan it again.
        const FileStamp stamp = CurrentStamp();
        text = FileText(fileName_);
        whole = HoldsEveryValue(text, settings_->allKeys().size());
        if (whole && !HoldsStreamedValue(text)) {
            scannedStamp_ = stamp;
        }
    }
    if (kept) {
        if (whole) {
            ::unlink(previous.constData());
        } else {
            ::rename(previous.constData(), file.constData());
        }
    } else if (!whole) {
        CutToLastWholeLine(file, text);
    }
    if (!whole) {
        Trace(TraceWarning, "Settings file %s could not be written whole; %s\n", file.constData(),
              kept ? "the previous one is kept and settings will not be saved"
                   : "it is cut back to its last whole line and settings will not be saved");
        unsaved_ = std::make_unique<MemoryProfileStore>();
        return false;
    }
    return settings_->status() == QSettings::NoError;
}

QtProfileStore::FileStamp QtProfileStore::CurrentStamp() const {
    const QFileInfo info(fileName_);
    return {info.size(), info.lastModified()};
}

QString QtProfileStore::FileName() const {
    return fileName_;
}

}  // namespace perivant
