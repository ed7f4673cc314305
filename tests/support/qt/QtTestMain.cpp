// Test entry for everything that needs a QApplication: sockets, dialogs and
// windows all want an event loop on the main thread.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmok 2.2");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
