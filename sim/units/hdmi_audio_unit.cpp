#include "sim/units/hdmi_audio_unit.h"

#include "device/chip/registers.h"
#include "sim/core/chip.h"

namespace zev::sim {
namespace {

constexpr uint32_t kI2sMeasure = 1u << 0;
constexpr uint32_t kI2sInput1 = 1u << 4;
constexpr uint32_t kBitsPerFrame = 64;

}  // namespace

HdmiAudioUnit::HdmiAudioUnit(Chip& chip) : Unit(chip), hasMeter_(chip.HasRegister(AUDIO_FREQ0)) {}

bool HdmiAudioUnit::Decodes(uint16_t address) const {
  return hasMeter_ && (address == AUDIO_FREQ0 || address == AUDIO_FREQ1);
}

uint32_t HdmiAudioUnit::SelectedI2sRate() { return i2s_[(chip().Peek(AUDIO_CFG) & kI2sInput1) != 0 ? 1 : 0]; }

uint32_t HdmiAudioUnit::MeteredRate() {
  return (chip().Peek(AUDIO_CFG) & kI2sMeasure) != 0 ? SelectedI2sRate() : 0;
}

uint32_t HdmiAudioUnit::Read(uint16_t address) {
  const uint32_t rate = MeteredRate();
  if (address == AUDIO_FREQ1) return rate;
  const uint32_t bitClockKHz = rate * kBitsPerFrame / 1000;
  return (rate / 1000) << 16 | (bitClockKHz & 0xFFFF);
}

void HdmiAudioUnit::Write(uint16_t, uint32_t) {}  // measurements are read-only

}  // namespace zev::sim
