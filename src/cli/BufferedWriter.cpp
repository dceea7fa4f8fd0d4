#include "cli/BufferedWriter.h"

namespace {

constexpr qsizetype FlushSize = 1 << 20;

} // namespace

void TBufferedWriter::Write(QByteArrayView Bytes)
{
    FBuffer.append(Bytes);
    if (FBuffer.size() >= FlushSize) {
        if (!FFailed && FOutput.write(FBuffer) != FBuffer.size())
            FFailed = true;
        FBuffer.clear();
    }
}

bool TBufferedWriter::Finish()
{
    if (!FFailed && !FBuffer.isEmpty() && FOutput.write(FBuffer) != FBuffer.size())
        FFailed = true;
    FBuffer.clear();
    return !FFailed;
}
