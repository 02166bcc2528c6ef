#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_WString.h"

// 1 when text is a valid name: it does not start with a digit and holds only ASCII letters,
// digits and "_"; with a non-zero extended flag also " ", ",", "&", "'", "(", ")" and "*".
// The empty text is valid. The second, third and fourth arguments are accepted for the
// callers' sake and do not affect the answer.
QX_API int qx_ValidationSpecialChar(Qx_WString text, const wchar_t* reserved1, int reserved2, int reserved3,
                                    int extended);

// 1 when every character of text is a letter (iswalpha); the empty or null text gives 1.
QX_API int qx_IsAlpha(const wchar_t* text);
