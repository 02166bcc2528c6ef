// qxfuzz: the library's readers under damaged files, for any number of cases and any seed.
//
//   qxfuzz [--cases N] [--seed S] [--kind NAME] [--prefixes] [--case I] [--hang SECONDS]
//
// Runs N damaged documents (default 10000) of every kind, or of the one named, and with
// --prefixes every prefix of every seed document first. Prints, per kind, the cases run,
// cases per second and the outcomes, then the process's peak memory. --case I writes the
// bytes of damaged case I of the kind named to standard output instead, to run it again
// with any reader. Exit status 0 when every promise held, 1 when one was broken.
#include "tools/qxfuzz/FuzzCampaign.h"
#include "tools/qxfuzz/FuzzMutator.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

struct Options {
    uint64_t cases = 10000;
    uint64_t seed = 1;
    bool oneKind = false;
    qxfuzz::Kind kind = qxfuzz::Kind::ServerEnvironment;
    bool prefixes = false;
    long long replay = -1;
    int hangSeconds = 30;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--prefixes")
            options.prefixes = true;
        else if (arg == "--cases" && hasValue)
            options.cases = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seed" && hasValue)
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--case" && hasValue)
            options.replay = std::strtoll(argv[++i], nullptr, 10);
        else if (arg == "--hang" && hasValue)
            options.hangSeconds = std::atoi(argv[++i]);
        else if (arg == "--kind" && hasValue && qxfuzz::KindByName(argv[++i], options.kind))
            options.oneKind = true;
        else
            return false;
    }
    return options.replay < 0 || options.oneKind;
}

double Megabytes(uint64_t bytes) { return bytes / (1024.0 * 1024.0); }

void PrintTallies(const qxfuzz::Campaign& campaign, const Options& options) {
    printf("%-20s %9s %9s %11s %11s %9s %10s %11s %13s %10s\n", "kind", "cases", "cases/s", "cases/cpu-s",
           "well-formed", "loaded", "rejected", "answers ok", "answers fail", "violations");
    for (int k = 0; k < qxfuzz::kKindCount; ++k) {
        const qxfuzz::Kind kind = static_cast<qxfuzz::Kind>(k);
        if (options.oneKind && kind != options.kind) continue;
        const qxfuzz::Tally& t = campaign.TallyOf(kind);
        printf("%-20s %9llu %9.0f %11.0f %11llu %9llu %10llu %11llu %13llu %10llu\n", qxfuzz::KindName(kind),
               static_cast<unsigned long long>(t.cases), t.seconds > 0 ? t.cases / t.seconds : 0.0,
               t.cpuSeconds > 0 ? t.cases / t.cpuSeconds : 0.0, static_cast<unsigned long long>(t.wellFormed),
               static_cast<unsigned long long>(t.loads), static_cast<unsigned long long>(t.cases - t.loads),
               static_cast<unsigned long long>(t.answersOk), static_cast<unsigned long long>(t.answersFailed),
               static_cast<unsigned long long>(t.violations));
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        fprintf(stderr,
                "usage: qxfuzz [--cases N] [--seed S] [--kind NAME] [--prefixes] [--case I] [--hang SECONDS]\n"
                "kinds:");
        for (int k = 0; k < qxfuzz::kKindCount; ++k)
            fprintf(stderr, " %s", qxfuzz::KindName(static_cast<qxfuzz::Kind>(k)));
        fprintf(stderr, "\n--case needs --kind\n");
        return 2;
    }
    qxfuzz::Campaign campaign(options.seed, options.hangSeconds);
    if (options.replay >= 0) {
        campaign.RunMutations(options.kind, 0);  // reads the seeds the cases start from
        const std::string bytes = campaign.MutationBytes(options.kind, static_cast<uint64_t>(options.replay));
        _setmode(_fileno(stdout), _O_BINARY);
        fwrite(bytes.data(), 1, bytes.size(), stdout);
        return 0;
    }
    const qxfuzz::MemoryFigures before = qxfuzz::Memory();
    printf("qxfuzz: seed %llu, %llu damaged cases per kind%s, %d-bit\n", static_cast<unsigned long long>(options.seed),
           static_cast<unsigned long long>(options.cases), options.prefixes ? " after every prefix" : "",
           static_cast<int>(sizeof(void*) * 8));
    for (int k = 0; k < qxfuzz::kKindCount; ++k) {
        const qxfuzz::Kind kind = static_cast<qxfuzz::Kind>(k);
        if (options.oneKind && kind != options.kind) continue;
        if (options.prefixes) campaign.RunPrefixes(kind);
        campaign.RunMutations(kind, options.cases);
    }
    PrintTallies(campaign, options);
    const qxfuzz::MemoryFigures after = qxfuzz::Memory();
    printf("memory: private bytes %.1f MB at start, %.1f MB at the end, peak %.1f MB; peak working set %.1f MB\n",
           Megabytes(before.privateBytes), Megabytes(after.privateBytes), Megabytes(after.peakPrivateBytes),
           Megabytes(after.peakWorkingSet));
    for (const std::string& line : campaign.ViolationLines()) printf("violation: %s\n", line.c_str());
    return campaign.Violations() == 0 ? 0 : 1;
}
