// The small helpers over the host's interfaces: given no object, or asked for what the host
// does not have, each answers nothing rather than failing.
#include <gtest/gtest.h>

#include "hostkit/host_helpers.h"
#include "hostkit/host_session.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

using namespace Tessaro;

TEST(HostHelpers, NoObjectAnswersNothing) {
    EXPECT_FALSE(attributesOf(nullptr));
    EXPECT_FALSE(attrInt(nullptr, "number"));
    EXPECT_FALSE(attrFloat(nullptr, "volume"));
    EXPECT_FALSE(attrString(nullptr, "name"));
    EXPECT_FALSE(channelRoot(nullptr));
    EXPECT_EQ(nodeName(nullptr), "");
    EXPECT_FALSE(childAt(nullptr, 0));
    EXPECT_FALSE(childNamed(nullptr, "Channels"));
    EXPECT_FALSE(paramNamed(nullptr, "effectType"));
    EXPECT_FALSE(paramTagged(nullptr, 4098));
    EXPECT_FALSE(chooseListEntry(nullptr, u"Chorus"));
    EXPECT_FALSE(listOffers(nullptr, u"Chorus"));
    const HostSession noHost(nullptr, nullptr, nullptr);
    EXPECT_FALSE(mixerChannels(noHost));
}

TEST(HostHelpers, WhatTheMixerLacksIsNothing) {
    auto reference = TessaroTest::makeHost();
    {
        auto context = TessaroTest::contextAs<Host::IHostContext>(*reference);
        HostSession host(nullptr, reference->lendImportTarget(), context.get());
        ASSERT_TRUE(host.learnHost());
        const auto channels = mixerChannels(host);
        ASSERT_TRUE(channels);
        EXPECT_EQ(nodeName(channels.get()), "Channels");
        const auto master = childAt(channels.get(), 0);
        ASSERT_TRUE(master);
        EXPECT_FALSE(childAt(channels.get(), channels->getChildCount()));
        EXPECT_FALSE(childAt(channels.get(), -1));
        EXPECT_FALSE(childNamed(master.get(), "No Such Node"));
        EXPECT_FALSE(paramNamed(master.get(), "noSuchParameter"));
        EXPECT_FALSE(paramTagged(master.get(), -7));
        host.endRun();
    }
    EXPECT_TRUE(reference->account().findings().clean());
}
