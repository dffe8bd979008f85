#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <thread>

#include "logfile/LogFile.h"
#include "logfile/LogFileReader.h"
#include "platform/FileOps.h"
#include "support/LogFiles.h"
#include "support/ScopedEnvironment.h"

namespace TMSystem {
namespace {

using tvk::test::Bytes;
using tvk::test::ReadFileBytes;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

tvk::test::DataBlockLayout SmallData(const std::string& siteName = "North Well") {
  tvk::test::DataBlockLayout layout;
  layout.header.siteName = siteName;
  layout.channels = {{0, 12, 2, 17, 5}, {1, 12, 3, 38, 5}};
  layout.rows = {{{100, 0}, {{1.0f, 0}, {2.0f, 0}}}, {{200, 0}, {{3.0f, 1}, {4.0f, 2}}}};
  return layout;
}

struct Sections {
  Bytes configuration, notes, data;
};

Sections ReadSections(const std::string& path) {
  CTMLogFileReader reader;
  Sections s;
  CTMByteBuffer b;
  EXPECT_EQ(reader.Open(path), tvk::kOk);
  EXPECT_EQ(reader.ReadConfiguration(b), tvk::kOk);
  s.configuration = tvk::test::ToBytes(b);
  EXPECT_EQ(reader.ReadNotes(reader.NotesSize(), b), tvk::kOk);
  s.notes = tvk::test::ToBytes(b);
  EXPECT_EQ(reader.ReadLogData(reader.LogDataSize(), b), tvk::kOk);
  s.data = tvk::test::ToBytes(b);
  return s;
}

class LogFileTest : public testing::Test {
 protected:
  std::string WriteSource(const Bytes& notes, const Bytes& data) {
    tvk::test::WriteLogFile(source_, configuration_, notes, data);
    return source_;
  }
  tvk::test::TempFolder dir_;
  std::string source_ = dir_.File("source.vxl");
  Bytes configuration_ = tvk::test::MakeConfiguration("Well 1", {{"SiteName", "North Well"}});
  Bytes notes_ = Concat({tvk::test::MakePlainNote(3, 50), tvk::test::MakePlainNote(5, 150)});
};

TEST_F(LogFileTest, LoadThenSaveAsReproducesEverySection) {
  // Also rows enough to be written in several chunks.
  tvk::test::DataBlockLayout large = SmallData();
  for (std::uint32_t i = 2; i < 400'000; ++i) large.rows.push_back({{300 + i, 0}, {{i * 0.5f, 0}, {-1.0f * i, 0}}});
  struct Case {
    int mode;
    const tvk::test::DataBlockLayout& data;
  };
  const tvk::test::DataBlockLayout small = SmallData();
  for (const Case& c : {Case{kLoadAll, small}, Case{kLoadOnDemand, small}, Case{kLoadAll, large}}) {
    const int mode = c.mode;
    SCOPED_TRACE(testing::Message() << mode << ", " << c.data.rows.size() << " rows");
    WriteSource(notes_, tvk::test::MakeDataBlock(c.data));
    CTMLogFile log;
    ASSERT_EQ(log.Load(source_, mode), tvk::kOk);
    EXPECT_EQ(log.GetRowCount(), c.data.rows.size());
    EXPECT_EQ(log.GetNoteCount(), 2u);
    EXPECT_TRUE(log.HasData());
    const std::string copy = dir_.File("copy" + std::to_string(mode) + ".vxl");
    const Bytes before = ReadFileBytes(source_);
    ASSERT_EQ(log.SaveAs(copy), tvk::kOk);
    EXPECT_EQ(log.GetPath(), copy);
    EXPECT_EQ(ReadFileBytes(source_), before);
    const Sections a = ReadSections(source_);
    const Sections b = ReadSections(copy);
    EXPECT_EQ(b.configuration, a.configuration);
    EXPECT_EQ(b.notes, a.notes);
    EXPECT_EQ(b.data, a.data);
  }
}

TEST_F(LogFileTest, LoadRefusalsAndPartialLoads) {
  CTMLogFile log;
  EXPECT_EQ(log.Load(dir_.File("absent.vxl"), kLoadAll), tvk::kFileNotFound);
  EXPECT_EQ(log.GetPath(), "");
  EXPECT_EQ(log.GetLoadMode(), 0);

  WriteSource(notes_, {});
  EXPECT_EQ(log.Load(source_, kLoadAll), tvk::kNoData);
  EXPECT_EQ(log.GetLogName(), "Well 1");
  EXPECT_EQ(log.GetNoteCount(), 2u);

  // Any other mode loads the configuration and the notes only.
  WriteSource(notes_, tvk::test::MakeDataBlock(SmallData()));
  EXPECT_EQ(log.Load(source_, kLoadNoData), tvk::kOk);
  EXPECT_EQ(log.GetNoteCount(), 2u);
  EXPECT_EQ(log.GetRowCount(), 0u);
  EXPECT_FALSE(log.HasData());

  // A third record whose length byte is 0 ends the list.
  WriteSource(Concat({notes_, Bytes{0}, tvk::test::MakePlainNote(4, 300)}), tvk::test::MakeDataBlock(SmallData()));
  ASSERT_EQ(log.Load(source_, kLoadAll), tvk::kOk);
  EXPECT_EQ(log.GetNoteCount(), 2u);

  tvk::test::WriteLogFile(source_, Bytes{0, 3, 1, 2}, notes_, {});  // format version 3
  EXPECT_EQ(log.Load(source_, kLoadAll), tvk::kBadFormatVersion);
  EXPECT_EQ(log.GetPath(), "");
  EXPECT_EQ(log.GetNoteCount(), 0u);
}

TEST_F(LogFileTest, NotesAreReportedOnlyWhenTheFileHadThem) {
  WriteSource({}, tvk::test::MakeDataBlock(SmallData()));
  CTMLogFile log;
  ASSERT_EQ(log.Load(source_, kLoadAll), tvk::kOk);
  std::vector<CTMLogNotesRecord> notes;
  EXPECT_EQ(log.GetNotes(notes), tvk::kNotesNotLoaded);

  // A note set on a log that had none is still saved.
  CTMLogNotesRecord record;
  ASSERT_EQ(record.FromBytes(tvk::test::ToBuffer(tvk::test::MakePlainNote(9, 400))), tvk::kOk);
  ASSERT_EQ(log.SetNotes({record}), tvk::kOk);
  const std::string copy = dir_.File("copy.vxl");
  ASSERT_EQ(log.SaveAs(copy), tvk::kOk);
  CTMLogFile reloaded;
  ASSERT_EQ(reloaded.Load(copy, kLoadAll), tvk::kOk);
  ASSERT_EQ(reloaded.GetNotes(notes), tvk::kOk);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].type, 9u);
}

// One file or two is the file system's answer, not the spelling's.
TEST_F(LogFileTest, SaveAsToTheLogsOwnFileIsASave) {
  WriteSource(notes_, tvk::test::MakeDataBlock(SmallData()));
  const std::string upper = dir_.File("SOURCE.vxl");
  const std::string hard = dir_.File("hard.vxl");
  const std::string soft = dir_.File("soft.vxl");
  struct Row {
    const char* name;
    std::string path;
    bool same;
  };
  const Row rows[] = {{"other letter case", upper, false}, {"hard link", hard, true}, {"symbolic link", soft, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(upper);
    std::filesystem::remove(hard);
    std::filesystem::remove(soft);
    std::filesystem::create_hard_link(source_, hard);
    std::filesystem::create_symlink(source_, soft);
    CTMLogFile log;
    ASSERT_EQ(log.Load(source_, kLoadAll), tvk::kOk);
    ASSERT_EQ(log.SetStringValue("SiteName", "Renamed"), tvk::kOk);
    ASSERT_EQ(log.SaveAs(row.path), tvk::kOk);
    CTMLogFile reloaded;
    ASSERT_EQ(reloaded.Load(source_, kLoadAll), tvk::kOk);
    EXPECT_EQ(reloaded.GetSiteName(), row.same ? "Renamed" : "North Well");
    EXPECT_EQ(std::filesystem::exists(upper), !row.same);
    EXPECT_EQ(log.GetPath(), row.same ? source_ : row.path);
    EXPECT_TRUE(std::filesystem::is_symlink(soft));
  }
}

// Whatever name the source goes by, a new file never replaces it (links and FIFOs: FileTest).
TEST_F(LogFileTest, SaveAsNewNeverWritesTheSource) {
  WriteSource(notes_, tvk::test::MakeDataBlock(SmallData()));
  const Bytes before = ReadFileBytes(source_);
  std::filesystem::create_hard_link(source_, dir_.File("hard.vxl"));
  std::filesystem::create_symlink(source_, dir_.File("soft.vxl"));
  for (const std::string& path : {source_, dir_.File("hard.vxl"), dir_.File("soft.vxl")}) {
    SCOPED_TRACE(path);
    CTMLogFile log;
    ASSERT_EQ(log.Load(source_, kLoadAll), tvk::kOk);
    ASSERT_EQ(log.SetStringValue("SiteName", "Renamed"), tvk::kOk);
    EXPECT_EQ(log.SaveAsNew(path), tvk::kOpenFailed);
    EXPECT_EQ(log.GetLastWriteError(), EEXIST);
    EXPECT_EQ(log.GetPath(), source_);
    EXPECT_EQ(ReadFileBytes(source_), before);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 3);
}

// Fails the n-th step of writing and placing a file (counted from 1; 0 fails none), and can play a file
// system without unnamed files. A full disk fails writes and flushes (ENOSPC), other steps fail with
// EIO. Cleaning up (unlink) is never failed.
class FailingFileOps : public tvk::platform::FileOps {
 public:
  FailingFileOps(int failAt, bool unnamed) : failAt_(failAt), unnamed_(unnamed) {}
  int Steps() const { return steps_; }
  int Given() const { return given_; }  // the errno of the failed step

  int CreateUnnamed(int folder, int& fd) override {
    if (!unnamed_) return EOPNOTSUPP;
    return Step(EIO) != 0 ? EIO : FileOps::CreateUnnamed(folder, fd);
  }
  int CreateExclusive(int folder, const char* name, int& fd) override {
    return Step(EIO) != 0 ? EIO : FileOps::CreateExclusive(folder, name, fd);
  }
  int WriteAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) override {
    if (Step(ENOSPC) == 0) return FileOps::WriteAt(fd, bytes, count, offset);
    FileOps::WriteAt(fd, bytes, count / 2, offset);  // a short write, as a full disk gives
    return ENOSPC;
  }
  int Sync(int fd) override { return Step(ENOSPC) != 0 ? ENOSPC : FileOps::Sync(fd); }
  int LinkUnnamed(int fd, int folder, const char* name) override {
    return Step(EIO) != 0 ? EIO : FileOps::LinkUnnamed(fd, folder, name);
  }
  int Link(int folder, const char* from, const char* to) override {
    return Step(EIO) != 0 ? EIO : FileOps::Link(folder, from, to);
  }
  int Rename(int folder, const char* from, const char* to) override {
    return Step(EIO) != 0 ? EIO : FileOps::Rename(folder, from, to);
  }

 private:
  int Step(int error) {
    if (++steps_ != failAt_) return 0;
    given_ = error;
    return 1;
  }
  int failAt_;
  bool unnamed_;
  int steps_ = 0;
  int given_ = 0;
};

// Whatever step fails, the new file is complete or absent, what was there before is whole, and the
// folder holds nothing else.
TEST_F(LogFileTest, AFailureAtAnyStepOfWritingLeavesCompleteFilesOnly) {
  WriteSource(notes_, tvk::test::MakeDataBlock(SmallData()));
  const Bytes source = ReadFileBytes(source_);
  const std::string existing = dir_.File("existing.vxl");
  const std::string fresh = dir_.File("fresh.vxl");
  const Bytes old{1, 2, 3};
  enum class Kind { kSaveAsNew, kSaveAsOver, kSave };
  struct Case {
    const char* name;
    Kind kind;
    std::string target;
  };
  const Case cases[] = {
      {"new file", Kind::kSaveAsNew, fresh},
      {"over another file", Kind::kSaveAsOver, existing},
      {"over the log's own file", Kind::kSave, source_},
  };
  for (const Case& c : cases) {
    for (const bool unnamed : {true, false}) {
      for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE(testing::Message() << c.name << (unnamed ? ", unnamed" : ", named") << ", step " << failAt);
        tvk::test::WriteFileBytes(source_, source);
        tvk::test::WriteFileBytes(existing, old);
        std::filesystem::remove(fresh);
        CTMLogFile log;
        ASSERT_EQ(log.Load(source_, kLoadAll), tvk::kOk);
        ASSERT_EQ(log.SetStringValue("SiteName", "Renamed"), tvk::kOk);
        FailingFileOps ops(failAt, unnamed);
        log.SetFileOps(&ops);
        const ResultCode rc = c.kind == Kind::kSaveAsNew ? log.SaveAsNew(c.target)
                              : c.kind == Kind::kSave    ? log.Save()
                                                         : log.SaveAs(c.target);
        const bool failed = ops.Steps() >= failAt;
        EXPECT_EQ(tvk::Failed(rc), failed);
        if (failed) {
          EXPECT_EQ(log.GetLastWriteError(), ops.Given()) << "the failed step's own reason";
        }

        // A new file exists only when the write succeeded; a replaced one holds the new log, or after a
        // failure (before the new file took its place) what it held before.
        const bool exists = std::filesystem::exists(c.target);
        const bool unchanged = c.kind == Kind::kSaveAsNew
                                   ? !exists
                                   : ReadFileBytes(c.target) == (c.kind == Kind::kSave ? source : old);
        if (c.kind == Kind::kSaveAsNew) {
          EXPECT_EQ(exists, !failed);
        }
        if (unchanged) {
          EXPECT_TRUE(failed);
        } else {
          CTMLogFile reloaded;
          ASSERT_EQ(reloaded.Load(c.target, kLoadAll), tvk::kOk);
          EXPECT_EQ(reloaded.GetSiteName(), "Renamed");
          EXPECT_EQ(reloaded.GetRowCount(), 2u);
        }
        if (c.kind != Kind::kSave) {
          EXPECT_EQ(ReadFileBytes(source_), source);
        }
        if (c.kind != Kind::kSaveAsOver) {
          EXPECT_EQ(ReadFileBytes(existing), old);
        }
        const std::size_t files = std::distance(std::filesystem::directory_iterator(dir_.Path()), {});
        EXPECT_EQ(files, c.kind == Kind::kSaveAsNew && exists ? 3u : 2u);
        if (!failed) {
          EXPECT_GE(failAt, 6) << "every step was failed once";
          break;
        }
      }
    }
  }
}

