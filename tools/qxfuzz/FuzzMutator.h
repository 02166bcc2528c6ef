#pragma once
// Seeded random damage to a document: flipped bits, inserted bytes and markup, deleted
// and duplicated spans, cuts, byte-order marks put on or taken off. The same seed gives the same damage on every target.
#include <cstdint>
#include <random>
#include <string>

namespace qxfuzz {

class Mutator {
public:
    // Damaged documents stay below this size, whatever the duplications.
    static const size_t kMaxSize = 64 * 1024;

    explicit Mutator(uint64_t seed) : random_(seed) {}

    // One to four kinds of damage, chosen at random, applied to bytes in place; unit is
    // the width of the encoding's code unit (markup is inserted in that width too).
    void Damage(std::string& bytes, size_t unit);
    // A number below n (n > 0).
    size_t Below(size_t n) { return static_cast<size_t>(random_() % n); }

private:
    void FlipBit(std::string& bytes);
    void InsertBytes(std::string& bytes);
    void InsertMarkup(std::string& bytes, size_t unit);
    void DeleteSpan(std::string& bytes);
    void DuplicateSpan(std::string& bytes);
    void Cut(std::string& bytes);
    void Relabel(std::string& bytes);

    std::mt19937_64 random_;
};

// The seed of case index of one run: any case can be run again on its own.
uint64_t CaseSeed(uint64_t runSeed, int kind, uint64_t index);

}  // namespace qxfuzz
