#include "sim/devices/board.h"

#include "sim/core/chip.h"
#include "sim/devices/anx9805.h"
#include "sim/devices/c7301.h"
#include "sim/units/hdmi_audio_unit.h"
#include "sim/units/i2c_master_unit.h"

namespace zev::sim {

BoardDescription BoardDescription::Empty() {
  BoardDescription empty;
  empty.monitorBus = MonitorBus::None;
  empty.c7301 = false;
  empty.anx9805 = false;
  return empty;
}

Board::Board(Chip& chip, const BoardDescription& description) : chip_(chip) {
  if (description.c7301) c7301_ = &AttachC7301(chip);
  // Only the production chip reaches the DisplayPort transmitter's bus (I2C port 4).
  if (description.anx9805 && chip.Variant().IsSilicon()) anx9805_ = &AttachAnx9805(chip);
  ConnectMonitor(description.monitorBus, description.monitorEdid.empty()
                                             ? DefaultMonitorEdid()
                                             : std::span<const uint8_t>(description.monitorEdid));
  SetAudioRate(AudioSource::I2s0, description.i2s0Hz);
  SetAudioRate(AudioSource::I2s1, description.i2s1Hz);
  SetAudioRate(AudioSource::Spdif, description.spdifHz);
}

Monitor* Board::ConnectMonitor(MonitorBus bus, std::span<const uint8_t> edid) {
  std::shared_ptr<Monitor> monitor;
  if (bus != MonitorBus::None) monitor = std::make_shared<Monitor>(std::vector<uint8_t>(edid.begin(), edid.end()));
  PlugMonitor(*chip_.Find<I2cMasterUnit>(), bus, monitor);
  if (anx9805_ != nullptr) {
    const I2cAddress address = I2cAddress::EightBit(kMonitorDdcAddress);
    anx9805_->Ddc().Detach(address);
    if (monitor) anx9805_->Ddc().Attach(address, monitor);
  }
  monitor_ = std::move(monitor);
  monitorBus_ = bus;
  return monitor_.get();
}

void Board::SetAudioRate(AudioSource source, uint32_t hz) {
  HdmiAudioUnit* audio = chip_.Find<HdmiAudioUnit>();
  if (audio == nullptr) return;
  switch (source) {
    case AudioSource::I2s0:
      audio->SetI2sRate(0, hz);
      break;
    case AudioSource::I2s1:
      audio->SetI2sRate(1, hz);
      break;
    case AudioSource::Spdif:
      audio->SetSpdifRate(hz);
      break;
  }
}

}  // namespace zev::sim
