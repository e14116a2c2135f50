// Owns one reference to a COM object; released with the holder.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller owns (from CoCreateInstance, say).
    explicit ComPtr(T* object) : object_(object) {}
    ComPtr(const ComPtr& other) : object_(other.object_) {
        if (object_ != nullptr) {
            object_->AddRef();
        }
    }
    ComPtr& operator=(const ComPtr& other) {
        ComPtr copy(other);
        std::swap(object_, copy.object_);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    void Reset(T* object = nullptr) {
        if (object_ != nullptr) {
            object_->Release();
        }
        object_ = object;
    }
    // For functions that hand out a new reference through a T**.
    T** Put() {
        Reset();
        return &object_;
    }
    // A new reference for the caller.
    T* Detach() { return std::exchange(object_, nullptr); }

    // The object as interface U, or empty when it does not answer to it.
    template <typename U>
    ComPtr<U> As(const IID& iid) const {
        ComPtr<U> result;
        if (object_ != nullptr) {
            object_->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
        }
        return result;
    }

private:
    T* object_ = nullptr;
};
