#include "pe/PeSource.h"

#include "pe/PeFormatError.h"
#include "pe/PeImage.h"

TPeFileSource::TPeFileSource(const std::string &FileName) : FFile(FileName, std::ios::binary | std::ios::ate)
{
    if (!FFile)
        throw EPeFormatError("cannot be opened");
    const std::streamoff size = FFile.tellg();
    if (size < 0)
        throw EPeFormatError("cannot be read");
    if (uint64_t(size) > TPeImage::MaxFileSize)
        throw EPeFormatError("is larger than a PE file can be (4 GB)");
    FSize = uint64_t(size);
    FBuffer.reset(new uint8_t[FSize > 0 ? FSize : 1]);
    FLoaded.assign(size_t((FSize + PageSize - 1) / PageSize), false);
}

const uint8_t *TPeFileSource::Load(uint64_t Offset, uint64_t Count) const
{
    const uint64_t end = Offset + (Count > 0 ? Count : 1);
    for (uint64_t page = Offset / PageSize; page < FLoaded.size() && page * PageSize < end; ++page) {
        if (FLoaded[page])
            continue;
        const uint64_t from = page * PageSize;
        const uint64_t count = std::min(PageSize, FSize - from);
        FFile.clear();
        FFile.seekg(std::streamoff(from));
        // Mended: a file cut short while it is read gives a message, not bytes never written.
        if (!FFile.read(reinterpret_cast<char *>(FBuffer.get() + from), std::streamsize(count)))
            throw EPeFormatError("cannot be read (it changed while it was read)");
        FLoaded[page] = true;
    }
    return FBuffer.get() + Offset;
}
