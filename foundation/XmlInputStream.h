#pragma once
#include "platform/QxWin.h"
#include <objidl.h>

// A read-only stream over UTF-8 bytes in memory for XmlLite, that never ends a read inside
// a multi-byte character: Wine's XmlLite misreads a character split between two reads.
// A read ends after an ASCII byte whenever one lies in the span asked for. The text, which
// must not carry a mark of its own, is read with a UTF-8 mark in front: Wine's XmlLite finds
// no document in unmarked UTF-8 that starts with blanks. The bytes are borrowed and must
// outlive the stream. Final, so that it is never deleted through a base: the COM interface
// has no virtual destructor to give it. Internal.
class QxXmlInputStream final : public ISequentialStream {  // NOLINT(cppcoreguidelines-virtual-class-destructor)
public:
    QxXmlInputStream(const char* bytes, size_t count);
    QxXmlInputStream(const QxXmlInputStream&) = delete;
    QxXmlInputStream& operator=(const QxXmlInputStream&) = delete;
    ~QxXmlInputStream() = default;

    // Lives on the stack of the caller: the reference count is kept but never deletes.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* got) override;
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

private:
    const char* bytes_;
    size_t count_;
    size_t position_ = 0;
    size_t markLeft_ = 3;  // bytes of the added mark not read yet
    ULONG references_ = 1;
};
