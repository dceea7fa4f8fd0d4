// One main for every test program: widget tests need a QApplication on the offscreen platform (on
// Windows its own: Qt's Windows builds need not carry the offscreen one, and Wine hands a program
// no QT_ variable of the Unix environment), the others a QCoreApplication (event loop, timers,
// application paths).
#include <gtest/gtest.h>

#ifdef QUILLON_TEST_WIDGETS
#include <QApplication>
#include <QStyleFactory>
#else
#include <QCoreApplication>
#endif

int main(int argc, char **argv)
{
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QUILLON_TEST_WIDGETS
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
#else
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