// A caller giving up at any of the moments it is asked leaves nothing; one that never does gets the file.
TEST_F(LogFileTest, AnAbandonedNewFileLeavesNothing) {
  WriteSource(notes_, tvk::test::MakeDataBlock(SmallData()));
  const std::string target = dir_.File("new.vxl");
  for (int abandonAt = 1;; ++abandonAt) {
    SCOPED_TRACE(abandonAt);
    CTMLogFile log;
    ASSERT_EQ(log.Load(source_, kLoadAll), tvk::kOk);
    int asked = 0;
    const ResultCode rc = log.SaveAsNew(target, [&] { return ++asked == abandonAt; });
    if (asked < abandonAt) {
      EXPECT_EQ(rc, tvk::kOk);
      EXPECT_EQ(abandonAt, 4) << "before the start, before the rows, before the name";
      EXPECT_TRUE(std::filesystem::exists(target));
      break;
    }
    EXPECT_EQ(rc, tvk::kFail);
    EXPECT_EQ(log.GetLastWriteError(), ECANCELED);
    EXPECT_EQ(log.GetPath(), source_);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
  }
}

TEST_F(LogFileTest, ChannelsWithoutRowsWriteNoDataSection) {
  CTMLogFile log;
  ASSERT_EQ(log.ParseConfiguration(tvk::test::ToBuffer(configuration_)), tvk::kOk);
  ASSERT_EQ(log.SetChannels(SmallData().channels), tvk::kOk);
  const std::string path = dir_.File("new.vxl");
  ASSERT_EQ(log.SaveAs(path), tvk::kOk);
  CTMLogFileReader reader;
  ASSERT_EQ(reader.Open(path), tvk::kOk);
  EXPECT_EQ(reader.LogDataPos(), 0);
  EXPECT_EQ(reader.NotesPos(), 0);
}

