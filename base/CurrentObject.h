#pragma once

#include <QtGlobal>

// Makes the newest living object of class T (which derives from this) the current one:
// constructing one makes it current, destroying it brings back the newest one still living. So
// a program's run-wide state is made by main() (or by a test, afresh) and reached through
// T::Current() without a global of its own. There must be a current object when Current() is
// called.
//
// The living objects form a chain from the current one through each one's FOuter, newest
// first. An object may end before a newer one (two sessions ended in the other order), so each
// unlinks only itself from the chain: the chain never leads to an object that has ended.
template <class T> class TCurrentObject {
public:
    TCurrentObject(const TCurrentObject&) = delete;
    TCurrentObject& operator=(const TCurrentObject&) = delete;

    static T& Current() {
        if (!FCurrent)
            qFatal("No current object of its class");
        return static_cast<T&>(*FCurrent);
    }

protected:
    TCurrentObject() : FOuter(FCurrent) { FCurrent = this; }
    ~TCurrentObject() {
        TCurrentObject** link = &FCurrent;
        while (*link && *link != this)
            link = &(*link)->FOuter;
        // Every living object is in the chain; one missing means it is broken.
        if (!*link)
            qFatal("An ending object was not in the chain of living objects");
        *link = FOuter;
    }

private:
    TCurrentObject* FOuter;
    static inline TCurrentObject* FCurrent = nullptr;
};
