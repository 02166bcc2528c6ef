#include "tools/qxfuzz/FuzzCampaign.h"
#include "tools/qxfuzz/FuzzMutator.h"
#include "platform/QxWin.h"
#include <psapi.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>

namespace qxfuzz {
namespace {

// The case being run, for the watchdog and the crash report; written before every case.
char g_case[512] = "no case yet";

void SayCase(const char* what) {
    fprintf(stderr, "\nqxfuzz: %s in case: %s\n", what, g_case);
    fflush(stderr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    char what[64];
    snprintf(what, sizeof what, "exception 0x%08lX", info ? info->ExceptionRecord->ExceptionCode : 0ul);
    SayCase(what);
    return EXCEPTION_CONTINUE_SEARCH;
}

void __cdecl OnAbort(int) {
    SayCase("abort");
    TerminateProcess(GetCurrentProcess(), 3);
}

// An abort is raised by whichever C runtime the failing module uses: Wine's system DLLs use
// ucrtbase, this program msvcrt.
void CatchAborts() {
    signal(SIGABRT, &OnAbort);
    using Handler = void(__cdecl*)(int);
    using SignalFn = Handler(__cdecl*)(int, Handler);
    if (HMODULE ucrt = LoadLibraryW(L"ucrtbase.dll"))
        if (auto ucrtSignal = reinterpret_cast<SignalFn>(reinterpret_cast<void*>(GetProcAddress(ucrt, "signal"))))
            ucrtSignal(SIGABRT, &OnAbort);
    SetUnhandledExceptionFilter(&OnCrash);
}

std::wstring MakeFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    for (unsigned n = 0;; ++n) {
        std::wstring name =
            std::wstring(base) + L"qxfuzz-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n);
        if (CreateDirectoryW(name.c_str(), nullptr)) return name;
    }
}

std::string Printable(const std::string& bytes, size_t limit = 160) {
    std::string out;
    char hex[8];
    for (size_t i = 0; i < bytes.size() && out.size() < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out.size() < limit ? out : out + "...";
}

// The text without the blanks at its end.
std::wstring Trimmed(const Qx_WString& text) {
    std::wstring t = text.str();
    while (!t.empty() && (t.back() == L' ' || t.back() == L'\t' || t.back() == L'\r' || t.back() == L'\n'))
        t.pop_back();
    return t;
}

// Processor time of the process so far, user and kernel.
double ProcessSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Adds the time from its making to its end to a tally.
class Stopwatch {
public:
    explicit Stopwatch(Tally& tally) : tally_(tally), wall_(std::chrono::steady_clock::now()), cpu_(ProcessSeconds()) {}
    ~Stopwatch() {
        tally_.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count();
        tally_.cpuSeconds += ProcessSeconds() - cpu_;
    }

private:
    Tally& tally_;
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

std::string Describe(const Answer& a) { return (a.ok ? "ok/" : "failed/") + std::to_string(a.records); }

}  // namespace

Campaign::Campaign(uint64_t seed, int hangSeconds) : seed_(seed), folder_(MakeFolder()), readers_(folder_) {
    CatchAborts();
    watchdog_ = std::thread([this, hangSeconds] { Watch(hangSeconds); });
}

Campaign::~Campaign() {
    stop_ = true;
    watchdog_.join();
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
}

void Campaign::Watch(int hangSeconds) {
    uint64_t seen = progress_;
    auto last = std::chrono::steady_clock::now();
    while (!stop_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const uint64_t now = progress_;
        if (now != seen) {
            seen = now;
            last = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - last > std::chrono::seconds(hangSeconds)) {
            SayCase("no progress (a hang)");
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
}

const std::vector<Campaign::Reference>& Campaign::References(Kind kind) {
    std::vector<Reference>& references = references_[static_cast<int>(kind)];
    if (references.empty()) {
        for (Document& document : Documents(kind)) {
            snprintf(g_case, sizeof g_case, "%s, seed document %s", KindName(kind), document.name.c_str());
            ReadOutcome outcome = readers_.Read(kind, document.bytes);
            for (size_t r = 0; r < outcome.answers.size(); ++r)
                if (!outcome.answers[r].ok || !outcome.input.loads || !outcome.input.wellFormed)
                    Violation(kind, std::string(KindName(kind)) + ": the seed " + document.name + " does not read (" +
                                        Readers::ReaderNames(kind)[r] + ")");
            references.push_back({std::move(document), std::move(outcome)});
        }
    }
    return references;
}

namespace {

// The prefix lengths a bounded run takes of all: see RunPrefixes.
std::vector<size_t> Sampled(std::vector<size_t> lengths, size_t sample, Mutator& random) {
    if (sample == 0 || lengths.size() <= sample) return lengths;
    std::vector<size_t> kept;
    const size_t tail = std::min<size_t>(4, sample);
    for (size_t i = 0; i < lengths.size(); ++i)
        if (lengths[i] <= Campaign::kSampleHead || i + tail >= lengths.size()) kept.push_back(lengths[i]);
    while (kept.size() < sample) kept.push_back(lengths[random.Below(lengths.size())]);
    return kept;
}

}  // namespace

void Campaign::RunPrefixes(Kind kind, size_t sample) {
    Stopwatch stopwatch(tallies_[static_cast<int>(kind)]);
    uint64_t documentIndex = 0;
    for (const Reference& reference : References(kind)) {
        const Document& document = reference.document;
        const std::wstring definition = Trimmed(Readers::CutDefinition(document.bytes));
        Mutator random(CaseSeed(seed_, static_cast<int>(kind), ~documentIndex++));
        for (size_t n : Sampled(document.PrefixLengths(), sample, random)) {
            // A source holds the whole definition once what is cut from it is the whole one.
            const bool whole = kind == Kind::ServiceSource
                                   ? Trimmed(Readers::CutDefinition(document.bytes.substr(0, n))) == definition
                                   : document.IsWholePrefix(n);
            const std::string label = document.name + ", first " + std::to_string(n) + " bytes";
            Run(kind, document.bytes.substr(0, n), label, whole ? &reference.outcome : nullptr, !whole);
        }
    }
}

std::string Campaign::MutationBytes(Kind kind, uint64_t index, std::string* name) const {
    const std::vector<Reference>& references = references_[static_cast<int>(kind)];
    Mutator mutator(CaseSeed(seed_, static_cast<int>(kind), index));
    // Any seed in any of its encodings; one case in eight is that document undamaged.
    const Document& document = references[mutator.Below(references.size())].document;
    std::string bytes = document.bytes;
    const bool damaged = mutator.Below(8) != 0;
    if (damaged) mutator.Damage(bytes, document.unit);
    if (name) *name = document.name + (damaged ? ", damaged" : ", as it is");
    return bytes;
}

void Campaign::RunMutations(Kind kind, uint64_t count, uint64_t first) {
    const std::vector<Reference>& references = References(kind);
    Stopwatch stopwatch(tallies_[static_cast<int>(kind)]);
    for (uint64_t index = first; index < first + count; ++index) {
        std::string name;
        const std::string bytes = MutationBytes(kind, index, &name);
        const ReadOutcome* expected = nullptr;
        for (const Reference& reference : references)
            if (reference.document.bytes == bytes) expected = &reference.outcome;
        Run(kind, bytes, "case " + std::to_string(index) + " of seed " + std::to_string(seed_) + " (" + name + ")",
            expected, false);
    }
}

namespace {

// Why a reader that parses must have failed on its input, or null when it need not.
const char* MustFail(const Answer& answer, bool prefix) {
    if (prefix) return "a prefix that is no whole document";
    if (!answer.input.wellFormed) return "bytes that break a rule of XML";
    if (!answer.input.loads) return "bytes that do not load as a document";
    return nullptr;
}

}  // namespace

// expected: the answers the bytes must give (a whole document); mustFail: the bytes are no
// whole document. Without either, bytes that fail to load or that the oracle finds not
// well-formed must fail every reader that parses.
void Campaign::Run(Kind kind, const std::string& bytes, const std::string& label, const ReadOutcome* expected,
                   bool mustFail) {
    snprintf(g_case, sizeof g_case, "%s, %s: %s", KindName(kind), label.c_str(), Printable(bytes).c_str());
    const ReadOutcome outcome = readers_.Read(kind, bytes);
    ++progress_;
    Tally& tally = tallies_[static_cast<int>(kind)];
    ++tally.cases;
    if (outcome.input.loads) ++tally.loads;
    if (outcome.input.wellFormed) ++tally.wellFormed;
    const std::vector<std::string> names = Readers::ReaderNames(kind);
    const std::string where = std::string(KindName(kind)) + ", " + label + ": ";
    for (size_t r = 0; r < outcome.answers.size(); ++r) {
        const Answer& answer = outcome.answers[r];
        ++(answer.ok ? tally.answersOk : tally.answersFailed);
        const bool delivered = answer.ok || answer.records;
        const char* why = Readers::Parses(kind, r) && delivered ? MustFail(answer, mustFail) : nullptr;
        const std::string answered = where + names[r] + " answered " + Describe(answer);
        if (expected && !(answer == expected->answers[r]))
            Violation(kind, answered + " where the whole document gives " + Describe(expected->answers[r]) + ": " +
                                Printable(bytes));
        else if (why)
            Violation(kind, answered + " for " + why + ": " + Printable(bytes));
    }
    if (mustFail && outcome.input.loads)
        Violation(kind, where + "a prefix that is no whole document loads: " + Printable(bytes));
    if (mustFail && outcome.input.wellFormed)
        Violation(kind, where + "the oracle takes a prefix that is no whole document for one: " + Printable(bytes));
    if (outcome.input.wellFormed != outcome.input.loads)
        Violation(kind, where +
                            (outcome.input.loads ? "bytes that break a rule of XML load: "
                                                 : "a document that keeps the rules of XML does not load: ") +
                            Printable(bytes));
}

void Campaign::Violation(Kind kind, const std::string& line) {
    ++tallies_[static_cast<int>(kind)].violations;
    if (lines_.size() < 20) lines_.push_back(line);
}

uint64_t Campaign::Violations() const {
    uint64_t total = 0;
    for (const Tally& tally : tallies_) total += tally.violations;
    return total;
}

MemoryFigures Memory() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    MemoryFigures figures;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        figures.privateBytes = counters.PagefileUsage;
        figures.peakPrivateBytes = counters.PeakPagefileUsage;
        figures.peakWorkingSet = counters.PeakWorkingSetSize;
    }
    return figures;
}

}  // namespace qxfuzz
