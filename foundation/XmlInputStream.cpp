#include "foundation/XmlInputStream.h"
#include <cstring>

namespace {
const char kUtf8Mark[] = "\xEF\xBB\xBF";
}  // namespace

QxXmlInputStream::QxXmlInputStream(const char* bytes, size_t count) : bytes_(bytes), count_(count) {}

HRESULT QxXmlInputStream::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(ISequentialStream)) {
        *object = static_cast<ISequentialStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT QxXmlInputStream::Read(void* buffer, ULONG wanted, ULONG* got) {
    if (!buffer) return STG_E_INVALIDPOINTER;
    if (markLeft_ > 0) {
        // The added mark goes out on its own; the text follows in the next reads.
        size_t n = wanted < markLeft_ ? wanted : markLeft_;
        memcpy(buffer, kUtf8Mark + (3 - markLeft_), n);
        markLeft_ -= n;
        if (got) *got = static_cast<ULONG>(n);
        return S_OK;
    }
    size_t left = count_ - position_;
    size_t n = wanted < left ? wanted : left;
    if (n < left) {
        // Back off to the last ASCII byte, so that no character is cut in two.
        size_t cut = n;
        while (cut > 0 && static_cast<unsigned char>(bytes_[position_ + cut - 1]) >= 0x80) --cut;
        if (cut > 0) n = cut;
    }
    memcpy(buffer, bytes_ + position_, n);
    position_ += n;
    if (got) *got = static_cast<ULONG>(n);
    return S_OK;
}
