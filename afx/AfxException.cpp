#include "afx/AfxException.h"

CException::~CException() = default;

void CException::Delete() {
    if (autoDelete_) delete this;
}

void AfxThrowResourceException() {
    static CResourceException resourceException;
    // The framework's handlers catch CResourceException*: the pointer is the contract.
    throw &resourceException;  // NOLINT(cert-err09-cpp,cert-err61-cpp)
}
