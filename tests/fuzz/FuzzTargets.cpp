#include "FuzzTarget.h"

std::map<std::string, FuzzFunction> &FuzzTargets()
{
    static std::map<std::string, FuzzFunction> targets;
    return targets;
}
