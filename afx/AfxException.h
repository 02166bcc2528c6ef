#pragma once
#include "platform/QxExport.h"

// The framework's exceptions are thrown by pointer. The resource exception is one static
// object that Delete leaves alone, so a handler that deletes it, or forgets to, is safe.
class QX_API CException {
public:
    virtual ~CException();
    // An exception is handled through the pointer that was thrown, never copied.
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;
    // Frees the exception if it was made on the heap; static exceptions stay.
    void Delete();

protected:
    explicit CException(bool autoDelete) : autoDelete_(autoDelete) {}

private:
    bool autoDelete_;
};

class QX_API CResourceException : public CException {
public:
    CResourceException() : CException(false) {}
};

// Throws the static resource exception (a window class or resource that could not be had).
[[noreturn]] QX_API void AfxThrowResourceException();
