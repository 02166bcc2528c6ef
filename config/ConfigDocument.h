#pragma once
#include "foundation/Qx_XmlDOM.h"
#include "platform/QxStatus.h"

class Qx_NamedStr;

// Reads one configuration file of the working directory and parses it: kReadFailed when
// the file cannot be read, kNotWellFormed when its text is no well-formed document.
// Internal.
QxStatus QxLoadConfigDocument(const wchar_t* fileName, Qx_XmlDOM& document);

// The attribute's value, or fallback when the element has no such attribute (an attribute
// present with an empty value gives the empty text). Internal.
const wchar_t* QxAttrOr(const Qx_DOMElement* element, const wchar_t* name, const wchar_t* fallback);

// The value of an attribute an entry must have: kMissingAttribute, value untouched, when
// the element has none. Internal.
QxStatus QxRequiredAttr(const Qx_DOMElement* element, const wchar_t* name, Qx_WString& value);
