#pragma once

#include <array>
#include <cstdint>

#include "sim/core/unit.h"

namespace zev::sim {

// The audio inputs of the board (two I2S inputs and S/PDIF) and the chip's I2S meter.
// AUDIO_CFG (plain register) selects what the meter shows: bit 0 set measures an I2S
// input, bit 4 picks input 1 instead of 0. The meter runs continuously, so AUDIO_FREQ0
// shows the selected input at once: bits 31:16 the word-select rate in whole kHz
// (44 for 44.1 kHz), bits 15:0 the bit clock in kHz (64 bits per frame), 0 for a silent
// input or with S/PDIF selected. AUDIO_FREQ1 holds the word-select rate in Hz.
// Rates are board wiring set by tests and may change at any time; a chip reset keeps
// them. Chips whose register layout has no audio registers have no meter.
class HdmiAudioUnit final : public Unit {
 public:
  explicit HdmiAudioUnit(Chip& chip);

  const char* Name() const override { return "audio inputs"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;

  // Sampling rates in Hz, 0 for no signal. Default: I2S input 0 plays 48 kHz.
  void SetI2sRate(uint32_t input, uint32_t hz) { i2s_.at(input) = hz; }
  void SetSpdifRate(uint32_t hz) { spdif_ = hz; }
  uint32_t I2sRate(uint32_t input) const { return i2s_.at(input); }
  uint32_t SpdifRate() const { return spdif_; }
  // The I2S input AUDIO_CFG bit 4 selects (what the transmitters receive as I2S).
  uint32_t SelectedI2sRate();

 private:
  uint32_t MeteredRate();

  bool hasMeter_;
  std::array<uint32_t, 2> i2s_{48000, 0};
  uint32_t spdif_ = 0;
};

}  // namespace zev::sim
