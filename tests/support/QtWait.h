#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace velmok::test {

// Runs the Qt event loop until `done` holds or timeoutMs pass; returns
// whether it held. A short repeating timer wakes the loop, so waiting for
// more events never sleeps past the deadline.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setInterval(10);
    wake.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs the event loop for a while, for checking that something does NOT happen.
inline void SpinFor(int ms) {
    WaitUntil([] { return false; }, ms);
}

}  // namespace velmok::test
