#include <gtest/gtest.h>

#include <QAccessible>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <filesystem>
#include <optional>

#include "common/LocalTime.h"
#include "common/TextUtil.h"
#include "controls/TMCheckTreeCtrl.h"
#include "correction/CorrectionChoices.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "support/RunTavisko.h"
#include "tests/wizard/WizardTestSupport.h"

namespace tvk::test {
namespace {

using wizard::CWizPageSelectMode;
using wizard::CWizPageSetNewReference;
using wizard::CWizPageSpecificGravity;
using wizard::kIdBack;
using wizard::kIdNext;
using TMSystem::CTMDeviceTime;
using TMSystem::CTMVariant;

template <class T>
T* Ctl(QWidget& page, int id) {
  return wizard::Control<T>(&page, id);
}

void ClickLine(QWidget& page, int line) {
  auto* list = Ctl<QListView>(page, CWizPageSetNewReference::kIdDataPoints);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(line, 0)).center());
}

void TypeInto(QWidget& page, int edit, const char* text) {
  auto* value = Ctl<QLineEdit>(page, edit);
  value->selectAll();
  QTest::keyClicks(value, text);
}

// A sheet on `sample` moved on to the reference page with depth to water chosen.
std::unique_ptr<wizard::CWizSheetPostCorrect> OnReferencePage(const TempFolder& dir, const LevelLogLayout& sample) {
  const std::string log = dir.File("well.vxl");
  WriteLevelLog(sample, log);
  auto sheet = OpenSheet({log});
  ClickControl(sheet->ModePage(), CWizPageSelectMode::kIdDepthToWater);
  Click(*sheet, kIdNext);
  return sheet;
}

LevelLogLayout PressureHeadLog(std::size_t rows) {
  LevelLogLayout sample = AcceptedLog(rows);
  sample.levelMode = 3;
  SetEntry(sample.entries, "LevelMeasurementMode", CTMVariant(std::uint16_t{3}));
  return sample;
}

// The pickers' date and time: the display's calendar fields of `utc`.
std::pair<QDate, QTime> Shown(const CTMDeviceTime& utc) {
  const SystemTime s = TMSystem::DeviceTimeToSystemTime(DataPointDisplay(TakeDisplaySnapshot()).ReadBack(utc));
  return {QDate(s.year, s.month, s.day), QTime(s.hour, s.minute, s.second)};
}

TEST(ReferencePage, PressureHeadLogOpensOnTheFirstDataPoint) {
  TempFolder dir;
  const LevelLogLayout sample = PressureHeadLog(5);
  auto sheet = OnReferencePage(dir, sample);
  auto& page = sheet->ReferencePage();
  ASSERT_EQ(sheet->CurrentPage(), &page);
  EXPECT_FALSE(Ctl<QRadioButton>(page, CWizPageSetNewReference::kIdAtTestDefinition)->isEnabled());
  EXPECT_TRUE(Ctl<QRadioButton>(page, CWizPageSetNewReference::kIdAtDataPoint)->isChecked());
  EXPECT_TRUE(Ctl<QListView>(page, CWizPageSetNewReference::kIdDataPoints)->isEnabled());
  EXPECT_EQ(page.SelectedRow(), 0);
  const auto [date, time] = Shown(RowTime(sample, 0));
  EXPECT_EQ(Ctl<QDateEdit>(page, CWizPageSetNewReference::kIdDatePicker)->date(), date);
  EXPECT_EQ(Ctl<QTimeEdit>(page, CWizPageSetNewReference::kIdTimePicker)->time(), time);
  EXPECT_EQ(Ctl<QDateEdit>(page, CWizPageSetNewReference::kIdDatePicker)->maximumDate(), Shown(RowTime(sample, 4)).first);
  EXPECT_TRUE(Ctl<QLabel>(page, CWizPageSetNewReference::kIdTimeZone)->text().startsWith("Time zone: "));
}

