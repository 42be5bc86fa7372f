// The reference count of the module's own objects: it starts at the creator's reference,
// the object goes with its last reference, and a drop beyond that changes nothing.
#include <gtest/gtest.h>

#include "base/ref_counted.h"

namespace {

using Tessaro::RefCount;

TEST(RefCount, CountsFromTheCreatorsReferenceAndStopsAtZero) {
    RefCount count;
    EXPECT_EQ(count.value(), 1u);
    EXPECT_EQ(count.add(), 2u);
    const RefCount::Dropped first = count.drop();
    EXPECT_EQ(first.count, 1u);
    EXPECT_FALSE(first.last);
    const RefCount::Dropped second = count.drop();
    EXPECT_EQ(second.count, 0u);
    EXPECT_TRUE(second.last);
    // A drop too many neither wraps to the largest count nor takes a "last" reference.
    const RefCount::Dropped beyond = count.drop();
    EXPECT_EQ(beyond.count, 0u);
    EXPECT_FALSE(beyond.last);
    EXPECT_EQ(count.value(), 0u);
}

// An FUnknown of the module's own kind that tells when it is destroyed.
class Probe : public Tessaro::RefCounted<Host::FUnknown> {
public:
    explicit Probe(int& destroyed) : destroyed_(destroyed) {}
    ~Probe() override { ++destroyed_; }
    Host::tresult queryInterface(const Host::FUID&, void** obj) override {
        *obj = nullptr;
        return Host::kNoInterface;
    }

private:
    int& destroyed_;
};

TEST(RefCounted, TheLastReleaseDestroysTheObjectOnce) {
    int destroyed = 0;
    Host::FUnknown* object = new Probe(destroyed);
    EXPECT_EQ(object->addRef(), 2u);
    EXPECT_EQ(object->addRef(), 3u);
    EXPECT_EQ(object->release(), 2u);
    EXPECT_EQ(object->release(), 1u);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->release(), 0u);
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
