#pragma once
// The fuzz run's own judge of well-formedness: a second reading of XML 1.0 (Fifth Edition),
// written apart from the library's, that says of any bytes whether they are one document
// the library must read, so that a case the library reads is checked against the rules and
// not against the library itself.
//
// It decodes the bytes as the library says it does (a byte-order mark, which a declared
// encoding must agree with; else the declared encoding; else UTF-8 when the bytes are
// valid UTF-8; else the ANSI code page), then runs a plain recursive descent over the code
// points: the declaration, Misc, one root element with its content, references, comments,
// processing instructions, CDATA sections, each attribute once. To these it adds what the
// library refuses beyond them: any DTD, elements nested deeper than Qx_XmlDOM::kMaxDepth,
// and names that Namespaces in XML does not allow (a tag or attribute name that is no
// QName, a processing instruction target with a colon), which Windows' XmlLite refuses. It shares only the character classes with the library
// (foundation/XmlCharacters.h), which the rule tables test at every edge. Slow and plain:
// for fuzz cases and tests, not for large files.
#include <string>

namespace qxfuzz {

// Bytes of a file, in any encoding the library reads.
bool IsWellFormed(const std::string& bytes);
// Wide text as Qx_XmlDOM::LoadXML(const wchar_t*) takes it: a declared encoding no longer
// applies.
bool IsWellFormed(const std::wstring& text);

}  // namespace qxfuzz
