#pragma once
#include "platform/QxWin.h"
#include <unknwn.h>

// Holds one COM interface pointer and releases it once. Move-only.
template <class T>
class QxComPtr {
public:
    QxComPtr() = default;
    ~QxComPtr() { Reset(); }
    QxComPtr(const QxComPtr&) = delete;
    QxComPtr& operator=(const QxComPtr&) = delete;
    QxComPtr(QxComPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }

    // Adopts a pointer that already carries a reference.
    void Attach(T* ptr) { Reset(); ptr_ = ptr; }
    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For out-parameters: releases what is held and gives the slot.
    T** Put() { Reset(); return &ptr_; }
    void Reset() { if (ptr_) ptr_->Release(); ptr_ = nullptr; }

private:
    T* ptr_ = nullptr;
};
