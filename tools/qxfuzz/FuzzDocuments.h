#pragma once
// The XML files the library reads, as seed documents in every encoding the library accepts.
#include <string>
#include <vector>

namespace qxfuzz {

enum class Kind { ServerEnvironment, AdaptorCatalogue, ModuleList, MemberList, ServiceDefinition, ServiceSource };
const int kKindCount = 6;
const char* KindName(Kind kind);
// The kind named (as KindName gives it); false when there is none.
bool KindByName(const std::string& name, Kind& kind);

// One seed document in one encoding. Its first wholeFrom bytes are the document; what
// follows changes nothing that a reader reads (blanks of unit bytes each, or the code
// after a source's service block). So a prefix of n bytes is a whole document exactly
// when n >= wholeFrom and n - wholeFrom is a whole number of units.
struct Document {
    std::string name;  // seed and encoding, for messages
    std::string bytes;
    size_t wholeFrom = 0;
    size_t unit = 1;
    bool IsWholePrefix(size_t n) const { return n >= wholeFrom && (n - wholeFrom) % unit == 0; }
    // The prefix lengths worth a case: all of them for a short document; for a long one
    // the start, the end, and the bytes around every 4 KB (where XmlLite's pieces of input
    // end).
    std::vector<size_t> PrefixLengths() const;
};

// Every seed of the kind in every encoding it can be written in.
std::vector<Document> Documents(Kind kind);

}  // namespace qxfuzz
