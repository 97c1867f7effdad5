#include "sim/units/hdmi_unit.h"

#include "device/chip/registers.h"
#include "device/video/sii9134_registers.h"
#include "sim/core/chip.h"
#include "sim/units/clock_unit.h"
#include "sim/units/hdmi_audio_unit.h"
#include "sim/units/i2c_master_unit.h"

namespace zev::sim {
namespace {

constexpr uint32_t kFirstFpgaWithInternalHdmi = 79;
constexpr uint32_t kExternalBus = 1;

uint32_t RegisterNumber(uint16_t address) { return (address - HDMI_CORE_BASE) / 4; }

}  // namespace

HdmiUnit::HdmiUnit(Chip& chip)
    : Unit(chip),
      internalPresent(chip.Variant().IsSilicon() || chip.Variant().FpgaRev() >= kFirstFpgaWithInternalHdmi),
      internal_(kInternalIdentity) {
  internal_.SetEnvironment(Environment());
  if (chip.Variant().HasHdmiAssist()) {
    assist_ = std::make_unique<HdmiAssist>(chip, [this](bool acknowledged) {
      internal_.Poke(SII9134_DDC_STS, acknowledged ? 0 : kDdcNoAck);
    });
  }
  if (!chip.Variant().IsSilicon()) {
    external_ = std::make_unique<Sii9134Device>();
    external_->registers().SetEnvironment(Environment());
    if (I2cMasterUnit* master = chip.Find<I2cMasterUnit>()) external_->Attach(master->Bus(kExternalBus));
  }
}

Sii9134RegisterFile::Environment HdmiUnit::Environment() {
  Chip* c = &chip();
  Sii9134RegisterFile::Environment env;
  env.tmdsClockHz = [c] {
    ClockUnit* clock = c->Find<ClockUnit>();
    return clock != nullptr ? clock->PixelClockHz() : 0;
  };
  env.i2sRateHz = [c] {
    HdmiAudioUnit* audio = c->Find<HdmiAudioUnit>();
    return audio != nullptr ? audio->SelectedI2sRate() : 0;
  };
  env.spdifRateHz = [c] {
    HdmiAudioUnit* audio = c->Find<HdmiAudioUnit>();
    return audio != nullptr ? audio->SpdifRate() : 0;
  };
  return env;
}

bool HdmiUnit::IsInternalRegister(uint16_t address) const {
  return internalPresent && address >= HDMI_CORE_BASE && (address & 3) == 0 &&
         RegisterNumber(address) < Sii9134RegisterFile::kRegisters;
}

bool HdmiUnit::IsAssistRegister(uint16_t address) const {
  return assist_ != nullptr && (address == HdmiCoreRegister(HDMI_ASSIST_CMD) ||
                                address == HdmiCoreRegister(HDMI_ASSIST_TARGET) ||
                                address == HdmiCoreRegister(HDMI_ASSIST_DATA));
}

bool HdmiUnit::Decodes(uint16_t address) const { return IsInternalRegister(address) || IsAssistRegister(address); }

uint32_t HdmiUnit::Read(uint16_t address) {
  if (IsAssistRegister(address)) return assist_->Read(RegisterNumber(address));
  return internal_.Read(RegisterNumber(address));
}

void HdmiUnit::Write(uint16_t address, uint32_t value) {
  if (IsAssistRegister(address)) {
    assist_->Write(RegisterNumber(address), value);
    return;
  }
  internal_.Write(RegisterNumber(address), static_cast<uint8_t>(value));
}

void HdmiUnit::Reset() {
  internal_.Reset();
  if (assist_) assist_->Reset();
}

}  // namespace zev::sim
