#include "data/OrderList.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// Runs random insertions and removals on the list and on a plain vector side by side; the
// sizes cross several chunk splits and merges.
struct Mix {
    const char* name;
    int steps;
    int insertPercent;       // the rest are removals
    int atFixedPlacePercent; // insertions at one position, as an import in front of a record
};

void PrintTo(const Mix& m, std::ostream* os) {
    *os << m.name;
}

class OrderListMix : public ::testing::TestWithParam<Mix> {};

TEST_P(OrderListMix, BehavesAsAVector) {
    const Mix& mix = GetParam();
    std::mt19937 random(7);
    OrderList list;
    std::vector<std::uint32_t> model;
    for (int step = 0; step < mix.steps; ++step) {
        const bool insert = model.empty() || int(random() % 100) < mix.insertPercent;
        if (insert) {
            const std::size_t at = int(random() % 100) < mix.atFixedPlacePercent
                                       ? std::min<std::size_t>(3, model.size())
                                       : random() % (model.size() + 1);
            list.insert(at, std::uint32_t(step));
            model.insert(model.begin() + std::ptrdiff_t(at), std::uint32_t(step));
        } else {
            const std::size_t at = random() % model.size();
            list.erase(at);
            model.erase(model.begin() + std::ptrdiff_t(at));
        }
        ASSERT_EQ(list.size(), model.size()) << "step " << step;
        if (step % 97 == 0) {
            ASSERT_EQ(list.toVector(), model) << "step " << step;
            const std::size_t probe = model.empty() ? 0 : random() % model.size();
            if (!model.empty()) {
                EXPECT_EQ(list[probe], model[probe]);
                EXPECT_EQ(list.find(model[probe]), probe);
            }
        }
    }
    EXPECT_EQ(list.toVector(), model);
    EXPECT_EQ(list.find(0xFFFFFFFFu), list.size());
}

INSTANTIATE_TEST_SUITE_P(Mixes, OrderListMix,
                         ::testing::Values(Mix{"Growing", 6000, 80, 0},
                                           Mix{"GrowingAtOnePlace", 6000, 90, 90},
                                           Mix{"Balanced", 8000, 50, 0},
                                           Mix{"Shrinking", 4000, 30, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OrderList, PartitionPointFindsTheFirstFailingSlotAcrossChunks) {
    std::vector<std::uint32_t> sorted;
    for (std::uint32_t i = 0; i < 3 * OrderList::ChunkLimit; ++i)
        sorted.push_back(i * 2);
    const OrderList list(sorted);
    for (std::uint32_t bound : {0u, 1u, 2u, 511u, 512u, 1000u, 3071u, 5000u}) {
        SCOPED_TRACE(bound);
        const std::size_t expected =
            std::size_t(std::partition_point(sorted.begin(), sorted.end(),
                                             [&](std::uint32_t v) { return v < bound; }) -
                        sorted.begin());
        EXPECT_EQ(list.partitionPoint([&](std::uint32_t v) { return v < bound; }), expected);
    }
    EXPECT_EQ(OrderList().partitionPoint([](std::uint32_t) { return true; }), 0u);
}

} // namespace
