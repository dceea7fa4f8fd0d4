#pragma once
// Where a PE image's bytes come from: memory, or a file read a page at a time as the reader asks
// for them. A report reads the headers, the directories and a few resources of an executable whose
// code may be a hundred megabytes; reading only those pages keeps the executable's share of a
// report small.

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

class TPeSource
{
public:
    virtual ~TPeSource() = default;
    virtual uint64_t Size() const = 0;
    // The bytes [Offset, Offset + Count), which the caller has checked lie in the file; valid as
    // long as the source. Raises EPeFormatError when the file cannot be read there.
    virtual const uint8_t *Load(uint64_t Offset, uint64_t Count) const = 0;
};

class TPeMemorySource : public TPeSource
{
public:
    explicit TPeMemorySource(std::vector<uint8_t> Bytes) : FBytes(std::move(Bytes)) {}
    uint64_t Size() const override { return FBytes.size(); }
    const uint8_t *Load(uint64_t Offset, uint64_t) const override { return FBytes.data() + Offset; }

private:
    std::vector<uint8_t> FBytes;
};

class TPeFileSource : public TPeSource
{
public:
    // Raises EPeFormatError when the file cannot be opened or is larger than a PE file can be.
    explicit TPeFileSource(const std::string &FileName);
    uint64_t Size() const override { return FSize; }
    const uint8_t *Load(uint64_t Offset, uint64_t Count) const override;

private:
    static constexpr uint64_t PageSize = 64 * 1024;
    mutable std::ifstream FFile;
    uint64_t FSize = 0;
    // Allocated whole, filled page by page: pages never asked for are never touched.
    std::unique_ptr<uint8_t[]> FBuffer;
    mutable std::vector<bool> FLoaded;
};
