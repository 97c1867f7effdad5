#include "device/chip/ddr2_init.h"

#include <span>

#include "device/chip/chip_identity.h"
#include "device/chip/register_poll.h"
#include "device/chip/registers.h"
#include "device/core/device_diag.h"
#include "device/core/lib_context.h"
#include "device/usb/register_access.h"

namespace zev {
namespace {

struct RegisterWrite {
  uint32_t address;
  uint32_t value;
};

// DDR2_DYN: writing 1 starts the memory initialisation; bits 31 and 30 both set
// report it complete.
constexpr uint32_t kDdr2Start = 1;
constexpr uint32_t kDdr2Done = 0xC0000000;
constexpr uint32_t kDdr2TimeoutMs = 10;

// PHY debug word: the shared library and the utility were tuned differently.
constexpr uint32_t kPhyDebugLibrary = 0x40404040;
constexpr uint32_t kPhyDebugUtility = 0x4843484D;

// Address mapping, the same for every memory clock.
constexpr RegisterWrite kAddressMap[] = {
    {DDR2_MAP_BACS, 0x001F0F77},
    {DDR2_MAP_COL, 0xFFF00000},
    {DDR2_MAP_ROW, 0x0FFF2222},
};

// One parameter set per system clock, in the order the words are written.
struct Ddr2ParameterSet {
  uint32_t sysClk;
  const char* line;  // printed by the shared library when the set is chosen
  uint32_t tim[5];   // DDR2_TIM0..4
  uint32_t rfsh;
  uint32_t ctrl0;
  uint32_t ctrl1;  // extended mode register 1; termination bits replaced by the ODT choice
  uint32_t ctrl2;  // mode register in bits 31:16
  uint32_t ctrl3;  // termination timing, cleared when ODT is off
  uint32_t ctrl4to9[6];
  uint32_t ctrl13;
  uint32_t phy0;  // PHY termination bits replaced by the ODT choice
  uint32_t phy1;
};

constexpr Ddr2ParameterSet kParameterSets[] = {
    {62500000,
     nullptr,
     {0x00020807, 0x001D000A, 0x02050507, 0x02212302, 0x07040705},
     0x00000827,
     0x00000000,
     0x0000000E,
     0x03320000,
     0x02223303,
     {0x001A001A, 0xF00F000F, 0xF380F00F, 0xF00F0496, 0x03080406, 0x00001000},
     0x00000007,
     0x43F00011,
     0x00004012},
    {100000000,
     " sysclk is 100, so calling new nw DDR2-400 code\n",
     {0x0002080B, 0x002F000F, 0x0208080C, 0x02322303, 0x08020705},
     0x00000827,
     0x00000000,
     0x0000000E,
     0x05320000,
     0x02223303,
     {0x00290029, 0xF00F000F, 0xF380F00F, 0xF00F0496, 0x03080406, 0x00001000},
     0x00000007,
     0x43F00011,
     0x00004012},
    {133333333,
     " sysclk is 133.3..., so calling new nw DDR2-533 code\n",
     {0x00020810, 0x00400014, 0x020A0C11, 0x02422304, 0x09020705},
     0x00000827,
     0x00000000,
     0x00000006,
     0x07420000,
     0x02223303,
     {0x00360036, 0xF00F000F, 0xF380F00F, 0xF00F0496, 0x03080406, 0x00001000},
     0x00000007,
     0x43F00011,
     0x00004012},
    {166666666,
     " sysclk is 166.6..., so calling new nw DDR2-667 code\n",
     {0x00030814, 0x00500019, 0x020D0F15, 0x02532305, 0x0B030905},
     0x00000827,
     0x00000000,
     0x00000006,
     0x09520000,
     0x02223314,
     {0x00430043, 0xF00F000F, 0xF380F00F, 0xF00F0496, 0x03080406, 0x00001000},
     0x00000007,
     0x54F00011,
     0x00004012},
};

// The FPGA prototype's fixed set. Four registers are written twice on purpose; the
// second value is the one the controller runs with.
constexpr RegisterWrite kFpgaSequence[] = {
    {DDR2_TIM0, 0x00041016},  {DDR2_TIM1, 0x00300033},  {DDR2_TIM2, 0x0214101B},  {DDR2_TIM3, 0x02642306},
    {DDR2_TIM4, 0x0B030B05},  {DDR2_RFSH, 0x00000827},  {DDR2_CTRL0, 0x000006A0}, {DDR2_CTRL1, 0x00000040},
    {DDR2_CTRL2, 0x07320000}, {DDR2_CTRL3, 0x10001123}, {DDR2_CTRL4, 0x00000202}, {DDR2_CTRL5, 0xF00F000F},
    {DDR2_CTRL6, 0xF380F00F}, {DDR2_CTRL7, 0xF00F0496}, {DDR2_CTRL8, 0x03080406}, {DDR2_CTRL9, 0x00001700},
    {DDR2_TIM2, 0x02141016},  {DDR2_TIM4, 0x07040605},  {DDR2_CTRL0, 0x00000640}, {DDR2_TIM1, 0x001E0010},
    {DDR2PHY_CTL_0, 0x00020222},
};

// Termination as selected: 75 ohm, 150 ohm or off (every other value).
enum class Odt { Ohm75, Ohm150, Off };

Odt OdtOf(uint32_t selection) {
  if (selection == 1) return Odt::Ohm75;
  if (selection == 2) return Odt::Ohm150;
  return Odt::Off;
}

// Memory side: extended mode register bits 2 (75 ohm) and 6 (150 ohm).
uint32_t WithMemoryOdt(uint32_t ctrl1, Odt odt) {
  ctrl1 &= ~0x44u;
  if (odt == Odt::Ohm75) ctrl1 |= 0x04;
  if (odt == Odt::Ohm150) ctrl1 |= 0x40;
  return ctrl1;
}

// Termination timing fields are cleared when nothing terminates.
uint32_t WithOdtTiming(uint32_t ctrl3, Odt odt) { return odt == Odt::Off ? ctrl3 & ~0x3300u : ctrl3; }

// Chip side: PHY termination bits 0/4 (75 ohm) and 1/5 (150 ohm).
uint32_t WithPhyOdt(uint32_t phy0, Odt odt) {
  phy0 &= ~0x33u;
  if (odt == Odt::Ohm75) phy0 |= 0x11;
  if (odt == Odt::Ohm150) phy0 |= 0x22;
  return phy0;
}

const Ddr2ParameterSet* FindParameterSet(uint32_t sysClk) {
  for (const auto& set : kParameterSets) {
    if (set.sysClk == sysClk) return &set;
  }
  return nullptr;
}

void WriteAll(UsbDevice* dev, std::span<const RegisterWrite> writes) {
  for (const auto& w : writes) GfxSetRegDW(dev, w.address, w.value);
}

// Last step of both sequences: the PHY debug word, start, and wait for completion.
bool StartAndAwaitDdr2(UsbDevice* dev) {
  GfxSetRegDW(dev, DDR2PHY_DBG_2, IsUtilityVariant(dev) ? kPhyDebugUtility : kPhyDebugLibrary);
  GfxSetRegDW(dev, DDR2_DYN, kDdr2Start);
  uint32_t dyn = 0;
  if (PollRegisterBits(dev, DDR2_DYN, kDdr2Done, kDdr2TimeoutMs, &dyn)) return true;
  DevPrintf(dev, "ERROR: Ddr2Init() failed, bad DDR2_DYN=0x%08X\n", dyn);
  return false;
}

}  // namespace

void Ddr2SelectOdt(LibContext& ctx, uint32_t odt) { ctx.gDdr2Odt = odt; }

bool SiliconDdr2Init(UsbDevice* dev) {
  // The clock and the termination come from the caller's library instance.
  if (dev == nullptr || dev->ctx == nullptr) return false;
  const LibContext& ctx = *dev->ctx;
  const Ddr2ParameterSet* set = FindParameterSet(ctx.gSysClk);
  if (set == nullptr) {
    DevPrintf(dev, "ERROR: SiliconDdr2Init() failed, Unsupported Sys_clk =0x%u\n", ctx.gSysClk);
    return false;
  }
  if (set->line != nullptr && !ctx.IsUtility()) DevPrintf(dev, "%s", set->line);

  const Odt odt = OdtOf(ctx.gDdr2Odt);
  uint32_t phy0 = WithPhyOdt(set->phy0, odt);
  // Revision A0 has nothing behind the PHY word's top byte.
  if (IsSiliconRevA0(dev)) phy0 &= 0x00FFFFFF;

  WriteAll(dev, kAddressMap);
  const RegisterWrite parameters[] = {
      {DDR2_TIM0, set->tim[0]},
      {DDR2_TIM1, set->tim[1]},
      {DDR2_TIM2, set->tim[2]},
      {DDR2_TIM3, set->tim[3]},
      {DDR2_TIM4, set->tim[4]},
      {DDR2_RFSH, set->rfsh},
      {DDR2_CTRL0, set->ctrl0},
      {DDR2_CTRL1, WithMemoryOdt(set->ctrl1, odt)},
      {DDR2_CTRL2, set->ctrl2},
      {DDR2_CTRL3, WithOdtTiming(set->ctrl3, odt)},
      {DDR2_CTRL4, set->ctrl4to9[0]},
      {DDR2_CTRL5, set->ctrl4to9[1]},
      {DDR2_CTRL6, set->ctrl4to9[2]},
      {DDR2_CTRL7, set->ctrl4to9[3]},
      {DDR2_CTRL8, set->ctrl4to9[4]},
      {DDR2_CTRL9, set->ctrl4to9[5]},
      {DDR2_CTRL13, set->ctrl13},
      {DDR2PHY_CTL_0, phy0},
      {DDR2PHY_CTL_1, set->phy1},
  };
  WriteAll(dev, parameters);
  return StartAndAwaitDdr2(dev);
}

bool Ddr2Init(UsbDevice* dev) {
  WriteAll(dev, kAddressMap);
  WriteAll(dev, kFpgaSequence);
  return StartAndAwaitDdr2(dev);
}

}  // namespace zev
