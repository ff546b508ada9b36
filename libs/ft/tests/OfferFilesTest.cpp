// Offering files while memory runs out. Every allocation of this test
// program goes through the operator new below, which a test may have fail
// one allocation of its own thread.
#include "Probe.h"

#include "ft/OfferFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

// Allocations on this thread before one fails; negative: none fails.
thread_local long allocationsLeft = -1;

} // namespace

void* operator new(size_t size) {
  if (allocationsLeft == 0) {
    allocationsLeft = -1;
    throw std::bad_alloc();
  }
  if (allocationsLeft > 0)
    allocationsLeft--;
  void* block = malloc(size ? size : 1);
  if (!block)
    throw std::bad_alloc();
  return block;
}

// GCC sees a block from operator new go to free, which is just what this
// pair is for.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void operator delete(void* block) noexcept {
  free(block);
}

void operator delete(void* block, size_t) noexcept {
  free(block);
}

namespace {

typedef std::vector<std::string> Lines;
const uint64_t All = ~(uint64_t)0;

// While this lives, the allocation on this thread after the next n fails.
struct FailingAllocation {
  explicit FailingAllocation(long n) { allocationsLeft = n; }
  ~FailingAllocation() { allocationsLeft = -1; }
};

// A file that counts how often it is freed.
class CountedFile : public testing_support::MemFile {
public:
  CountedFile(const std::string& name, int* deletions)
      : MemFile(name.c_str(), "x"), deletions(deletions) {}
  ~CountedFile() override { ++*deletions; }

private:
  int* deletions;
};

} // namespace

TEST(OfferFiles, AShareIsOfferedWholeOrNotAtAllWhenMemoryRunsOut) {
  // Enough files for the share's lists to grow several times.
  const int Files = 40;
  bool offered = false;
  for (long n = 0; !offered; n++) {
    ASSERT_LT(n, 100000) << "the offer never succeeded";
    std::vector<int> deletions(Files, 0);
    {
      testing_support::Probe probe;
      uint32_t id = probe.upload().newShare(0, 2);
      ft::ManagedVector<ft::FileProxy> files;
      for (int i = 0; i < Files; i++)
        files.push_back(new CountedFile("f" + std::to_string(i), &deletions[i]));
      try {
        FailingAllocation failing(n);
        ft::offerFiles(&probe.upload(), &files);
        offered = true;
      } catch (const std::bad_alloc&) {
      }
      files.clear();
      int freed = 0;
      for (int d : deletions) {
        ASSERT_LE(d, 1) << "freed twice, failing allocation " << n;
        freed += d;
      }
      if (freed == Files) {
        // Absent: nothing was offered, and its files are not served.
        EXPECT_EQ(Lines{}, probe.sent()) << n;
        probe.ext().reqFile(probe.conn(), "f0", ft::FileId(id, 0), All, 0, All, 0);
        EXPECT_EQ((Lines{"fileError " + std::to_string(id) + "/0 'File not shared: f0'",
                         "fileEOF " + std::to_string(id) + "/0"}),
                  probe.sent())
            << n;
      } else {
        // Whole (the offer may have failed as it went out): offered again,
        // every file is listed.
        ASSERT_EQ(0, freed) << "a share of some of the files, failing allocation " << n;
        probe.ext().refreshUploads(&probe.upload());
        probe.ext().reqShare(probe.conn(), id, "", 0);
        int listed = 0;
        Lines lines = probe.sent();
        for (const std::string& line : lines)
          listed += line.compare(0, 11, "shareEntry ") == 0;
        EXPECT_EQ(Files, listed) << n;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ("shareDataEOF " + std::to_string(id), lines.back()) << n;
      }
    }
    // The rest went with the upload manager: every file freed once.
    EXPECT_EQ(std::vector<int>(Files, 1), deletions) << n;
  }
}

TEST(OfferFiles, AFileThatCannotJoinTheShareIsFreedOnceAndNeverServed) {
  bool joined = false;
  for (long n = 0; !joined; n++) {
    ASSERT_LT(n, 100000) << "the file never joined";
    int deletions = 0;
    {
      testing_support::Probe probe;
      uint32_t id = probe.upload().newShare(0, 2);
      CountedFile* late = new CountedFile("late", &deletions);
      try {
        FailingAllocation failing(n);
        probe.upload().addFile(late);
        joined = true;
      } catch (const std::bad_alloc&) {
      }
      EXPECT_EQ(joined ? 0 : 1, deletions) << n;
      probe.upload().listComplete();
      probe.ext().refreshUploads(&probe.upload());
      probe.sent();
      probe.ext().reqFile(probe.conn(), "late", ft::FileId(id, 0), All, 0, All, 0);
      std::string served = std::to_string(id) + "/0";
      Lines expected{joined ? "fileData " + served + " x"
                            : "fileError " + served + " 'File not shared: late'",
                     "fileEOF " + served};
      EXPECT_EQ(expected, probe.sent()) << n;
    }
    EXPECT_EQ(1, deletions) << n;
  }
}
