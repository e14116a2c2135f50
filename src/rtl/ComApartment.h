// The component object model for the current thread while the holder lives:
// CoInitialize when made, and CoUninitialize when that succeeded, so the
// calls stay balanced however many holders a thread has.
#pragma once

#include <windows.h>

#include <objbase.h>

class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialized_) {
            CoUninitialize();
        }
    }

private:
    bool initialized_;
};