TEST_F(LogFileTest, SaveAsOverAFileAReaderHoldsIsRefused) {
  WriteSource(notes_, tvk::test::MakeDataBlock(SmallData()));
  const std::string target = dir_.File("held.vxl");
  tvk::test::WriteLogFile(target, configuration_, {}, {});
  const Bytes before = ReadFileBytes(target);
  CTMLogFileReader holder;
  ASSERT_EQ(holder.Open(target), tvk::kOk);
  CTMLogFile log;
  ASSERT_EQ(log.Load(source_, kLoadAll), tvk::kOk);
  EXPECT_TRUE(tvk::Failed(log.SaveAs(target)));
  EXPECT_EQ(ReadFileBytes(target), before);
  holder.Close();
  EXPECT_EQ(log.SaveAs(target), tvk::kOk);
}

TEST_F(LogFileTest, RowsOnDemandRefuseSavingAndReplacingAndCopiesShareTheReader) {
  WriteSource(notes_, tvk::test::MakeDataBlock(SmallData()));
  const Bytes before = ReadFileBytes(source_);
  CTMLogFile copy;
  {
    CTMLogFile log;
    ASSERT_EQ(log.Load(source_, kLoadOnDemand), tvk::kOk);
    EXPECT_EQ(log.Save(), tvk::kSaveInCursorMode);
    EXPECT_EQ(ReadFileBytes(source_), before);
    EXPECT_EQ(log.SetRows({}), tvk::kUnsupportedDataMode);
    EXPECT_EQ(log.SetChannels({{}}), tvk::kUnsupportedDataMode);
    ASSERT_EQ(copy.CopyLogFrom(log), tvk::kOk);
  }
  // The copy reads on through the shared reader after the log it was copied from is gone.
  CTMDataRow row;
  ASSERT_EQ(copy.GetRow(1, row), tvk::kOk);
  EXPECT_EQ(row, SmallData().rows[1]);
  EXPECT_EQ(copy.GetRow(2, row), tvk::kInvalidIndex);
  CTMDeviceTime time;
  ASSERT_EQ(copy.GetRowTime(1, time), tvk::kOk);
  EXPECT_EQ(time.seconds, 200u);
  EXPECT_EQ(copy.GetNoteCount(), 2u);
  EXPECT_EQ(copy.GetLogName(), "Well 1");
}

