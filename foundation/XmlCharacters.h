#pragma once

// The character classes of XML 1.0 (Fifth Edition), by code point: Char [2], NameStartChar
// [4] and NameChar [4a]. The Fifth Edition's name tables, not the older ones of the Fourth:
// a name written by any current tool is accepted. Internal.
bool QxIsXmlChar(unsigned long c);
bool QxIsXmlNameStartChar(unsigned long c);
bool QxIsXmlNameChar(unsigned long c);