TEST(ReferencePage, PickersSelectTheNearestRowAndTheEarlierOnATie) {
  struct Row {
    const char* name;
    std::size_t rows;
    std::size_t from;  // the picked time is this row's time plus `seconds` (rows are a minute apart)
    int seconds;
    int expected;
    bool kept = true;  // the time picker keeps the time, else it stops at the row's
  };
  const Row rows[] = {
      {"nearer the earlier", 5, 2, 20, 2},
      {"nearer the later", 5, 2, 40, 3},
      {"half way", 5, 2, 30, 2},
      {"before the first", 5, 0, -3600, 0, false},
      {"after the last", 5, 4, 3600, 4, false},
      {"one row, a day later", 1, 0, 86400, 0},
      {"one row, earlier", 1, 0, -50, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder dir;
    const LevelLogLayout sample = PressureHeadLog(row.rows);
    auto sheet = OnReferencePage(dir, sample);
    auto& page = sheet->ReferencePage();
    ClickLine(page, static_cast<int>(row.rows) - 1);
    CTMDeviceTime picked = RowTime(sample, row.from);
    picked.seconds = static_cast<std::uint32_t>(static_cast<std::int64_t>(picked.seconds) + row.seconds);
    const auto [date, time] = Shown(picked);
    auto* datePicker = Ctl<QDateEdit>(page, CWizPageSetNewReference::kIdDatePicker);
    datePicker->setDateRange(QDate(2000, 1, 1), QDate(2040, 1, 1));  // the day after the last row, too
    datePicker->setDate(date);
    Ctl<QTimeEdit>(page, CWizPageSetNewReference::kIdTimePicker)->setTime(time);
    EXPECT_EQ(page.SelectedRow(), row.expected);
    EXPECT_EQ(Ctl<QTimeEdit>(page, CWizPageSetNewReference::kIdTimePicker)->time(),
              row.kept ? time : Shown(RowTime(sample, static_cast<std::size_t>(row.expected))).second);
  }
}

// What the pass hands the corrector when the correction starts.
const LevelSettings& Applied(wizard::CWizSheetPostCorrect& sheet) {
  std::string reason;
  EXPECT_EQ(sheet.Pass()->Apply(reason), 1) << reason;
  return sheet.Corrector()->GetNewSettings();
}

TEST(ReferencePage, LeavingStoresTheValueBothWaysAndNeedsADataPoint) {
  struct Row {
    const char* name;
    std::uint16_t referenceMode;
    bool offsetToo;
  };
  const Row rows[] = {{"reference at a pressure head", 3, false}, {"reference at the start of the test", 1, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder dir;
    LevelLogLayout sample = AcceptedLog(5);
    SetEntry(sample.entries, "LevelReferenceMode", CTMVariant(row.referenceMode));
    auto sheet = OnReferencePage(dir, sample);
    auto& page = sheet->ReferencePage();
    EXPECT_TRUE(Ctl<QRadioButton>(page, CWizPageSetNewReference::kIdAtTestDefinition)->isChecked());
    EXPECT_EQ(Ctl<QLineEdit>(page, CWizPageSetNewReference::kIdValue)->text(), "10");
    TypeInto(page, CWizPageSetNewReference::kIdValue, " 12.5 ");
    ClickControl(page, CWizPageSetNewReference::kIdAtDataPoint);
    ClickLine(page, 3);

    Click(*sheet, kIdBack);
    ASSERT_EQ(sheet->CurrentPage(), &sheet->ModePage());
    EXPECT_EQ(Applied(*sheet).GetFloat(LevelField::kLevelReferenceVal), 12.5f);
    EXPECT_EQ(sheet->Corrector()->GetReferenceRowIndex(), 3);
    EXPECT_EQ(sheet->Corrector()->GetNewSettings().GetFloat(LevelField::kLevelOffset) == 12.5f, row.offsetToo);

    Click(*sheet, kIdNext);
    Ctl<QListView>(page, CWizPageSetNewReference::kIdDataPoints)->selectionModel()->clear();
    Click(*sheet, kIdNext);
    EXPECT_EQ(sheet->CurrentPage(), &page) << "no data point selected";
    EXPECT_EQ(sheet->Refusal(), "Choose the data point of the reference.");
  }
}

// A value that is not a number, or out of range, keeps its page with the reason; a good one moves on.
TEST(WizardPages, BadValuesKeepThePageWithTheReason) {
  TempFolder dir;
  auto sheet = OnReferencePage(dir, AcceptedLog(5));
  const auto refused = [&sheet](QWidget& page, int edit, const char* typed, const char* reason) {
    SCOPED_TRACE(typed);
    TypeInto(page, edit, typed);
    Click(*sheet, kIdNext);
    EXPECT_EQ(sheet->CurrentPage(), &page);
    EXPECT_EQ(sheet->Refusal(), reason);
  };
  for (const char* typed : {"abc", "12.5 m", "", "nan", "1e39", "0x10"}) {
    refused(sheet->ReferencePage(), CWizPageSetNewReference::kIdValue, typed,
            "The level reference must be a decimal number, such as 12.5.");
  }
  TypeInto(sheet->ReferencePage(), CWizPageSetNewReference::kIdValue, "-3.25");
  Click(*sheet, kIdNext);
  EXPECT_EQ(sheet->CurrentPage(), &sheet->SpecificGravityPage());
  EXPECT_EQ(sheet->Refusal(), "") << "a new page starts without the old reason";
  EXPECT_EQ(sheet->Pass()->Choices().referenceValue, -3.25f);

  ClickControl(sheet->SpecificGravityPage(), CWizPageSpecificGravity::kIdCustom);
  const char* const notAbove = "The specific gravity must be above 0.";
  const std::pair<const char*, const char*> gravities[] = {
      {"abc", "The specific gravity must be a decimal number, such as 1.000."}, {"0", notAbove}, {"-1.0", notAbove}};
  for (const auto& [typed, reason] : gravities) {
    refused(sheet->SpecificGravityPage(), CWizPageSpecificGravity::kIdValue, typed, reason);
  }
}

TEST(ReferencePage, LogWithoutRowsOffersOnlyTheTestDefinition) {
  TempFolder dir;
  auto sheet = OnReferencePage(dir, AcceptedLog(0));
  auto& page = sheet->ReferencePage();
  if (sheet->CurrentPage() != &page) GTEST_SKIP() << "the engine refuses a log without rows";
  EXPECT_FALSE(Ctl<QRadioButton>(page, CWizPageSetNewReference::kIdAtDataPoint)->isEnabled());
  EXPECT_TRUE(Ctl<QRadioButton>(page, CWizPageSetNewReference::kIdAtTestDefinition)->isChecked());
  EXPECT_EQ(Ctl<QListView>(page, CWizPageSetNewReference::kIdDataPoints)->model()->rowCount(), 0);
}

TEST(SpecificGravityPage, RecordedValueChoosesThePreset) {
  struct Row {
    const char* name;
    std::optional<float> recorded;
    std::optional<float> dynamicFactor;
    int checked;
    const char* text;
    bool writable;
  };
  const Row rows[] = {
      {"brackish", 1.012f, {}, CWizPageSpecificGravity::kIdBrackishWater, "1.012000", false},
      {"fresh", 0.999f, {}, CWizPageSpecificGravity::kIdFreshWater, "0.999000", false},
      {"one", 1.0f, {}, CWizPageSpecificGravity::kIdCustom, "1.000000", true},
      {"none recorded", {}, {}, CWizPageSpecificGravity::kIdCustom, "0.000000", true},
      {"negative dynamic factor", 1.024f, -0.5f, CWizPageSpecificGravity::kIdSeaWater, "1.024000", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder dir;
    LevelLogLayout sample = AcceptedLog(3);
    SetEntry(sample.entries, "SpecificGravity", row.recorded ? CTMVariant(*row.recorded) : CTMVariant());
    if (row.dynamicFactor) SetEntry(sample.entries, "DynamicSpecificGravityFactor", CTMVariant(*row.dynamicFactor));
    auto sheet = OnReferencePage(dir, sample);
    Click(*sheet, kIdNext);
    auto& page = sheet->SpecificGravityPage();
    ASSERT_EQ(sheet->CurrentPage(), &page);
    EXPECT_TRUE(Ctl<QRadioButton>(page, row.checked)->isChecked());
    EXPECT_TRUE(Ctl<QRadioButton>(page, CWizPageSpecificGravity::kIdFreshWater)->isEnabled());
    auto* value = Ctl<QLineEdit>(page, CWizPageSpecificGravity::kIdValue);
    EXPECT_EQ(value->text(), row.text);
    EXPECT_EQ(value->isEnabled() && !value->isReadOnly(), row.writable);

    ClickControl(page, CWizPageSpecificGravity::kIdCustom);
    TypeInto(page, CWizPageSpecificGravity::kIdValue, "1.005");
    Click(*sheet, kIdBack);
    const float stored = Applied(*sheet).GetFloat(LevelField::kSpecificGravity);
    EXPECT_EQ(stored == 1.005f, !row.dynamicFactor) << stored;
  }
}

TEST(SpecificGravityPage, DynamicDensityOffersNoChoice) {
  TempFolder dir;
  LevelLogLayout dynamic = AcceptedLog(3);
  SetEntry(dynamic.entries, "DynamicSpecificGravityFactor", CTMVariant(0.5f));
  auto sheet = OnReferencePage(dir, dynamic);
  Click(*sheet, kIdNext);
  auto& page = sheet->SpecificGravityPage();
  ASSERT_EQ(sheet->CurrentPage(), &page);
  for (int id : {CWizPageSpecificGravity::kIdFreshWater, CWizPageSpecificGravity::kIdBrackishWater,
                 CWizPageSpecificGravity::kIdSeaWater, CWizPageSpecificGravity::kIdCustom,
                 CWizPageSpecificGravity::kIdValue}) {
    EXPECT_FALSE(Ctl<QWidget>(page, id)->isEnabled()) << id;
  }
  EXPECT_EQ(Ctl<QLabel>(page, CWizPageSpecificGravity::kIdValueLabel)->text(),
            "Specific Gravity (Determined by dynamic density)");
}

TEST(LogListPage, GroupsBySiteIgnoringCaseAndPassesFollowTheTree) {
  TempFolder dir;
  // Created in an order unlike the sorted one; the first file name in order names a group.
  const std::pair<const char*, const char*> logs[] = {
      {"LAKE", "c.vxl"}, {"river", "b.vxl"}, {"Lake", "a.vxl"}, {"", "d.vxl"}, {"apple", "e.vxl"}};
  for (const auto& [site, file] : logs) WriteSiteLog(site, dir.File(file));
  WriteWholeFile(dir.Path() / "broken.vxl", "not a log");

  auto sheet = std::make_unique<wizard::CWizSheetPostCorrect>();
  auto& page = sheet->LogListPage();
  page.SetFolder(dir.Path().string());
  sheet->open();
  ASSERT_EQ(sheet->CurrentPage(), &page);
  EXPECT_TRUE(Ctl<QLabel>(page, wizard::CWizPageLogfileList::kIdLoading)->isVisible());
  EXPECT_TRUE(sheet->IsBusy());
  ASSERT_TRUE(WaitFor([&page] { return page.IsScanned(); }));
  EXPECT_FALSE(sheet->IsBusy());
  EXPECT_FALSE(Ctl<QLabel>(page, wizard::CWizPageLogfileList::kIdLoading)->isVisible());

  auto* tree = Ctl<CTMCheckTreeCtrl>(page, wizard::CWizPageLogfileList::kIdTree);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  ASSERT_EQ(root->childCount(), 4);
  QStringList shown;
  for (int i = 0; i < root->childCount(); ++i) {
    QStringList names;
    for (int j = 0; j < root->child(i)->childCount(); ++j) names << root->child(i)->child(j)->text(0);
    shown << root->child(i)->text(0) + ": " + names.join(' ');
  }
  EXPECT_EQ(shown.join(" | "), "apple: e.vxl | Lake: a.vxl c.vxl | NULL: d.vxl | river: b.vxl");
  EXPECT_FALSE(sheet->Button(kIdNext)->isEnabled());

  // The keyboard and a reader's toggle action tick a log as the mouse does, and Next follows.
  QTreeWidgetItem* river = root->child(3)->child(0);
  tree->expandAll();
  QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tree);
  QAccessibleInterface* cell = nullptr;
  for (int i = 0; i < view->childCount() && cell == nullptr; ++i) {
    if (view->child(i)->text(QAccessible::Name) == river->text(0)) cell = view->child(i);
  }
  ASSERT_NE(cell, nullptr);
  EXPECT_TRUE(cell->state().checkable);
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"space", [tree, river] {
         tree->setFocus();
         tree->setCurrentItem(river);
         QTest::keyClick(tree, Qt::Key_Space);
       }},
      {"toggle action", [cell] { cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction()); }},
  };
  for (const auto& [name, toggle] : ways) {
    SCOPED_TRACE(name);
    for (const bool ticked : {true, false}) {
      toggle();
      EXPECT_EQ(cell->state().checked, ticked);
      EXPECT_TRUE(WaitFor([&sheet, ticked] { return sheet->Button(kIdNext)->isEnabled() == ticked; }, 2000));
    }
  }

  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->CheckBoxRect(root).center());
  EXPECT_TRUE(sheet->Button(kIdNext)->isEnabled());
  EXPECT_TRUE(page.OnKillActive(kIdNext));
  const std::deque<std::string> expected = {dir.File("e.vxl"), dir.File("a.vxl"), dir.File("c.vxl"), dir.File("d.vxl"),
                                            dir.File("b.vxl")};
  EXPECT_EQ(sheet->FileList(), expected);
  EXPECT_EQ(sheet->TotalLogCount(), 5);
  sheet->FileList().clear();
}

