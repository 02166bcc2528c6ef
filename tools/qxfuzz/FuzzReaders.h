#pragma once
// Every reader of the library that takes a kind of file, run on given bytes.
#include "QxQVInfo320U.h"
#include "tools/qxfuzz/FuzzDocuments.h"
#include <string>
#include <vector>

namespace qxfuzz {

// What is said of the text a reader parses (the file read in text mode or as it is, a cut
// definition): whether the library loads it as a document (qx_ValidXML, or Qx_XmlDOM for
// wide text), and whether the rules of XML make it one well-formed document that the
// library must read (the oracle, FuzzOracle.h).
struct Judgement {
    bool loads = false;
    bool wellFormed = false;
};

// What one reader made of the bytes.
struct Answer {
    bool ok = false;  // the reader's success result
    int records = 0;  // what it delivered: records, objects and members, definition parts
    Judgement input;  // of what this reader parses
    bool operator==(const Answer& other) const { return ok == other.ok && records == other.records; }
};

struct ReadOutcome {
    std::vector<Answer> answers;  // one per reader, in the order of ReaderNames
    Judgement input;              // of the bytes as the tool's readers get them
};

class Readers {
public:
    // Files are written into folder, which is the working directory while a reader runs.
    explicit Readers(std::wstring folder);

    static std::vector<std::string> ReaderNames(Kind kind);
    // Whether reader i of kind parses what it reads (and so must fail on a non-document).
    static bool Parses(Kind kind, size_t reader);

    ReadOutcome Read(Kind kind, const std::string& bytes);

private:
    std::wstring Write(const wchar_t* name, const std::string& bytes);
    ReadOutcome ReadServerEnvironment();
    ReadOutcome ReadAdaptorCatalogue();
    ReadOutcome ReadModuleList();
    ReadOutcome ReadMemberList(const std::wstring& path);
    ReadOutcome ReadServiceDefinition();
    static ReadOutcome ReadServiceSource(const std::string& bytes);

public:
    // The service definition cut out of a source as a server sends it (ANSI bytes).
    static Qx_WString CutDefinition(const std::string& source);

    std::wstring folder_;
};

}  // namespace qxfuzz
