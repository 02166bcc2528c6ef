#pragma once
#include "foundation/Qx_XmlDOM.h"

class Qx_NamedStr;

// How loading a configuration file ended.
enum class QxConfigLoad { Ok, ReadFailed, ParseFailed };

// Reads one configuration file of the working directory and parses it. Internal.
QxConfigLoad QxLoadConfigDocument(const wchar_t* fileName, Qx_XmlDOM& document);

// The attribute's value, or fallback when the element has no such attribute (an attribute
// present with an empty value gives the empty text). Internal.
const wchar_t* QxAttrOr(const Qx_DOMElement* element, const wchar_t* name, const wchar_t* fallback);

// Thrown inside a reader's entry loop for an entry that lacks a required attribute; the
// loop's handler turns it into the reader's failure result like any other exception.
struct QxMissingAttribute {};
// The attribute's value; throws QxMissingAttribute when the element has none. Internal.
const wchar_t* QxRequiredAttr(const Qx_DOMElement* element, const wchar_t* name);