TEST(LogListPage, AnEmptyFolderSaysWhereItLooked) {
  TempFolder dir;
  auto sheet = std::make_unique<wizard::CWizSheetPostCorrect>();
  sheet->LogListPage().SetFolder(dir.Path().string());
  sheet->open();
  ASSERT_TRUE(WaitFor([&sheet] { return sheet->LogListPage().IsScanned(); }));
  auto* empty = sheet->LogListPage().findChild<QLabel*>("empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->isVisible());
  EXPECT_TRUE(empty->text().contains(QString::fromStdString(dir.Path().string()))) << empty->text().toStdString();
  EXPECT_TRUE(empty->text().contains("WorkingDir"));
}

// What two corrected logs hold, but the time of the correction.
void ExpectSameCorrection(const std::string& wizardFile, const std::string& cliFile) {
  TMSystem::CTMLogFile a;
  TMSystem::CTMLogFile b;
  ASSERT_FALSE(Failed(a.Load(wizardFile, TMSystem::kLoadAll)));
  ASSERT_FALSE(Failed(b.Load(cliFile, TMSystem::kLoadAll)));
  // The keys as text; the correction's time differs, and so does the application's name (the test's
  // executable records itself, as a host does).
  const auto keys = [](const TMSystem::CTMLogFile& log) {
    std::vector<TMSystem::CTMConfigEntry> entries;
    EXPECT_FALSE(Failed(log.GetEntries(entries)));
    std::vector<std::string> texts;
    for (const auto& e : entries) {
      if (e.key != "TVK_TIMESTAMP" && e.key != "TVK_APPNAME") texts.push_back(e.key + "=" + VariantToText(e.value));
    }
    return texts;
  };
  EXPECT_EQ(keys(a), keys(b));
  std::vector<TMSystem::CTMDataRow> ra;
  std::vector<TMSystem::CTMDataRow> rb;
  ASSERT_FALSE(Failed(a.GetRows(ra)) || Failed(b.GetRows(rb)));
  EXPECT_EQ(ra, rb);
  ASSERT_EQ(a.GetNoteCount(), b.GetNoteCount());
  for (std::size_t i = 0; i < a.GetNoteCount(); ++i) {
    EXPECT_EQ(a.GetNote(i).type, b.GetNote(i).type);
    EXPECT_EQ(a.GetNote(i).subType, b.GetNote(i).subType);
  }
}

std::string OnlyFile(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) files.push_back(entry.path().string());
  return files.size() == 1 ? files.front() : std::string();
}

