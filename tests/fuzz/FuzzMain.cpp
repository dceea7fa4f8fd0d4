// libFuzzer entry of a program that links exactly one target.
#include "FuzzTarget.h"

#include <QApplication>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    if (FuzzTargets().size() != 1)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzTargets().begin()->second(data, size);
    return 0;
}
