// Decoding a MAP-sized byte buffer. The baseline is Qt's Latin-1 widening of the same bytes, the
// cheapest possible one-pass conversion; the ANSI and Shift-JIS paths should stay within a small
// factor of it (compare the bytes_per_second figures of one run).
#include "base/UCharsetConvert.h"

#include <benchmark/benchmark.h>

#include <functional>

namespace {

constexpr qsizetype BufferSize = 16 * 1024 * 1024;

// Lines shaped like the symbol lines of a MAP file.
QByteArray MapLikeBytes()
{
    const QByteArray Line = " 0001:0000E9B8       UnitA.TFormMain.ButtonClick\r\n";
    QByteArray Bytes;
    Bytes.reserve(BufferSize + Line.size());
    while (Bytes.size() < BufferSize)
        Bytes.append(Line);
    return Bytes;
}

// Shift-JIS text: a double-byte character every few bytes keeps iconv on its multibyte path.
QByteArray ShiftJisBytes()
{
    QByteArray Bytes = MapLikeBytes();
    for (qsizetype I = 0; I + 1 < Bytes.size(); I += 8) {
        Bytes[I] = char(0x82);
        Bytes[I + 1] = char(0xA0);
    }
    return Bytes;
}

void RunDecode(benchmark::State &State, const QByteArray &Bytes, const std::function<QString()> &Decode)
{
    for (auto _ : State)
        benchmark::DoNotOptimize(Decode());
    State.SetBytesProcessed(State.iterations() * Bytes.size());
}

void BM_Latin1Baseline(benchmark::State &State)
{
    const QByteArray Bytes = MapLikeBytes();
    RunDecode(State, Bytes, [&] { return QString::fromLatin1(Bytes); });
}

void BM_AnsiCodePage1252(benchmark::State &State)
{
    SetAnsiCodePage(1252);
    const QByteArray Bytes = MapLikeBytes();
    RunDecode(State, Bytes, [&] { return BytesToText(Bytes, false); });
}

void BM_ShiftJis932(benchmark::State &State)
{
    const QByteArray Bytes = ShiftJisBytes();
    RunDecode(State, Bytes, [&] { return CodePageToText(Bytes, 932); });
}

void BM_Utf8WithMark(benchmark::State &State)
{
    const QByteArray Bytes = "\xEF\xBB\xBF" + MapLikeBytes();
    RunDecode(State, Bytes, [&] { return BytesToText(Bytes, false); });
}

} // namespace

BENCHMARK(BM_Latin1Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnsiCodePage1252)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShiftJis932)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8WithMark)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
