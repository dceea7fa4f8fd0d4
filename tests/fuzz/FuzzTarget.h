#pragma once
// A fuzz target is a function of raw bytes registered under a name. The libFuzzer programs link one
// target each; the regression test links them all and replays every kept input.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

using FuzzFunction = void (*)(const uint8_t *data, size_t size);

std::map<std::string, FuzzFunction> &FuzzTargets();

struct FuzzRegistration
{
    FuzzRegistration(const char *name, FuzzFunction function) { FuzzTargets()[name] = function; }
};

#define QUILLON_FUZZ_TARGET(Name)                                                                           \
    static void Name##Fuzz(const uint8_t *data, size_t size);                                               \
    static const FuzzRegistration Name##Registration(#Name, Name##Fuzz);                                    \
    static void Name##Fuzz(const uint8_t *data, size_t size)

// The input read as UTF-16 code units (odd trailing byte dropped): every unit value is reachable.
inline QString FuzzInputAsUtf16(const uint8_t *data, size_t size)
{
    return QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
}