// Copies of a log with rows on demand share one reader, and each copy may be used from its own thread.
TEST_F(LogFileTest, SharedOnDemandCopiesReadFromTwoThreadsGiveTheRowsOfOne) {
  tvk::test::DataBlockLayout layout = SmallData();
  layout.rows.clear();
  // Several windows of rows, so that both copies go back to the shared file while the other reads.
  constexpr std::uint32_t kRows = 60'000;
  for (std::uint32_t i = 0; i < kRows; ++i) {
    const auto status = static_cast<std::uint16_t>(i & 0xFF);
    layout.rows.push_back({{1000 + i, 0}, {{static_cast<float>(i), 0}, {-0.5f * static_cast<float>(i), status}}});
  }
  WriteSource({}, tvk::test::MakeDataBlock(layout));
  CTMLogFile log;
  ASSERT_EQ(log.Load(source_, kLoadOnDemand), tvk::kOk);
  auto copy = std::make_unique<CTMLogFile>();
  ASSERT_EQ(copy->CopyLogFrom(log), tvk::kOk);

  // One copy reads from the first row, the other from the middle and then lets its copy go, while
  // the first one still reads.
  const auto readAll = [](CTMLogFile& source, std::uint32_t start, std::vector<CTMDataRow>& rows) {
    rows.assign(kRows, {});
    for (std::uint32_t k = 0; k < kRows; ++k) {
      const std::uint32_t i = (start + k) % kRows;
      if (source.GetRow(i, rows[i]) != tvk::kOk) return;
    }
  };
  std::vector<CTMDataRow> first;
  std::vector<CTMDataRow> second;
  std::vector<CTMDataRow> again;
  std::thread a([&] {
    readAll(log, 0, first);
    readAll(log, 0, again);
  });
  std::thread b([&] {
    readAll(*copy, kRows / 2, second);
    copy.reset();
  });
  a.join();
  b.join();
  EXPECT_TRUE(first == layout.rows);
  EXPECT_TRUE(second == layout.rows);
  EXPECT_TRUE(again == layout.rows);
}

TEST_F(LogFileTest, SiteInfoPrefersTheDataBlockNameWhenTheyDiffer) {
  struct Case {
    const char* dataName;
    const char* expectedName;
    bool zeroGuid;
  } cases[] = {{"North Well", "North Well", false}, {"Other Name", "Other Name", true}};
  configuration_ = tvk::test::MakeConfiguration(
      "Well 1", {{"SiteName", "North Well"}, {"SiteGUID", "{00112233-4455-6677-8899-AABBCCDDEEFF}"}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dataName);
    WriteSource({}, tvk::test::MakeDataBlock(SmallData(c.dataName)));
    CTMLogFile log;
    ASSERT_EQ(log.Load(source_, kLoadOnDemand), tvk::kOk);
    std::string name, guid;
    ASSERT_EQ(log.GetSiteInfo(name, guid), tvk::kOk);
    EXPECT_EQ(name, c.expectedName);
    EXPECT_EQ(guid, c.zeroGuid ? "{00000000-0000-0000-0000-000000000000}" : "{00112233-4455-6677-8899-AABBCCDDEEFF}");
  }
}

}  // namespace
}  // namespace TMSystem
