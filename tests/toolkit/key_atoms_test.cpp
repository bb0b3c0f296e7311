#include "toolkit/key_atoms.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vamu::toolkit {
namespace {

TEST(KeyAtoms, SameTextSameAtomWhateverTheCase) {
    const KeyAtom atom = keyAtom("KeyAtomsTest_normal_rect");
    EXPECT_GE(atom, kFirstKeyAtom);
    EXPECT_EQ(keyAtom("KeyAtomsTest_normal_rect"), atom);
    EXPECT_EQ(keyAtom("keyatomstest_NORMAL_rect"), atom);
    EXPECT_EQ(findKeyAtom("KEYATOMSTEST_normal_rect"), atom);
    EXPECT_EQ(keyAtomText(atom), "KeyAtomsTest_normal_rect") << "the first spelling is kept";
    EXPECT_NE(keyAtom("KeyAtomsTest_normal_rectF"), atom);
    EXPECT_NE(keyAtom("KeyAtomsTest_normal_rec"), atom);
}

TEST(KeyAtoms, RefusedTexts) {
    EXPECT_EQ(keyAtom(""), kNoKeyAtom);
    EXPECT_EQ(keyAtom(std::string(kKeyAtomMaxLength + 1, 'k')), kNoKeyAtom);
    EXPECT_NE(keyAtom(std::string(kKeyAtomMaxLength, 'k')), kNoKeyAtom);
    // Bytes beyond ASCII are compared as they are.
    EXPECT_NE(keyAtom("KeyAtomsTest_\xC3\xA9"), keyAtom("KeyAtomsTest_\xC3\x89"));
    EXPECT_EQ(findKeyAtom("KeyAtomsTest never interned"), std::nullopt);
    EXPECT_EQ(keyAtomText(kNoKeyAtom), std::nullopt);
    EXPECT_EQ(keyAtomText(0xFFFF), std::nullopt);
    EXPECT_EQ(keyAtomText(0x1234), std::nullopt);
}

TEST(KeyAtoms, ThreadsAgreeOnEveryAtom) {
    constexpr int kThreads = 6, kKeys = 300;
    std::vector<std::vector<KeyAtom>> seen(kThreads, std::vector<KeyAtom>(kKeys));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kKeys; ++i) {
                // Each thread walks the keys in its own order and spelling.
                const int k = (i * 7 + t * 13) % kKeys;
                std::string key = "KeyAtomsRace_" + std::to_string(k);
                if (t % 2) key[0] = 'k';
                seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)] = keyAtom(key);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[static_cast<std::size_t>(t)], seen[0]);
    std::vector<KeyAtom> sorted = seen[0];
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "distinct keys, distinct atoms";
    EXPECT_EQ(std::count(sorted.begin(), sorted.end(), kNoKeyAtom), 0);
}

TEST(KeyAtomsDeathTest, AFullTableRefusesNewKeysAndKeepsOldOnes) {
    // In a child process, as filling the table would spoil it for every other test.
    EXPECT_EXIT(
        {
            const KeyAtom early = keyAtom("KeyAtomsFull_first");
            for (std::size_t i = 0; keyAtomCount() < kKeyAtomCapacity; ++i)
                (void)keyAtom("KeyAtomsFull_" + std::to_string(i));
            const bool refused = keyAtom("KeyAtomsFull_one_more") == kNoKeyAtom;
            const bool kept = keyAtom("keyatomsfull_FIRST") == early && keyAtomText(0xFFFF).has_value();
            std::exit(refused && kept ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vamu::toolkit
