#include "env/PeVersionReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "env/VersionInfoReader.h"

namespace perivant {

namespace {

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kVersionResourceType = 16;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;

// Random access to the bytes of an image, in memory or in a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly size bytes at offset; false when they are not all there.
    virtual bool Read(uint64_t offset, uint8_t* out, size_t size) const = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    uint64_t Size() const override { return m_bytes.size(); }
    bool Read(uint64_t offset, uint8_t* out, size_t size) const override {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset) {
            return false;
        }
        if (size != 0) {
            std::memcpy(out, m_bytes.data() + offset, size);
        }
        return true;
    }

private:
    std::span<const uint8_t> m_bytes;
};

class FileSource : public ByteSource {
public:
    FileSource(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, uint8_t* out, size_t size) const override {
        if (offset > m_size || size > m_size - offset) {
            return false;
        }
        size_t done = 0;
        while (done < size) {
            ssize_t got = ::pread(m_fd, out + done, size - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;  // the file shrank or cannot be read
            }
            done += static_cast<size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
    uint64_t m_size;
};

uint16_t Word(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Dword(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawPointer;
};

// The parts of an image that resource lookups need.
class Image {
public:
    explicit Image(const ByteSource& source) : m_source(source) {}

    bool ReadHeaders();
    bool FindVersionBlock(std::vector<uint8_t>& block) const;

private:
    // How many bytes at rva are backed by the file, and where they start in it.
    uint64_t MappedBytes(uint64_t rva, uint64_t& offset) const;
    bool ReadRva(uint64_t rva, uint8_t* out, size_t size) const;
    // The entry table of the directory at offset (from the resource root).
    bool ReadDirectory(uint64_t offset, std::vector<uint8_t>& entries, size_t& count) const;

    const ByteSource& m_source;
    uint32_t m_headersSize = 0;
    uint32_t m_resourceRva = 0;
    std::vector<Section> m_sections;
};

bool Image::ReadHeaders() {
    uint8_t dos[64];
    if (!m_source.Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') {
        return false;
    }
    uint64_t peOffset = Dword(dos + 0x3C);
    uint8_t pe[24];  // signature and file header
    if (!m_source.Read(peOffset, pe, sizeof pe) || std::memcmp(pe, "PE\0\0", 4) != 0) {
        return false;
    }
    size_t sectionCount = Word(pe + 4 + 2);
    size_t optionalSize = Word(pe + 4 + 16);
    uint64_t optionalOffset = peOffset + sizeof pe;

    std::vector<uint8_t> optional(optionalSize);
    if (optionalSize < 2 || !m_source.Read(optionalOffset, optional.data(), optionalSize)) {
        return false;
    }
    size_t countAt = 0;
    uint16_t magic = Word(optional.data());
    if (magic == kPe32Magic) {
        countAt = 92;
    } else if (magic == kPe32PlusMagic) {
        countAt = 108;
    } else {
        return false;
    }
    size_t directoryAt = countAt + 4 + 8 * kResourceDirectoryIndex;
    if (optionalSize < directoryAt + 8 || Dword(&optional[countAt]) <= kResourceDirectoryIndex) {
        return false;
    }
    m_headersSize = Dword(&optional[60]);
    m_resourceRva = Dword(&optional[directoryAt]);
    if (m_resourceRva == 0 || Dword(&optional[directoryAt + 4]) == 0) {
        return false;  // no resources at all
    }

    std::vector<uint8_t> table(sectionCount * kSectionHeaderSize);
    if (!m_source.Read(optionalOffset + optionalSize, table.data(), table.size())) {
        return false;
    }
    m_sections.reserve(sectionCount);
    for (size_t i = 0; i < sectionCount; ++i) {
        const uint8_t* header = &table[i * kSectionHeaderSize];
        m_sections.push_back(
            {Dword(header + 12), Dword(header + 8), Dword(header + 16), Dword(header + 20)});
    }
    return true;
}

uint64_t Image::MappedBytes(uint64_t rva, uint64_t& offset) const {
    for (const Section& section : m_sections) {
        // In memory a section spans its virtual size, or its raw size when that is zero; only
        // the part that the file backs can be read.
        uint64_t span = section.virtualSize != 0 ? section.virtualSize : section.rawSize;
        uint64_t backed = section.rawSize < span ? section.rawSize : span;
        if (rva >= section.virtualAddress && rva - section.virtualAddress < backed) {
            uint64_t into = rva - section.virtualAddress;
            offset = section.rawPointer + into;
            return backed - into;
        }
    }
    if (rva < m_headersSize) {
        offset = rva;  // the headers are mapped as they lie in the file
        return m_headersSize - rva;
    }
    return 0;
}

bool Image::ReadRva(uint64_t rva, uint8_t* out, size_t size) const {
    uint64_t offset = 0;
    return MappedBytes(rva, offset) >= size && m_source.Read(offset, out, size);
}

bool Image::ReadDirectory(uint64_t offset, std::vector<uint8_t>& entries, size_t& count) const {
    uint8_t header[kDirectoryHeaderSize];
    if (!ReadRva(m_resourceRva + offset, header, sizeof header)) {
        return false;
    }
    count = static_cast<size_t>(Word(header + 12)) + Word(header + 14);
    entries.resize(count * kDirectoryEntrySize);
    return ReadRva(m_resourceRva + offset + kDirectoryHeaderSize, entries.data(), entries.size());
}

bool Image::FindVersionBlock(std::vector<uint8_t>& block) const {
    std::vector<uint8_t> entries;
    size_t count = 0;

    // Level 1: the resource type; only an id entry can be type 16.
    if (!ReadDirectory(0, entries, count)) {
        return false;
    }
    uint32_t next = 0;
    bool found = false;
    for (size_t i = 0; i < count && !found; ++i) {
        uint32_t name = Dword(&entries[i * kDirectoryEntrySize]);
        uint32_t target = Dword(&entries[i * kDirectoryEntrySize + 4]);
        if (name == kVersionResourceType && (target & kHighBit) != 0) {
            next = target & ~kHighBit;
            found = true;
        }
    }
    if (!found) {
        return false;
    }

    // Level 2: the first name or id; it must lead to a language directory.
    if (!ReadDirectory(next, entries, count) || count == 0) {
        return false;
    }
    uint32_t target = Dword(&entries[4]);
    if ((target & kHighBit) == 0) {
        return false;
    }

    // Level 3: the first language; it must lead to data, not to yet another directory.
    if (!ReadDirectory(target & ~kHighBit, entries, count) || count == 0) {
        return false;
    }
    target = Dword(&entries[4]);
    if ((target & kHighBit) != 0) {
        return false;
    }

    uint8_t data[kDataEntrySize];
    if (!ReadRva(m_resourceRva + static_cast<uint64_t>(target), data, sizeof data)) {
        return false;
    }
    uint32_t dataRva = Dword(data);
    uint64_t size = Dword(data + 4);
    uint64_t offset = 0;
    uint64_t backed = MappedBytes(dataRva, offset);
    if (size > PeVersionReader::kMaxVersionBlock) {
        size = PeVersionReader::kMaxVersionBlock;
    }
    if (size > backed) {
        size = backed;  // a resource that runs past its section's file data keeps what is there
    }
    if (size == 0) {
        return false;
    }
    block.resize(size);
    return m_source.Read(offset, block.data(), block.size());
}

bool FindVersionBlock(const ByteSource& source, std::vector<uint8_t>& block) {
    Image image(source);
    std::vector<uint8_t> found;
    if (!image.ReadHeaders() || !image.FindVersionBlock(found)) {
        return false;
    }
    block = std::move(found);
    return true;
}

}  // namespace

bool PeVersionReader::ReadVersionBlock(std::span<const uint8_t> image,
                                       std::vector<uint8_t>& block) {
    return FindVersionBlock(MemorySource(image), block);
}

bool PeVersionReader::ReadVersionBlock(const std::string& path, std::vector<uint8_t>& block) {
    // Non-blocking, so that a FIFO put in a DLL's place cannot stall the open; it is then refused
    // as not a regular file.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat status;
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
              FindVersionBlock(FileSource(fd, static_cast<uint64_t>(status.st_size)), block);
    ::close(fd);
    return ok;
}

bool PeVersionReader::ReadFileVersion(const std::string& path, uint64_t& version) {
    std::vector<uint8_t> block;
    FixedFileInfo info;
    if (!ReadVersionBlock(path, block) || !VersionInfoReader(block).QueryFixedFileInfo(info)) {
        return false;
    }
    version = info.FileVersion();
    return true;
}

}  // namespace perivant
