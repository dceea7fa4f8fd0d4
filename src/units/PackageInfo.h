#pragma once
// The PACKAGEINFO resource of a Delphi executable or package: the packages it requires and the
// units it contains with their flags. Read from the resource's bytes, bounds-checked.

#include "base/Exception.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>
#include <vector>

QUILLON_DECLARE_EXCEPTION(EPackageInfoError, Exception)

struct TPackageUnit
{
    enum TFlag : uint8_t {
        MainUnit = 0x01,
        PackageUnit = 0x02,
        Weak = 0x04,
        OriginalWeak = 0x08,
        Implicit = 0x10
    };
    QString Name;
    uint8_t Flags = 0;
    // Not pulled in by another unit: the program names it itself (or it is the program, System or
    // SysInit).
    bool NamedByProgram() const { return (Flags & Implicit) == 0; }
};

struct TPackageInfo
{
    uint32_t Flags = 0;
    QStringList Requires;
    std::vector<TPackageUnit> Contains;
};

TPackageInfo ReadPackageInfo(std::span<const uint8_t> Bytes);
