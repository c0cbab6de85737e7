#pragma once

#include "ui/WindowMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

// Handles events, and messages sent from the protocol thread, until `done` or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer waiting;
    waiting.start();
    while (!done()) {
        if (waiting.elapsed() > ms)
            return false;
        ProcessSentMessages(5);
        QCoreApplication::processEvents();
    }
    return true;
}

// Handles only the messages sent from the protocol thread until `done` or the time is up:
// posted ones (received records, ticks) stay queued.
inline bool WaitForSentOnly(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer waiting;
    waiting.start();
    while (!done()) {
        if (waiting.elapsed() > ms)
            return false;
        ProcessSentMessages(5);
    }
    return true;
}
