#include "sim/units/dram_faults.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"
#include "sim/units/standard_units.h"

namespace zev::sim {
namespace {

TEST(FaultyDram, HealthyViewPassesEverythingThrough) {
  DramArray cells;
  FaultyDram view(cells);
  view.WriteWord(0x1238, 0x1122334455667788ull);
  EXPECT_EQ(cells.ReadWord(0x1238), 0x1122334455667788ull);
  const std::vector<uint8_t> run = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  view.WriteBytes(0x2003, run);
  std::vector<uint8_t> back(run.size());
  cells.ReadBytes(0x2003, back);
  EXPECT_EQ(back, run);
  EXPECT_EQ(view.MapAddress(0x1FFFFF8), 0x1FFFFF8u);
}

TEST(FaultyDram, StuckAddressLineFoldsTwoWordsIntoOne) {
  for (bool level : {false, true}) {
    SCOPED_TRACE(level ? "stuck at 1" : "stuck at 0");
    DramArray cells;
    FaultyDram view(cells);
    ASSERT_TRUE(view.StickAddressLine(12, level));
    view.WriteWord(0x0040, 0xAA);
    view.WriteWord(0x1040, 0xBB);  // the same cells as 0x40
    EXPECT_EQ(view.ReadWord(0x0040), 0xBBu);
    EXPECT_EQ(cells.ReadWord(level ? 0x1040 : 0x0040), 0xBBu);
    EXPECT_EQ(cells.ReadWord(level ? 0x0040 : 0x1040), 0u) << "the other word is never reached";
  }
}

TEST(FaultyDram, ShortedLinesSettleLowOrHigh) {
  DramArray cells;
  FaultyDram wiredAnd(cells);
  ASSERT_TRUE(wiredAnd.ShortAddressLines(4, 9));
  EXPECT_EQ(wiredAnd.MapAddress(0x010), 0x000u);
  EXPECT_EQ(wiredAnd.MapAddress(0x200), 0x000u);
  EXPECT_EQ(wiredAnd.MapAddress(0x218), 0x218u);

  FaultyDram wiredOr(cells);
  ASSERT_TRUE(wiredOr.ShortAddressLines(4, 9, FaultyDram::Short::WiredOr));
  EXPECT_EQ(wiredOr.MapAddress(0x010), 0x210u);
  EXPECT_EQ(wiredOr.MapAddress(0x200), 0x210u);
  EXPECT_EQ(wiredOr.MapAddress(0x008), 0x008u);
}

TEST(FaultyDram, StuckDataBitChangesEveryWordRead) {
  DramArray cells;
  FaultyDram view(cells);
  ASSERT_TRUE(view.StickDataBit(37, true));
  ASSERT_TRUE(view.StickDataBit(0, false));
  view.WriteWord(0x100, 0x0000000000000001ull);
  EXPECT_EQ(view.ReadWord(0x100), uint64_t{1} << 37);
  EXPECT_EQ(cells.ReadWord(0x100), 1u) << "the cells hold what was written";
  std::vector<uint8_t> bytes(8);
  view.ReadBytes(0x100, bytes);
  EXPECT_EQ(bytes[4], 0x20) << "byte runs see the fault too";
  EXPECT_EQ(bytes[0], 0);
}

TEST(FaultyDram, BadCellAffectsOnlyItsWord) {
  DramArray cells;
  FaultyDram view(cells);
  view.AddBadCell(0x1234, 0xF0, 0x0F);  // any address within the word names it
  view.WriteWord(0x1230, 0x0F);
  view.WriteWord(0x1238, 0x0F);
  EXPECT_EQ(view.ReadWord(0x1230), 0xF0u);
  EXPECT_EQ(view.ReadWord(0x1238), 0x0Fu);
  EXPECT_EQ(view.ReadWord(0x2001230), 0xF0u) << "addresses wrap at the size, as the cells do";
}

TEST(FaultyDram, RefusesLinesThePartDoesNotHaveAndClears) {
  DramArray cells;
  FaultyDram view(cells);
  EXPECT_FALSE(view.StickAddressLine(2, true)) << "a byte within the word, not an address line";
  EXPECT_FALSE(view.StickAddressLine(26, true));
  EXPECT_FALSE(view.ShortAddressLines(5, 5));
  EXPECT_FALSE(view.StickDataBit(64, false));
  EXPECT_TRUE(view.StickAddressLine(25, true));
  view.AddBadCell(0, ~0ull, 0);
  view.Clear();
  EXPECT_EQ(view.MapAddress(0), 0u);
  EXPECT_EQ(view.ReadWord(0), 0u);
}

TEST(DramFaultsOf, InstallsOneViewThatSurvivesPowerUp) {
  SimClock clock;
  Chip chip(ChipVariant::SiliconRev1(), clock);
  AddStandardUnits(chip);
  DramUnit& dram = *chip.Find<DramUnit>();
  FaultyDram& faults = DramFaultsOf(dram);
  EXPECT_EQ(&DramFaultsOf(dram), &faults);
  EXPECT_EQ(&dram.memory(), &faults);
  faults.StickDataBit(3, true);
  chip.PowerUp();
  EXPECT_EQ(dram.memory().ReadWord(0), 8u) << "a broken pin stays broken";
}

}  // namespace
}  // namespace zev::sim
