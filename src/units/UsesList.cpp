#include "units/UsesList.h"

using namespace Qt::Literals::StringLiterals;

QString UsesOriginText(TUsesOrigin Origin)
{
    switch (Origin) {
    case TUsesOrigin::Dcu:
        return u"dcu"_s;
    case TUsesOrigin::Source:
        return u"source"_s;
    case TUsesOrigin::Exe:
        return u"exe"_s;
    }
    return {};
}

QString UsesKindText(TUsesKind Kind)
{
    switch (Kind) {
    case TUsesKind::Interface:
        return u"interface"_s;
    case TUsesKind::Implementation:
        return u"implementation"_s;
    case TUsesKind::Program:
        return u"program"_s;
    }
    return {};
}
