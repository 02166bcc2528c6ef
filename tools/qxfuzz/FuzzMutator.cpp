#include "tools/qxfuzz/FuzzMutator.h"

namespace qxfuzz {
namespace {
// Pieces of markup and bytes that readers of XML trip over, and pieces that break one rule
// of well-formedness each where they land: characters outside Char (raw, referred to),
// names that start wrong, references of a broken form, attributes run together or given
// twice, "--" and "]]>" out of place, targets named "xml", references beyond U+FFFF.
const char* const kMarkup[] = {"<",
                               ">",
                               "</",
                               "/>",
                               "\"",
                               "'",
                               "=",
                               "&",
                               "&amp;",
                               "&#x0;",
                               "&#xD800;",
                               "&e;",
                               "<!--",
                               "-->",
                               "<![CDATA[",
                               "]]>",
                               "<?",
                               "?>",
                               "<?xml ",
                               "<?xml version=\"1.0\"?>",
                               "<!DOCTYPE a [<!ENTITY e \"x\">]>",
                               "<a>",
                               "</a>",
                               " x=\"1\"",
                               "\r",
                               "\n",
                               "\x1A",
                               "\xEF\xBB\xBF",
                               "\xFF\xFE",
                               "\xC3",
                               "\xE4\xB8",
                               "\xF0\x9F\x98",
                               "\x01",
                               "\x0C",
                               "\xEF\xBF\xBE",
                               "&#xFFFE;",
                               "&#X41;",
                               "&#65a;",
                               "&amp ;",
                               "&undefined;",
                               "<1e/>",
                               " 9x=\"y\"",
                               " x='1'y='2'",
                               " x=\"1\" x=\"2\"",
                               "--",
                               "<?XmL x?>",
                               "<?p&?>",
                               "&#x1F600;",
                               "&#65536;"};
const size_t kMarkupCount = sizeof kMarkup / sizeof kMarkup[0];
}  // namespace

void Mutator::Damage(std::string& bytes, size_t unit) {
    const size_t steps = 1 + Below(4);
    for (size_t i = 0; i < steps; ++i) {
        switch (Below(7)) {
        case 0: FlipBit(bytes); break;
        case 1: InsertBytes(bytes); break;
        case 2: InsertMarkup(bytes, unit); break;
        case 3: DeleteSpan(bytes); break;
        case 4: DuplicateSpan(bytes); break;
        case 5: Relabel(bytes); break;
        default: Cut(bytes); break;
        }
    }
    if (bytes.size() > kMaxSize) bytes.resize(kMaxSize);
}

void Mutator::FlipBit(std::string& bytes) {
    if (!bytes.empty()) bytes[Below(bytes.size())] ^= static_cast<char>(1 << Below(8));
}

void Mutator::InsertBytes(std::string& bytes) {
    std::string inserted(1 + Below(4), '\0');
    for (char& c : inserted) c = static_cast<char>(Below(256));
    bytes.insert(Below(bytes.size() + 1), inserted);
}

void Mutator::InsertMarkup(std::string& bytes, size_t unit) {
    const std::string piece = kMarkup[Below(kMarkupCount)];
    std::string inserted;
    // Half the time in the document's own code unit (little-endian), placed on a unit.
    const bool wide = unit == 2 && Below(2) == 0;
    for (char c : piece) {
        inserted += c;
        if (wide) inserted += '\0';
    }
    size_t at = Below(bytes.size() + 1);
    if (wide) at -= at % 2;
    bytes.insert(at, inserted);
}

void Mutator::DeleteSpan(std::string& bytes) {
    if (bytes.empty()) return;
    const size_t at = Below(bytes.size());
    bytes.erase(at, 1 + Below(16));
}

void Mutator::DuplicateSpan(std::string& bytes) {
    if (bytes.empty()) return;
    const size_t from = Below(bytes.size());
    const std::string span = bytes.substr(from, 1 + Below(64));
    bytes.insert(Below(bytes.size() + 1), span);
}

void Mutator::Cut(std::string& bytes) { bytes.resize(Below(bytes.size() + 1)); }

// The bytes stay, the encoding they claim changes: a byte-order mark is put in front, or
// the one there is taken away.
void Mutator::Relabel(std::string& bytes) {
    static const char* const kMarks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    const unsigned char first = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
    if (first == 0xEF || first == 0xFF || first == 0xFE)
        bytes.erase(0, first == 0xEF ? 3 : 2);
    else
        bytes.insert(0, kMarks[Below(3)]);
}

uint64_t CaseSeed(uint64_t runSeed, int kind, uint64_t index) {
    // splitmix64 over the three numbers: neighbouring cases get unrelated seeds.
    uint64_t z = runSeed * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(kind) * 0xBF58476D1CE4E5B9ull + index;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace qxfuzz
