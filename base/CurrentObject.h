#pragma once

#include <QtGlobal>

// Makes the newest living object of class T (which derives from this) the current one:
// constructing one makes it current, destroying it brings back the one before. So a program's
// run-wide state is made by main() (or by a test, afresh) and reached through T::Current()
// without a global of its own. There must be a current object when Current() is called.
template <class T> class TCurrentObject {
public:
    TCurrentObject(const TCurrentObject&) = delete;
    TCurrentObject& operator=(const TCurrentObject&) = delete;

    static T& Current() {
        Q_ASSERT(FCurrent);
        return static_cast<T&>(*FCurrent);
    }

protected:
    TCurrentObject() : FOuter(FCurrent) { FCurrent = this; }
    ~TCurrentObject() { FCurrent = FOuter; }

private:
    TCurrentObject* const FOuter;
    static inline TCurrentObject* FCurrent = nullptr;
};
