#pragma once
#include <string>

// Turns the bytes of an XML document into UTF-16 for XmlLite, which under Wine knows only
// UTF-8 and UTF-16. The choice, in order: a UTF-16 (LE or BE) or UTF-8 byte-order mark;
// the encoding named by the XML declaration; UTF-8 when the bytes are valid UTF-8; the
// system's ANSI code page. The encoding name is then taken out of the declaration, since
// the text handed on is no longer in it. False when the declaration names an encoding
// Windows does not know or the bytes are not valid in it. Internal.
bool qx_DecodeXmlText(const char* bytes, size_t count, std::wstring& text);
