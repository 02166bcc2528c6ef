#pragma once
// A fuzz run over the library's readers: every prefix of every seed document, and seeded
// random damage. Every case is checked against what the library promises:
// - no crash and no hang (a watchdog ends the process, naming the case, after a time
//   without progress; a crash names the case before the process ends);
// - a prefix that is not a whole document never reads as success and delivers nothing;
//   a prefix that is whole reads as the whole document does;
// - damaged bytes that do not load as a document, or that break a rule of XML as the
//   oracle (FuzzOracle.h) judges them, never read as success and deliver nothing;
// - bytes load as a document exactly when the oracle judges them one well-formed document;
// - a seed in any encoding reads the same as in any other.
#include "tools/qxfuzz/FuzzDocuments.h"
#include "tools/qxfuzz/FuzzReaders.h"
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace qxfuzz {

// Outcomes of the cases of one kind.
struct Tally {
    uint64_t cases = 0;
    uint64_t loads = 0;       // cases whose bytes loaded as a document
    uint64_t wellFormed = 0;  // cases whose bytes the oracle judged well-formed
    uint64_t answersOk = 0;   // reader answers that were success
    uint64_t answersFailed = 0;
    uint64_t violations = 0;  // broken promises (see above)
    double seconds = 0;       // wall clock
    double cpuSeconds = 0;    // processor time of this process (the machine may be shared)
};

class Campaign {
public:
    // hangSeconds: how long one case may run before the watchdog ends the process.
    explicit Campaign(uint64_t seed, int hangSeconds = 30);
    ~Campaign();
    Campaign(const Campaign&) = delete;
    Campaign& operator=(const Campaign&) = delete;

    // Every prefix of every document of the kind, through every reader; with sample, at
    // most that many per document: those inside the first kSampleHead bytes (where the
    // XML declaration stands), the last few, and others chosen by the seed.
    void RunPrefixes(Kind kind, size_t sample = 0);
    static const size_t kSampleHead = 48;
    // count damaged documents of the kind, cases first .. first + count - 1 of this seed.
    void RunMutations(Kind kind, uint64_t count, uint64_t first = 0);
    // The bytes of one damaged case, as RunMutations makes them.
    std::string MutationBytes(Kind kind, uint64_t index, std::string* name = nullptr) const;

    const Tally& TallyOf(Kind kind) const { return tallies_[static_cast<int>(kind)]; }
    uint64_t Violations() const;
    // The first broken promises, one line each, saying which case broke it.
    const std::vector<std::string>& ViolationLines() const { return lines_; }

private:
    struct Reference {
        Document document;
        ReadOutcome outcome;
    };
    const std::vector<Reference>& References(Kind kind);
    void Run(Kind kind, const std::string& bytes, const std::string& label, const ReadOutcome* expected, bool mustFail);
    void Violation(Kind kind, const std::string& line);
    void Watch(int hangSeconds);

    uint64_t seed_;
    std::wstring folder_;
    Readers readers_;
    std::vector<Reference> references_[kKindCount];
    Tally tallies_[kKindCount];
    std::vector<std::string> lines_;
    std::atomic<uint64_t> progress_{0};
    std::atomic<bool> stop_{false};
    std::thread watchdog_;
};

// The process's memory, in bytes: private bytes now and at their peak, and the peak
// working set.
struct MemoryFigures {
    uint64_t privateBytes = 0, peakPrivateBytes = 0, peakWorkingSet = 0;
};
MemoryFigures Memory();

}  // namespace qxfuzz
