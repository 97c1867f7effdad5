#pragma once

#include <cstdint>

// Chip register addresses: the one place where register names map to addresses.
// Every register is 32 bits wide; addresses are byte addresses in a 16-bit space.
namespace zev {

// DDR2 memory controller and PHY (0x0000 - 0x0294).
inline constexpr uint32_t DDR2_DYN = 0x0000;
inline constexpr uint32_t DDR2_MAP_BACS = 0x0004;
inline constexpr uint32_t DDR2_MAP_COL = 0x0008;
inline constexpr uint32_t DDR2_MAP_ROW = 0x000C;
inline constexpr uint32_t DDR2_TIM0 = 0x0010;
inline constexpr uint32_t DDR2_TIM1 = 0x0014;
inline constexpr uint32_t DDR2_TIM2 = 0x0018;
inline constexpr uint32_t DDR2_TIM3 = 0x001C;
inline constexpr uint32_t DDR2_TIM4 = 0x0020;
inline constexpr uint32_t DDR2_RFSH = 0x0024;
inline constexpr uint32_t DDR2_CTRL0 = 0x0028;
inline constexpr uint32_t DDR2_CTRL1 = 0x002C;
inline constexpr uint32_t DDR2_CTRL2 = 0x0030;
inline constexpr uint32_t DDR2_CTRL3 = 0x0034;
inline constexpr uint32_t DDR2_CTRL4 = 0x0038;
inline constexpr uint32_t DDR2_CTRL5 = 0x003C;
inline constexpr uint32_t DDR2_CTRL6 = 0x0040;
inline constexpr uint32_t DDR2_CTRL7 = 0x0044;
inline constexpr uint32_t DDR2_CTRL8 = 0x0048;
inline constexpr uint32_t DDR2_CTRL9 = 0x004C;
inline constexpr uint32_t DDR2_CTRL10 = 0x0050;
inline constexpr uint32_t DDR2_CTRL11 = 0x0054;
inline constexpr uint32_t DDR2_CTRL12 = 0x0058;
inline constexpr uint32_t DDR2_CTRL13 = 0x005C;
inline constexpr uint32_t DDR2PHY_CTL_0 = 0x0100;
inline constexpr uint32_t DDR2PHY_CTL_1 = 0x0104;
// PHY debug layout.
inline constexpr uint32_t DDR2PHY_DBG_0 = 0x0110;
inline constexpr uint32_t DDR2PHY_DBG_1 = 0x0114;
inline constexpr uint32_t DDR2PHY_DBG_2 = 0x0118;
inline constexpr uint32_t DDR2PHY_DBG_3 = 0x011C;
inline constexpr uint32_t DDR2PHY_DBG_4 = 0x0120;
inline constexpr uint32_t DDR2PHY_DBG_5 = 0x0124;
inline constexpr uint32_t DDR2PHY_DBG_6 = 0x0128;
inline constexpr uint32_t DDR2PHY_DBG_7 = 0x012C;
inline constexpr uint32_t DDR2PHY_DBG_8 = 0x0130;
// Controller debug layout.
inline constexpr uint32_t DDR2_DBG0 = 0x0200;
inline constexpr uint32_t DDR2_DBG1 = 0x0204;
inline constexpr uint32_t DDR2_DBG2 = 0x0208;
inline constexpr uint32_t DDR2_DBG3 = 0x020C;
inline constexpr uint32_t DDR2_DBGSTS0 = 0x0280;
inline constexpr uint32_t DDR2_DBGSTS1 = 0x0284;
inline constexpr uint32_t DDR2_DBGSTS2 = 0x0288;
inline constexpr uint32_t DDR2_DBGSTS3 = 0x028C;
inline constexpr uint32_t DDR2_DBGSTS4 = 0x0290;
inline constexpr uint32_t DDR2_DBGSTS5 = 0x0294;

// I2C master, DesignWare core with hardware assist (0x1000 - 0x114C).
inline constexpr uint32_t IC_CON = 0x1000;
inline constexpr uint32_t IC_TAR = 0x1004;
inline constexpr uint32_t IC_SAR = 0x1008;
inline constexpr uint32_t IC_HS_MADDR = 0x100C;
inline constexpr uint32_t IC_DATA_CMD = 0x1010;
inline constexpr uint32_t IC_SS_SCL_HCNT = 0x1014;
inline constexpr uint32_t IC_SS_SCL_LCNT = 0x1018;
inline constexpr uint32_t IC_FS_SCL_HCNT = 0x101C;
inline constexpr uint32_t IC_FS_SCL_LCNT = 0x1020;
inline constexpr uint32_t IC_HS_SCL_HCNT = 0x1024;
inline constexpr uint32_t IC_HS_SCL_LCNT = 0x1028;
inline constexpr uint32_t IC_INTR_STAT = 0x102C;
inline constexpr uint32_t IC_INTR_MASK = 0x1030;
inline constexpr uint32_t IC_RAW_INTR_STAT = 0x1034;
inline constexpr uint32_t IC_RX_TL = 0x1038;
inline constexpr uint32_t IC_TX_TL = 0x103C;
inline constexpr uint32_t IC_CLR_INTR = 0x1040;
inline constexpr uint32_t IC_CLR_RX_UNDER = 0x1044;
inline constexpr uint32_t IC_CLR_RX_OVER = 0x1048;
inline constexpr uint32_t IC_CLR_TX_OVER = 0x104C;
inline constexpr uint32_t IC_CLR_RD_REQ = 0x1050;
inline constexpr uint32_t IC_CLR_TX_ABRT = 0x1054;
inline constexpr uint32_t IC_CLR_RX_DONE = 0x1058;
inline constexpr uint32_t IC_CLR_ACTIVITY = 0x105C;
inline constexpr uint32_t IC_CLR_STOP_DET = 0x1060;
inline constexpr uint32_t IC_CLR_START_DET = 0x1064;
inline constexpr uint32_t IC_CLR_GEN_CALL = 0x1068;
inline constexpr uint32_t IC_ENABLE = 0x106C;
inline constexpr uint32_t IC_STATUS = 0x1070;
inline constexpr uint32_t IC_TXFLR = 0x1074;
inline constexpr uint32_t IC_RXFLR = 0x1078;
inline constexpr uint32_t IC_TX_ABRT_SOURCE = 0x1080;
inline constexpr uint32_t IC_COMP_PARAM_1 = 0x10F4;
inline constexpr uint32_t IC_COMP_VERSION = 0x10F8;
inline constexpr uint32_t IC_COMP_TYPE = 0x10FC;
// Old hardware assist (older chips).
inline constexpr uint32_t IC_DATA0 = 0x1100;
inline constexpr uint32_t IC_DATA1 = 0x1104;
inline constexpr uint32_t IC_DATA2 = 0x1108;
inline constexpr uint32_t IC_DATA3 = 0x110C;
inline constexpr uint32_t IC_CSR = 0x1110;
// New hardware assist (newer chips).
inline constexpr uint32_t IC_ACCESS = 0x1100;
inline constexpr uint32_t IC_PIN = 0x1104;
inline constexpr uint32_t SEQ_DATA0 = 0x1110;  // SEQ DATA0..15, one every 4 bytes
inline constexpr uint32_t SeqData(uint32_t n) { return SEQ_DATA0 + 4 * n; }

// Display controller (0x2000 - 0x2048).
inline constexpr uint32_t DC_CTRL = 0x2000;
inline constexpr uint32_t DC_STS = 0x2004;
inline constexpr uint32_t DC_HSIZE = 0x2008;
inline constexpr uint32_t DC_HBLANK = 0x200C;
inline constexpr uint32_t DC_HSYNC = 0x2010;
inline constexpr uint32_t DC_VSIZE = 0x2014;
inline constexpr uint32_t DC_VBLANK = 0x2018;
inline constexpr uint32_t DC_VSYNC = 0x201C;
inline constexpr uint32_t DC_FBBASE = 0x2020;
inline constexpr uint32_t DC_BORDER = 0x2024;
inline constexpr uint32_t DC_FRAME_LEN = 0x2028;
inline constexpr uint32_t DC_IF_DAC_CTRL = 0x2040;
inline constexpr uint32_t DC_IF_HDMI_CTRL = 0x2044;
inline constexpr uint32_t DC_IF_DVO_CTRL = 0x2048;

// System: identity, reset, clock manager, I2C bus select (0x3000 - 0x3010).
inline constexpr uint32_t ID_REV = 0x3000;
inline constexpr uint32_t FPGA_REV = 0x3004;
inline constexpr uint32_t HW_CFG = 0x3008;
inline constexpr uint32_t DCM_CFG = 0x300C;
inline constexpr uint32_t I2C_SEL = 0x3010;

inline constexpr uint32_t HW_CFG_LRST = 1u << 0;        // lite reset; reads back 0 when over
inline constexpr uint32_t HW_CFG_DEVICE_RESET = 1u << 1;  // reload from EEPROM, leave and rejoin the bus

// Graphics engine (0x4000 - 0x4024); names as the chip documents them.
inline constexpr uint32_t GE_CTRL = 0x4000;
inline constexpr uint32_t GE_CMD_STATUS = 0x4004;
inline constexpr uint32_t GE_CMD_INFO = 0x4008;
inline constexpr uint32_t GE_CMD_LEN = 0x400C;
inline constexpr uint32_t GE_CMD_OFFSET = 0x4010;
inline constexpr uint32_t GE_PCMD_INFO = 0x4014;
inline constexpr uint32_t GE_PCMD_LEN = 0x4018;
inline constexpr uint32_t GE_PCMD_OFFSET = 0x401C;
inline constexpr uint32_t GE_CHR_KEY_HIGH = 0x4020;
inline constexpr uint32_t GE_CHR_KRY_LOW = 0x4024;

// USB configuration and PHY parameters (0x5000 - 0x5108).
inline constexpr uint32_t USB_CFG = 0x5000;
inline constexpr uint32_t USB_PHY_PARAMS0 = 0x5100;
inline constexpr uint32_t USB_PHY_PARAMS1 = 0x5104;
inline constexpr uint32_t USB_PHY_MPLL_CTL = 0x5108;

// Serial EEPROM controller (0x6000 - 0x6004).
inline constexpr uint32_t E2P_CMD = 0x6000;
inline constexpr uint32_t E2P_DATA = 0x6004;

// PLLs and clock power management (0x7000 - 0x7020).
inline constexpr uint32_t PIX_PLL_CTL = 0x7000;
inline constexpr uint32_t PIX_PLL0_CFG = 0x7004;
inline constexpr uint32_t PIX_PLL1_CFG = 0x7008;
inline constexpr uint32_t SYS_PLL_CTL = 0x700C;
inline constexpr uint32_t SYS_PLL0_CFG = 0x7010;
inline constexpr uint32_t SYS_PLL1_CFG = 0x7014;
inline constexpr uint32_t CPM_CTL = 0x7020;

// Memory data port, video output configuration, audio, LEDs, GPIO, USB descriptor
// attributes (0x8000 - 0x8114).
inline constexpr uint32_t DP_CSR = 0x8000;
inline constexpr uint32_t DP_CMD = 0x8004;
inline constexpr uint32_t DP_ADDR = 0x8008;
inline constexpr uint32_t DP_DATA0 = 0x800C;
inline constexpr uint32_t DP_DATA1 = 0x8010;
inline constexpr uint32_t DP_DATA2 = 0x8014;
inline constexpr uint32_t FIFO_STS = 0x8020;
inline constexpr uint32_t VDAC_CFG = 0x8024;
inline constexpr uint32_t RGB_CFG = 0x8028;
inline constexpr uint32_t EXT_RST_CFG = 0x802C;
inline constexpr uint32_t AUDIO_CFG = 0x8030;
inline constexpr uint32_t AUDIO_FREQ0 = 0x8034;
inline constexpr uint32_t AUDIO_FREQ1 = 0x8038;
inline constexpr uint32_t HDMI_CFG = 0x8040;
inline constexpr uint32_t LED_CFG0 = 0x8080;
inline constexpr uint32_t LED_CFG1 = 0x8084;
inline constexpr uint32_t LED_CFG2 = 0x8088;
inline constexpr uint32_t GPIO_ENABLE = 0x80A0;
inline constexpr uint32_t GPIO_BUF = 0x80A4;
inline constexpr uint32_t GPIO_DIR = 0x80A8;
inline constexpr uint32_t GPIO_DATA = 0x80AC;
inline constexpr uint32_t BOS_ATTR = 0x8100;
inline constexpr uint32_t SS_ATTR = 0x8104;
inline constexpr uint32_t HS_ATTR = 0x8108;
inline constexpr uint32_t FS_ATTR = 0x810C;
inline constexpr uint32_t STR_ATTR0 = 0x8110;
inline constexpr uint32_t STR_ATTR1 = 0x8114;

// HDMI core: its byte-wide register n lives in the low byte of 0x9000 + 4n.
inline constexpr uint32_t HDMI_CORE_BASE = 0x9000;
inline constexpr uint32_t HDMI_CORE_END = 0x9FFF;
inline constexpr uint32_t HdmiCoreRegister(uint32_t n) { return HDMI_CORE_BASE + 4 * n; }

}  // namespace zev
