#include "correction/CorrectionSummary.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/LocalTime.h"
#include "common/TextUtil.h"
#include "correction/CorrectionChoices.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "logfile/notes/UserNotes.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

TEST(CorrectionNoteText, ValuesFollowTheFirstColonOfEachEndedLine) {
  struct Case {
    const char* name;
    const char* text;
    CorrectionSummary expected;  // without filePath
  };
  const Case cases[] = {
      {"data point time keeps its colons",
       "Post correction\n   Level Measurement Mode: Level Depth To Water\n   Specific gravity: 1.024\n"
       "   Level Reference Mode: Using data point at 3/4/2021 05:06:07\n   Level reference: 30 feet\n   User Name: ann",
       {"", "Level Depth To Water", "30 feet, Using data point at 3/4/2021 05:06:07", "1.024", {}}},
      {"pressure head has no reference lines",
       "Post correction\n   Level Measurement Mode: Depth\n   Specific gravity: Dynamic density used\n",
       {"", "Depth", "N/A", "Dynamic density used", {}}},
      {"the mode line is not the reference value", "   Level Reference Mode: Start of test\n", {"", "", "N/A", "", {}}},
      {"searches are case-sensitive", "   level measurement mode: Depth\n   Specific Gravity: 1\n", {"", "", "N/A", "", {}}},
      {"a last line without line feed is not read", "   Specific gravity: 1\n   Level reference: 3 meters",
       {"", "", "N/A", "1", {}}},
      {"a later line overrides, a line without colon is its own value",
       "Specific gravity: 1\n  Specific gravity unknown \n", {"", "", "N/A", "Specific gravity unknown", {}}},
      {"empty text", "", {"", "", "N/A", "", {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseCorrectionNoteText(c.text), c.expected);
  }
}

class CorrectionSummaryFile : public testing::Test {
 protected:
  // A depth-to-water log corrected to `mode`, at row 1 when `atRow`; the corrected file's path.
  std::string Corrected(std::uint16_t mode, bool atRow) {
    const test::LevelLogLayout sample = test::AcceptedLevelLog();
    const std::string source = dir_.File("log.vxl");
    test::WriteLevelLog(sample, source);
    CLevelCorrector corrector;
    EXPECT_EQ(corrector.Open(source), 1) << corrector.GetErrorText();
    EXPECT_EQ(corrector.SetNewLevelMeasurementMode(mode), 1);
    if (mode != 3) {
      EXPECT_EQ(corrector.SetNewLevelReferenceVal(30.0f), 1);
    }
    if (atRow) corrector.SetReferenceRowIndex(1);
    EXPECT_EQ(corrector.SetNewSpecificGravity(1.024f), 1);
    time_ = test::RowTime(sample, 1);
    return Save(corrector);
  }
  // Corrects into the folder beside the log; the corrected file's path.
  std::string Save(CLevelCorrector& corrector) {
    EXPECT_EQ(corrector.Correct(), 1) << corrector.GetErrorText();
    const std::string folder = CombinePath(dir_.Path().string(), kCorrectedFolderName);
    std::filesystem::create_directories(folder);
    EXPECT_EQ(corrector.SaveCorrected(folder), 1) << corrector.GetErrorText();
    return CorrectedFilePath(dir_.Path().string(), corrector.GetOutputName());
  }

  test::TempFolder dir_;
  TMSystem::CTMDeviceTime time_;
};

TEST_F(CorrectionSummaryFile, ShowsWhatTheCorrectedFileRecords) {
  CorrectionSummary depth;
  const std::string depthPath = Corrected(3, false);
  ASSERT_TRUE(ReadCorrectionSummary(depthPath, depth));
  EXPECT_EQ(depth, (CorrectionSummary{depthPath, "Depth", "N/A", "1.024", {}}));

  CorrectionSummary atRow;
  const std::string atRowPath = Corrected(5, true);
  ASSERT_TRUE(ReadCorrectionSummary(atRowPath, atRow));
  const std::string when = FormatDateTime(TMSystem::DeviceTimeToSystemTime(time_));
  ASSERT_NE(when.find(':'), std::string::npos);
  EXPECT_EQ(atRow, (CorrectionSummary{atRowPath, "Level Surface Elevation", "30 meters, Using data point at " + when,
                                      "1.024", {}}));

  // Nothing without a file, empty values without the note.
  CorrectionSummary summary{"x", "x", "x", "x", {}};
  EXPECT_FALSE(ReadCorrectionSummary(dir_.File("missing.vxl"), summary));
  ASSERT_TRUE(ReadCorrectionSummary(dir_.File("log.vxl"), summary));
  EXPECT_EQ(summary, (CorrectionSummary{dir_.File("log.vxl"), "", "N/A", "", {}}));
}

// Depth to water every quarter metre, corrected through readings at rows 0, 4 and 8: the ordinary
// correction puts row k at 10 + 0.25 k, so the readings leave residuals 0, +1 and -0.5.
TEST_F(CorrectionSummaryFile, ReadsTheReadingsBackFromTheirNotesAndPassesOverOtherTextNotes) {
  test::LevelLogLayout sample = test::AcceptedLevelLog({0, 0.25f, 0.5f, 0.75f, 1, 1.25f, 1.5f, 1.75f, 2, 2.25f});
  TMSystem::CTMUserNote_Text own;  // the user's own text note
  ASSERT_EQ(own.Build("Manual reading 1 of 2 was taken by Ann"), kOk);
  sample.notes.push_back(own.GetRecord());
  const std::string source = dir_.File("log.vxl");
  test::WriteLevelLog(sample, source);
  auto corrector = std::make_shared<CLevelCorrector>();
  ASSERT_EQ(corrector->Open(source), 1) << corrector->GetErrorText();
  CCorrectionPass pass(corrector);
  std::string reason;
  ASSERT_TRUE(pass.ChooseMode(4, reason)) << reason;
  const DataPointDisplay display(TakeDisplaySnapshot());
  // Out of order on purpose: the notes come in time order.
  ASSERT_TRUE(pass.SetReadings({{test::RowTime(sample, 8), 11.5f}, {test::RowTime(sample, 0), 10.0f},
                                {test::RowTime(sample, 4), 12.0f}},
                               display, reason))
      << reason;
  ASSERT_EQ(pass.Apply(reason), 1) << reason;
  CorrectionSummary summary;
  ASSERT_TRUE(ReadCorrectionSummary(Save(*corrector), summary));
  const auto at = [&](std::size_t row, double manual, double logged, double drift) {
    const TMSystem::CTMDeviceTime time = test::RowTime(sample, row);
    return RecordedReading{time.seconds + time.fraction / 65536.0, display.Text(time), manual, logged, drift, "m"};
  };
  EXPECT_EQ(summary.readings, (std::vector<RecordedReading>{at(0, 10, 10, 0), at(4, 12, 11, 1), at(8, 11.5, 12, -0.5)}));
}

}  // namespace
}  // namespace tvk
