// The fuzz run of tools/qxfuzz, bounded and seeded: prefixes of every kind of XML file the
// library reads, in every encoding, through every reader that takes it (all that fall in
// the declaration, the last ones, and a seeded sample of the rest), then seeded random
// damage. The campaign checks each case (see FuzzCampaign.h); here its broken
// promises are counted, and the memory the process takes is held to a bound.
#include <gtest/gtest.h>
#include "tools/qxfuzz/FuzzCampaign.h"

namespace {

const uint64_t kSeed = 20261208;
// Bounded for a few seconds per target; qxfuzz runs any count (every prefix with --prefixes).
const uint64_t kDamagedCasesPerKind = 300;
const size_t kPrefixesPerDocument = 24;
// Inputs stay below 64 KB; a reader that kept or grew memory per case would pass this.
const uint64_t kMemoryBound = 128u << 20;

std::string Lines(const qxfuzz::Campaign& campaign) {
    std::string text;
    for (const std::string& line : campaign.ViolationLines()) text += line + "\n";
    return text;
}

TEST(XmlFuzz, EveryPrefixAndSeededDamageKeepThePromises) {
    qxfuzz::Campaign campaign(kSeed);
    for (int k = 0; k < qxfuzz::kKindCount; ++k)
        campaign.RunPrefixes(static_cast<qxfuzz::Kind>(k), kPrefixesPerDocument);
    EXPECT_EQ(campaign.Violations(), 0u) << Lines(campaign);
    const qxfuzz::MemoryFigures afterPrefixes = qxfuzz::Memory();

    for (int k = 0; k < qxfuzz::kKindCount; ++k)
        campaign.RunMutations(static_cast<qxfuzz::Kind>(k), kDamagedCasesPerKind);
    EXPECT_EQ(campaign.Violations(), 0u) << Lines(campaign);
    for (int k = 0; k < qxfuzz::kKindCount; ++k) {
        const qxfuzz::Tally& tally = campaign.TallyOf(static_cast<qxfuzz::Kind>(k));
        EXPECT_GT(tally.wellFormed, 0u) << qxfuzz::KindName(static_cast<qxfuzz::Kind>(k));
        EXPECT_LT(tally.wellFormed, tally.cases) << qxfuzz::KindName(static_cast<qxfuzz::Kind>(k));
    }

    const qxfuzz::MemoryFigures end = qxfuzz::Memory();
    EXPECT_LT(end.peakPrivateBytes, kMemoryBound);
    EXPECT_LT(end.privateBytes, afterPrefixes.privateBytes + (16u << 20));  // nothing kept per case
}

}  // namespace
