#pragma once
#include <cstddef>

// The XML declaration at the start of a text ('<?xml' VersionInfo EncodingDecl? SDDecl?
// S? '?>'), read here rather than by XmlLite: Wine's reader aborts the whole process when a
// text ends inside its declaration or right after it, so XmlLite is only ever given the
// text behind a declaration. Works on bytes of an ASCII-compatible encoding and on wide
// text alike. Internal.
struct QxXmlDeclaration {
    enum Form {
        kNone,    // the text does not start with a declaration
        kWhole,   // a complete, well-formed declaration
        kBroken,  // starts as one ("<?xml" and a blank, or a text that is a piece of
                  // "<?xml" and nothing more) but is not a well-formed declaration
    };
    Form form = kNone;
    size_t end = 0;  // just behind "?>" (kWhole)
    // The encoding pseudo-attribute, blank before it included, and its value.
    size_t encodingStart = 0, encodingEnd = 0;
    size_t nameStart = 0, nameEnd = 0;
    bool HasEncoding() const { return nameEnd > nameStart; }
};

template <class Ch>
QxXmlDeclaration QxReadXmlDeclaration(const Ch* text, size_t count);
