#pragma once

#include <cstdint>
#include <span>

namespace zev {

// One row of a register-definition table: the register's name, address and reset
// value, and three masks:
//   writable  - bits software can change (0 for read-only registers)
//   readable  - bits that read back (others read as 0)
//   hardware  - bits the hardware itself changes (status, done and busy bits)
// A row with address 0xFFFF ends a table.
struct RegisterDefinition {
  char name[20];
  uint32_t address;
  uint32_t reset;
  uint32_t writable;
  uint32_t readable;
  uint32_t hardware;
};

inline constexpr uint32_t kRegisterTableEnd = 0xFFFF;

// The chip generations whose register rows differ.
enum class RegisterLayout {
  Older,  // early FPGA builds
  Newer,  // later FPGA builds and the production chip
};

// System, clock, EEPROM, USB configuration, graphics engine, data port and I/O rows.
std::span<const RegisterDefinition> SystemIoRegisters(RegisterLayout layout);
// Display controller rows (the reset values of DC_CTRL and DC_STS differ).
std::span<const RegisterDefinition> DisplayControllerRegisters(RegisterLayout layout);
// I2C master rows: identical up to 0x10FC; above it the old-assist or new-assist registers.
std::span<const RegisterDefinition> I2cRegisters(bool newAssist);
// DDR2 controller rows, and its two debug layouts.
std::span<const RegisterDefinition> Ddr2Registers();
std::span<const RegisterDefinition> Ddr2PhyDebugRegisters();
std::span<const RegisterDefinition> Ddr2ControllerDebugRegisters();

// The name of the register at `address` in any table, or null.
const char* RegisterName(uint32_t address);

}  // namespace zev
