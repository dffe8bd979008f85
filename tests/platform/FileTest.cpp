#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "platform/File.h"
#include "support/LogFiles.h"
#include "support/ScopedEnvironment.h"

namespace tvk::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

class FileTest : public ::testing::Test {
 protected:
  Bytes Contents() const { return test::ReadFileBytes(path_); }

  test::TempFolder folder_;
  const std::string path_ = folder_ / "f.bin";
};

TEST_F(FileTest, ReadsAcrossBufferBoundariesAndSeeksButNotPastTheEnd) {
  Bytes content(200'000);
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 31 + (i >> 8));
  test::WriteFileBytes(path_, content);
  CFile file;
  ASSERT_TRUE(file.OpenForSharedRead(path_.c_str()));
  EXPECT_EQ(file.Size(), 200'000u);
  struct Step {
    std::uint64_t position;
    std::size_t count;
  };
  // Small reads on both sides of the 64 KiB buffer edge, a large direct read, a seek backwards.
  const Step steps[] = {{0, 26}, {65'530, 26}, {65'556, 26}, {1000, 150'000}, {10, 3}, {199'990, 10}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.position);
    ASSERT_TRUE(file.Seek(s.position));
    Bytes got(s.count);
    ASSERT_TRUE(file.Read(got.data(), got.size()));
    EXPECT_EQ(got, Bytes(content.begin() + static_cast<std::ptrdiff_t>(s.position),
                         content.begin() + static_cast<std::ptrdiff_t>(s.position + s.count)));
    EXPECT_EQ(file.Position(), s.position + s.count);
  }
  // A read past the end fails and keeps the position.
  ASSERT_TRUE(file.Seek(199'990));
  Bytes got(11);
  EXPECT_FALSE(file.Read(got.data(), got.size()));
  EXPECT_EQ(file.Position(), 199'990u);
  EXPECT_TRUE(file.Read(got.data(), 10));
  EXPECT_EQ(file.ReadByte(), -1);
  ASSERT_TRUE(file.Seek(300'000));
  EXPECT_FALSE(file.Read(got.data(), 1));
}

TEST_F(FileTest, OpensOnlyRegularFilesAndKeepsErrno) {
  const std::string fifo = path_ + ".fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    const char* name;
    std::string path;
    int error;
  };
  const Case cases[] = {
      {"missing", path_ + ".missing", ENOENT},
      {"directory", std::filesystem::temp_directory_path().string(), EISDIR},
      {"fifo, which must not block", fifo, EINVAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFile file;
    EXPECT_FALSE(file.OpenForSharedRead(c.path.c_str()));
    EXPECT_EQ(file.LastError(), c.error);
    EXPECT_FALSE(file.IsOpen());
  }
  CFile writer;
  EXPECT_FALSE(writer.CreateForWriting(std::filesystem::temp_directory_path().c_str()));
}

TEST_F(FileTest, WritesWithRewritesBehind) {
  CFile file;
  ASSERT_TRUE(file.CreateForWriting(path_.c_str()));
  const Bytes big(100'000, 0xAB);
  ASSERT_TRUE(file.Write("0123456789", 10));
  ASSERT_TRUE(file.Write(big.data(), big.size()));
  ASSERT_TRUE(file.Write("xyz", 3));
  ASSERT_TRUE(file.Seek(2));
  ASSERT_TRUE(file.Write("AB", 2));
  ASSERT_TRUE(file.Seek(100'011));
  ASSERT_TRUE(file.Write("Y", 1));
  EXPECT_EQ(file.Size(), 100'013u);
  ASSERT_TRUE(file.Close());
  const std::string text = "01AB456789" + std::string(big.size(), '\xAB') + "xYz";
  const Bytes expected(text.begin(), text.end());
  EXPECT_EQ(Contents(), expected);
}

// Whatever an attacker plants at the output name, the write never goes through it: a link's target
// stays as it was, a FIFO never blocks, and nothing is left in the folder but what was there.
TEST_F(FileTest, PlantedNamesAreNeverWrittenThrough) {
  const std::string victim = folder_ / "victim";
  const std::string outside = folder_ / "outside.txt";  // a link's target that does not exist yet
  enum Plant { kLink, kDanglingLink, kFifo, kRegular };
  struct Case {
    const char* name;
    Plant plant;
    Placement placement;
    bool placed;       // the new file took the name
    int createError;   // when refused at once
  };
  const Case cases[] = {
      {"link, no replace", kLink, Placement::kNoReplace, false, EEXIST},
      {"dangling link, no replace", kDanglingLink, Placement::kNoReplace, false, EEXIST},
      {"FIFO, no replace", kFifo, Placement::kNoReplace, false, EEXIST},
      {"regular file, no replace", kRegular, Placement::kNoReplace, false, EEXIST},
      {"link replaced itself", kLink, Placement::kReplace, true, 0},
      {"dangling link replaced itself", kDanglingLink, Placement::kReplace, true, 0},
      {"FIFO refused", kFifo, Placement::kReplace, false, EINVAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path_);
    std::filesystem::remove(outside);
    test::WriteFileBytes(victim, {7});
    if (c.plant == kLink) std::filesystem::create_symlink(victim, path_);
    if (c.plant == kDanglingLink) std::filesystem::create_symlink(outside, path_);
    if (c.plant == kFifo) {
      ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    }
    if (c.plant == kRegular) test::WriteFileBytes(path_, {1});

    CFile file;
    ASSERT_EQ(file.CreateForWriting(path_.c_str(), c.placement), c.createError == 0);
    if (c.createError != 0) {
      EXPECT_EQ(file.LastError(), c.createError);
    }
    if (file.IsOpen()) {
      ASSERT_TRUE(file.Write("new", 3));
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 2) << "nothing visible yet";
      EXPECT_EQ(file.Close(), c.placed);
    }
    EXPECT_EQ(test::ReadFileBytes(victim), Bytes{7});
    EXPECT_FALSE(std::filesystem::exists(outside));
    const auto status = std::filesystem::symlink_status(path_);
    const bool isNew = status.type() == std::filesystem::file_type::regular && Contents() == Bytes{'n', 'e', 'w'};
    EXPECT_EQ(isNew, c.placed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 2);
  }
}

// A name taken between Create and Close is not replaced either; an abandoned file leaves nothing.
TEST_F(FileTest, NameTakenMeanwhileIsKeptAndDiscardLeavesNothing) {
  CFile file;
  ASSERT_TRUE(file.CreateForWriting(path_.c_str(), Placement::kNoReplace));
  ASSERT_TRUE(file.Write("new", 3));
  test::WriteFileBytes(path_, {1});
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(file.LastError(), EEXIST);
  EXPECT_EQ(Contents(), Bytes{1});

  std::filesystem::remove(path_);
  ASSERT_TRUE(file.CreateForWriting(path_.c_str()));
  ASSERT_TRUE(file.Write("new", 3));
  file.Discard();
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Path()));
}

}  // namespace
}  // namespace tvk::platform
