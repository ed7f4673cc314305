#pragma once
// Driving a modal dialog that an action opens and runs in its own loop.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "support/QtWait.h"

namespace velmok::test {

// Runs action; the first modal dialog of type T that comes up meanwhile (or
// within timeoutMs after) is handed to drive. A dialog that drive leaves
// open is cancelled, so no test waits for a user. True when it was driven.
template <typename T>
bool WithModal(const std::function<void()>& action, const std::function<void(T*)>& drive,
               int timeoutMs = 3000) {
    bool driven = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || driven) return;
        driven = true;
        QPointer<T> guard(dialog);
        drive(dialog);
        if (guard && guard->isVisible()) guard->reject();
    });
    poll.start();
    action();
    WaitUntil([&] { return driven; }, timeoutMs);
    return driven;
}

}  // namespace velmok::test
