#include "sim/units/standard_units.h"

#include "sim/core/chip.h"
#include "sim/units/clock_unit.h"
#include "sim/units/data_port_unit.h"
#include "sim/units/ddr2_unit.h"
#include "sim/units/display_controller_unit.h"
#include "sim/units/dram_unit.h"
#include "sim/units/eeprom_unit.h"
#include "sim/units/graphics_engine_unit.h"
#include "sim/units/hdmi_audio_unit.h"
#include "sim/units/hdmi_unit.h"
#include "sim/units/i2c_master_unit.h"
#include "sim/units/system_unit.h"

namespace zev::sim {

void AddStandardUnits(Chip& chip) {
  chip.AddUnit<SystemUnit>();
  chip.AddUnit<ClockUnit>();
  chip.AddUnit<Ddr2Unit>();
  chip.AddUnit<EepromUnit>();
  chip.AddUnit<I2cMasterUnit>();
  chip.AddUnit<DisplayControllerUnit>();
  chip.AddUnit<DramUnit>();
  chip.AddUnit<DataPortUnit>();
  chip.AddUnit<GraphicsEngineUnit>();
  chip.AddUnit<HdmiAudioUnit>();
  chip.AddUnit<HdmiUnit>();
}

}  // namespace zev::sim
