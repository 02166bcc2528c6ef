#include "afx/AfxException.h"

CException::~CException() = default;

void CException::Delete() {
    if (autoDelete_) delete this;
}

void AfxThrowResourceException() {
    static CResourceException resourceException;
    throw &resourceException;
}
