// Which host editions and versions offer which features.
#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "hostkit/edition.h"

using namespace Tessaro;

namespace {

struct EditionCase {
    const char* host;
    HostVersion version;
    bool allowed;
};

void expectRows(HostFeature feature, std::initializer_list<EditionCase> cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.host << " " << c.version.major << "."
                                        << c.version.minor << "." << c.version.patch);
        EXPECT_EQ(hostAllows(toUtf16(c.host), c.version, feature), c.allowed);
    }
}

}  // namespace

TEST(Edition, VersionsCompareAsWholeNumbers) {
    EXPECT_TRUE(compareVersions({7, 0, 1}, {6, 9, 9}) > 0);
    EXPECT_TRUE(compareVersions({6, 5, 5}, {6, 5, 5}) == 0);
    EXPECT_TRUE(compareVersions({6, 6, 0}, {6, 5, 5}) > 0);
    EXPECT_TRUE(compareVersions({6, 5, 4}, {6, 5, 5}) < 0);
    EXPECT_TRUE(compareVersions({5, 9, 9}, {6, 0, 0}) < 0);
    EXPECT_TRUE(compareVersions({7, 0, 0}, {7, 0, 1}) < 0);
}

TEST(Edition, EffectChannels) {
    expectRows(HostFeature::EffectChannels,
               {
                   {"Larkwin", {5, 5, 6}, true},
                   {"Larkwin", {5, 5, 5}, false},
                   {"Larkwin", {5, 4, 9}, false},
                   {"Larkwin", {5, 6, 0}, true},
                   {"Larkwin", {6, 0, 0}, false},
                   {"Larkwin", {6, 0, 1}, true},
                   {"Larkwin", {6, 1, 0}, true},
                   {"Larkwin", {6, 5, 0}, true},
                   {"Larkwin", {7, 0, 0}, true},
                   {"Larkwin", {4, 9, 9}, false},
                   {"Ombrel", {6, 5, 5}, true},
                   {"Ombrel", {6, 5, 4}, false},
                   {"Ombrel", {6, 4, 9}, false},
                   {"Ombrel", {6, 6, 0}, true},
                   {"Ombrel", {6, 9, 9}, true},
                   {"Ombrel", {7, 0, 0}, false},
                   {"Ombrel", {7, 0, 1}, true},
                   {"Ombrel", {7, 1, 0}, true},
                   {"Ombrel", {7, 5, 0}, true},
                   {"Ombrel", {8, 0, 0}, true},
                   {"Ombrel", {5, 9, 9}, false},
                   {"Ombrel Tarn", {6, 5, 5}, true},
                   {"Ombrel Tarn", {6, 5, 4}, false},
                   {"Ombrel Tarn", {7, 0, 0}, false},
                   {"Ombrel Tarn", {7, 0, 1}, true},
                   {"Ombrel Tarn", {8, 0, 0}, true},
                   {"Ombrel Fold", {7, 0, 0}, true},
                   {"Ombrel Fold", {6, 9, 9}, false},
                   {"Ombrel Fold", {6, 5, 5}, false},
                   {"Ombrel Kip", {7, 0, 0}, true},
                   {"Ombrel Kip", {6, 9, 9}, false},
                   {"Ombrel Zet", {7, 0, 0}, true},
                   {"Ombrel Zet", {6, 9, 9}, false},
                   // Names are compared in full and case-sensitively.
                   {"ombrel", {7, 5, 0}, false},
                   {"OMBREL", {7, 5, 0}, false},
                   {"larkwin", {6, 5, 0}, false},
                   {"Ombrel fold", {7, 0, 0}, false},
                   {"Ombrel ", {7, 5, 0}, false},
                   {"Ombrel Tarn Pro", {7, 5, 0}, false},
                   {"Larkwin2", {6, 5, 0}, false},
                   {"", {7, 5, 0}, false},
                   // A version that could not be read.
                   {"Ombrel", {0, 0, 0}, false},
                   {"Larkwin", {0, 0, 0}, false},
                   {"Ombrel Fold", {0, 0, 0}, false},
               });
}

TEST(Edition, MasterBrickwall) {
    expectRows(HostFeature::MasterBrickwall,
               {
                   {"Ombrel", {7, 0, 0}, true},
                   {"Ombrel", {6, 9, 9}, false},
                   {"Ombrel Tarn", {7, 0, 0}, true},
                   {"Ombrel Fold", {7, 0, 0}, true},
                   {"Ombrel Kip", {7, 0, 0}, true},
                   {"Ombrel Zet", {8, 0, 0}, true},
                   {"Ombrel Zet", {6, 9, 9}, false},
                   {"Larkwin", {6, 0, 0}, true},
                   {"Larkwin", {5, 9, 9}, false},
                   {"ombrel", {7, 0, 0}, false},
               });
}

TEST(Edition, ChannelLimiter) {
    expectRows(HostFeature::ChannelLimiter,
               {
                   {"Ombrel", {7, 0, 0}, true},
                   {"Ombrel", {6, 5, 0}, false},
                   {"Ombrel Tarn", {7, 0, 0}, true},
                   {"Ombrel Fold", {7, 0, 0}, true},
                   {"Ombrel Fold", {6, 9, 9}, false},
                   {"Ombrel Kip", {7, 0, 0}, false},
                   {"Ombrel Zet", {8, 0, 0}, false},
                   {"Larkwin", {6, 0, 0}, true},
                   {"Larkwin", {5, 9, 9}, false},
               });
}

TEST(Edition, InsertChannelEq) {
    expectRows(HostFeature::InsertChannelEq,
               {
                   {"Ombrel Fold", {6, 0, 0}, true},
                   {"Ombrel Fold", {5, 9, 9}, false},
                   {"Ombrel Kip", {6, 0, 0}, true},
                   {"Ombrel Zet", {7, 0, 0}, true},
                   {"Ombrel Zet", {5, 0, 0}, false},
                   {"Ombrel", {7, 0, 0}, false},
                   {"Ombrel Tarn", {7, 0, 0}, false},
                   {"Larkwin", {7, 0, 0}, false},
               });
}

TEST(Edition, InputPhaseOnRoot) {
    expectRows(HostFeature::InputPhaseOnRoot,
               {
                   {"Ombrel", {6, 9, 9}, true},
                   {"Ombrel", {7, 0, 0}, false},
                   {"Ombrel Tarn", {6, 0, 0}, true},
                   {"Ombrel Fold", {6, 5, 5}, true},
                   {"Ombrel Kip", {5, 0, 0}, true},
                   {"Ombrel Zet", {7, 0, 1}, false},
                   {"Larkwin", {6, 5, 0}, true},
                   {"Larkwin", {7, 0, 0}, false},
                   {"Ombrel", {0, 0, 0}, true},
                   {"ombrel", {6, 0, 0}, false},
                   {"Other", {6, 0, 0}, false},
               });
}
