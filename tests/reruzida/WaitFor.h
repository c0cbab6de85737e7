#pragma once

#include "ui/WindowMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

// Handles the events until `done` or the time is up; with `sentOnly`, only messages sent
// from another thread (the protocol thread posts all of its own, so they stay queued).
inline bool WaitUntil(const std::function<bool()>& done, int ms, bool sentOnly) {
    QElapsedTimer waiting;
    waiting.start();
    while (!done()) {
        if (waiting.elapsed() > ms)
            return false;
        ProcessSentMessages(5);
        if (!sentOnly)
            QCoreApplication::processEvents();
    }
    return true;
}

inline bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
    return WaitUntil(done, ms, false);
}

// Posted messages (received records, ticks) stay queued meanwhile.
inline bool WaitForSentOnly(const std::function<bool()>& done, int ms = 15000) {
    return WaitUntil(done, ms, true);
}
