#pragma once
#include "editor/ObjectCatalogue.h"
#include "foundation/XmlNodeReader.h"
#include <memory>
#include <vector>

class Qx_Buffer;

// One pass over a member list document that builds the catalogue's records as the nodes
// go by, instead of a tree: the objects of the first top-level "objectlist", each with its
// "var" and "method" members. It reads through QxXmlNodeReader, as Qx_XmlDOM does, and so
// accepts exactly the documents that Qx_XmlDOM loads.
//
// An object counts as added once it is in `objects` (document order), before its members
// are read. An exception while records are built stops the building, never the pass: the
// document is still judged to its end, and the objects added so far stay in `objects`,
// the last one with the members read so far. Internal.
class QxMemberListWalk {
public:
    explicit QxMemberListWalk(std::vector<CObjectItem*>& objects) : objects_(objects) {}
    ~QxMemberListWalk() = default;
    QxMemberListWalk(const QxMemberListWalk&) = delete;
    QxMemberListWalk& operator=(const QxMemberListWalk&) = delete;

    // True when the bytes load as a document that has a top-level "objectlist".
    bool Read(const Qx_Buffer& source);
    // False when an exception stopped the building of records.
    bool Complete() const { return !stopped_; }

private:
    enum Kind { kOther, kList, kObject, kVariable, kMethod };

    void OpenElement(QxXmlNodeReader& nodes);
    void CloseElement(int depth);
    Kind Classify(const wchar_t* tag, unsigned length);
    void Begin(Kind kind);
    void Take(const wchar_t* name, unsigned nameLength, const wchar_t* value, unsigned valueLength);
    void Finish(Kind kind);
    template <class Step>
    void Guarded(Step step);

    std::vector<CObjectItem*>& objects_;
    bool stopped_ = false;

    // Where the walk stands: the depth of the current element, whether the top-level one is
    // the list, and the added object whose element is open at the level below it.
    int depth_ = 0;
    bool sawList_ = false;
    bool inList_ = false;
    CObjectItem* openObject_ = nullptr;
    CObjectItem* justAdded_ = nullptr;

    // The record of the element being opened, and where its three attributes go: "name",
    // the second required one ("type" or "prototype") and "comment". Only the first
    // attribute of each name counts.
    std::unique_ptr<CObjectItem> object_;
    std::unique_ptr<CVariable> variable_;
    std::unique_ptr<CMethod> method_;
    const wchar_t* secondName_ = nullptr;
    Qx_WString* fields_[3] = {};
    bool taken_[3] = {};
};