// `tavisko correct` with `options` on the log in `cliDir` writes what the wizard wrote in `wizardDir`.
void ExpectAsTheCommandLine(const TempFolder& wizardDir, const TempFolder& cliDir, std::vector<std::string> options) {
  options.insert(options.begin(), {"correct", cliDir.File("well.vxl")});
  const RunResult run = RunTavisko(options, cliDir.Path().string());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string fromWizard = OnlyFile(wizardDir.Path() / kCorrectedFolderName);
  const std::string fromCli = OnlyFile(cliDir.Path() / kCorrectedFolderName);
  ASSERT_FALSE(fromWizard.empty() || fromCli.empty());
  ExpectSameCorrection(fromWizard, fromCli);
}

TEST(WizardPages, EachModeCorrectsAsTheCommandLineDoes) {
  struct Row {
    const char* name;
    int radio;
    std::vector<std::string> options;
  };
  const Row rows[] = {
      {"pressure head", CWizPageSelectMode::kIdPressureHead, {"--mode", "pressure-head", "--sg", "1.005"}},
      {"depth to water",
       CWizPageSelectMode::kIdDepthToWater,
       {"--mode", "depth-to-water", "--reference", "12.5", "--at-row", "2", "--sg", "1.005"}},
      {"elevation",
       CWizPageSelectMode::kIdElevation,
       {"--mode", "elevation", "--reference", "12.5", "--at-row", "2", "--sg", "1.005"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder wizardDir;
    TempFolder cliDir;
    WriteAcceptedLog(cliDir, 6);
    auto sheet = OpenSheet({WriteAcceptedLog(wizardDir, 6)});
    ClickControl(sheet->ModePage(), row.radio);
    Click(*sheet, kIdNext);
    if (row.radio != CWizPageSelectMode::kIdPressureHead) {
      auto& page = sheet->ReferencePage();
      ASSERT_EQ(sheet->CurrentPage(), &page);
      ClickControl(page, CWizPageSetNewReference::kIdAtDataPoint);
      ClickLine(page, 2);
      TypeInto(page, CWizPageSetNewReference::kIdValue, "12.5");
      Click(*sheet, kIdNext);
    }
    auto& gravity = sheet->SpecificGravityPage();
    ASSERT_EQ(sheet->CurrentPage(), &gravity);
    ClickControl(gravity, CWizPageSpecificGravity::kIdCustom);
    TypeInto(gravity, CWizPageSpecificGravity::kIdValue, "1.005");
    Click(*sheet, kIdNext);
    ASSERT_TRUE(WaitForDone(*sheet));
    ExpectAsTheCommandLine(wizardDir, cliDir, row.options);
  }
}

TEST(ReferencePage, ManualReadingsAddInTimeOrderAndCorrectAsTheCommandLineDoes) {
  TempFolder wizardDir;
  TempFolder cliDir;
  LevelLogLayout sample = AcceptedLog(6);
  sample.levels[3].status = 3;  // row 3 holds no level value
  WriteLevelLog(sample, cliDir.File("well.vxl"));
  auto sheet = OnReferencePage(wizardDir, sample);
  auto& page = sheet->ReferencePage();
  ClickControl(page, CWizPageSetNewReference::kIdAtDataPoint);
  const QAbstractItemModel* lines = Ctl<QListView>(page, CWizPageSetNewReference::kIdDataPoints)->model();
  EXPECT_TRUE(lines->index(3, 0).data().toString().contains("no level"));
  EXPECT_TRUE(lines->index(0, 0).data().toString().contains(" m")) << "each line shows the recorded level with its unit";

  const auto add = [&](int line, const char* value) {
    ClickLine(page, line);
    TypeInto(page, CWizPageSetNewReference::kIdValue, value);
    ClickControl(page, CWizPageSetNewReference::kIdAddReading);
  };
  add(4, "1.5");
  add(1, "1.25");
  const std::pair<int, const char*> refused[] = {
      {4, "This data point has a reading already: two readings cannot share a row."},
      {3, "This data point has no level value to compare a reading with."},
  };
  for (const auto& [line, reason] : refused) {
    add(line, "2");
    EXPECT_EQ(sheet->Refusal(), reason);
  }
  add(5, "1.75");
  auto* table = Ctl<QTableWidget>(page, CWizPageSetNewReference::kIdReadings);
  ASSERT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->item(0, 1)->text(), "1.25 m") << "in time order, the first being the reference";
  table->selectRow(2);
  ClickControl(page, CWizPageSetNewReference::kIdRemoveReading);
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(1, 1)->text(), "1.5 m");
  EXPECT_EQ(sheet->Pass()->Choices().referenceRow, 1);
  EXPECT_EQ(sheet->Pass()->Choices().referenceValue, 1.25f);

  Click(*sheet, kIdNext);
  Click(*sheet, kIdNext);
  ASSERT_TRUE(WaitForDone(*sheet));
  ExpectAsTheCommandLine(wizardDir, cliDir, {"--mode", "depth-to-water", "--reading", "2011-02-03T12:04:00Z=1.5",
                                             "--reading", "2011-02-03T12:01:00Z=1.25"});
}

}  // namespace
}  // namespace tvk::test
