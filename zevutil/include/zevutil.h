/* zevutil: the ZEV USB display adapter library.
 *
 * Every export returns a ZEV_STATUS (0 success, negative failure; the three DRAM
 * tests report their positive pass codes) except ZEVGetMemSize and ZEVLibDeInit.
 * Call ZEVLibInit once after loading the library; the library supports one adapter
 * and one caller at a time. */
#ifndef ZEVUTIL_H
#define ZEVUTIL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(ZEVUTIL_BUILDING)
#define ZEV_API __declspec(dllexport)
#elif defined(_WIN32)
#define ZEV_API __declspec(dllimport)
#else
#define ZEV_API __attribute__((visibility("default")))
#endif

typedef int32_t ZEV_STATUS;

#define ZEV_SUCCESS ((ZEV_STATUS)0)
#define ZEV_LIB_FAILURE ((ZEV_STATUS)-32767)
#define ZEV_LIB_MORE_THAN_ONE_DEV ((ZEV_STATUS)-32766)
#define ZEV_FRM_WRK_INIT_FAIL ((ZEV_STATUS)-32765)
#define ZEV_RESULT_UNSET ((ZEV_STATUS)-32764) /* not a status: a result field the test did not fill */
#define ZEV_HDWRE_INIT_FAIL ((ZEV_STATUS)-32763)
#define ZEV_DEV_COM_FAIL ((ZEV_STATUS)-32762)
/* -32761 is never returned */
#define ZEV_INVALID_ARG ((ZEV_STATUS)-32760)
#define ZEV_DRAM_VERIFY_FAIL ((ZEV_STATUS)-32759)
#define ZEV_DATA_LINE_FAIL ((ZEV_STATUS)-32758)
#define ZEV_ADDRESS_LINE_FAIL ((ZEV_STATUS)-32757)
/* -32756 and -32755 are never returned */
#define ZEV_INVALID_FREQUENCY ((ZEV_STATUS)-32754)
#define ZEV_INVALID_ODT ((ZEV_STATUS)-32753)
#define ZEV_INVALID_EEPROM_ADD ((ZEV_STATUS)-32752)
#define ZEV_EEPROM_OUT_OF_BOUND ((ZEV_STATUS)-32751)
#define ZEV_INVALID_DRAM_ADD ((ZEV_STATUS)-32750)
#define ZEV_DRAM_OUT_OF_BOUND ((ZEV_STATUS)-32749)
/* -32748 is never returned */
#define ZEV_EDID_PARSE_ERR ((ZEV_STATUS)-32747)
#define ZEV_GE_INIT_FAILED ((ZEV_STATUS)-32746)
#define ZEV_DRAW_FAIL ((ZEV_STATUS)-32745) /* a rectangle or a picture could not be drawn */
#define ZEV_INVALID_DRAW_REQ ((ZEV_STATUS)-32744)
#define ZEV_RESOLUTION_MISMATCH ((ZEV_STATUS)-32743)
#define ZEV_FILE_NOT_FOUND ((ZEV_STATUS)-32742)
#define ZEV_WRONG_FILE_FORMAT ((ZEV_STATUS)-32741)
#define ZEV_DRAM_VERIFY_PASS ((ZEV_STATUS)2)
#define ZEV_DATA_LINE_PASS ((ZEV_STATUS)3)
#define ZEV_ADDRESS_LINE_PASS ((ZEV_STATUS)4)

/* Result of the three DRAM tests. Fields a test did not fill hold ZEV_RESULT_UNSET. */
typedef struct DramTestResult {
  int32_t dataLine;    /* failing data bit 0..63 (data-line test) */
  int32_t addressLine; /* failing address bit 3..31 (address-line test) */
  uint32_t address;    /* failing DRAM byte address (full verification) */
  ZEV_STATUS status;
} DramTestResult;

/* DRAM frequency index 1..4 and on-die-termination index 1..3. */
typedef struct MemoryParams {
  uint32_t Freq;
  uint32_t ODT;
} MemoryParams;

/* Audio sources (bAudioSource). */
#define AUDIO_SPDIF 0
#define AUDIO_I2S0 1
#define AUDIO_I2S1 2
#define AUDIO_AUTO_DETECT 3
/* Sampling-frequency modes (bFsMode). */
#define I2S_FS_AUTO 0
#define I2S_FS_48 1
#define I2S_FS_44_1 2

/* HDMI audio settings: five one-byte settings, then the output port (a DC_PORT number,
 * normally DC_PORT_HDMI_AV = 5). */
typedef struct HdmiAudioSettings {
  uint8_t bAudioSource; /* AUDIO_SPDIF, AUDIO_I2S0, AUDIO_I2S1, AUDIO_AUTO_DETECT */
  uint8_t bMclk;        /* 0 default (256*Fs); 1..8 = 128, 256, 384, 512, 768, 1024, 1152, 192 * Fs */
  uint8_t bFsMode;      /* I2S_FS_AUTO, I2S_FS_48, I2S_FS_44_1 */
  uint8_t bSuppression; /* 1 infoframe suppression enabled */
  uint8_t bNSval;       /* 0 default, 1 44.1 kHz, 2 48 kHz */
  uint32_t dwPort;
} HdmiAudioSettings;

/* Lifecycle. */
ZEV_API ZEV_STATUS ZEVLibInit(void);
ZEV_API ZEV_STATUS ZEVLibDeInit(void); /* always 0 */

/* Memory. */
ZEV_API ZEV_STATUS ZEVSetMemSize(uint32_t highestAddress);
ZEV_API uint32_t ZEVGetMemSize(void);
ZEV_API ZEV_STATUS ZEVSetODTnFrequency(uint32_t freqIndex, uint32_t odtIndex);
ZEV_API ZEV_STATUS ZEVGetODTnFrequency(MemoryParams* params);
ZEV_API ZEV_STATUS ZEVDRAMWrite(const uint8_t* data, uint32_t offset, uint32_t length, uint8_t mode);
ZEV_API ZEV_STATUS ZEVDRAMRead(uint8_t* buffer, uint32_t offset, uint32_t length);
ZEV_API DramTestResult ZEVVerifyFullDRAM(void);
ZEV_API DramTestResult ZEVMemoryDataLinesTest(void);
ZEV_API DramTestResult ZEVMemoryAddressLinesTest(void);

/* EEPROM (128, 256 or 512 bytes). Reads and writes measure the part first, which
 * writes and restores three of its bytes, and refuse ranges outside it
 * (ZEV_INVALID_EEPROM_ADD, ZEV_EEPROM_OUT_OF_BOUND). A write succeeds only when every
 * byte read back matches; otherwise ZEV_LIB_FAILURE, and the bytes written stay. */
ZEV_API ZEV_STATUS ZEVLibWriteEEprom(const uint8_t* data, uint32_t offset, uint32_t length);
ZEV_API ZEV_STATUS ZEVLibReadEeprom(uint8_t* buffer, uint32_t offset, uint32_t length);
ZEV_API ZEV_STATUS ZEVLibEraseEeprom(void);
ZEV_API ZEV_STATUS ZEVCalcEepromSize(uint32_t* size);

/* Display, drawing, HDMI and reset. */
ZEV_API ZEV_STATUS ZEVPreferedResolution(uint32_t* resolution); /* [0] height, [1] width, [2] refresh */
ZEV_API ZEV_STATUS ZEVInitGE(uint32_t height, uint32_t width, uint32_t refresh);
ZEV_API ZEV_STATUS ZEVDrawRect(int32_t colour, uint32_t x, uint32_t y, uint32_t width, uint32_t height);
ZEV_API ZEV_STATUS ZEVDrawPic(const char* path);
ZEV_API ZEV_STATUS ZEVHdmiPhyEnable(const HdmiAudioSettings* settings);
ZEV_API ZEV_STATUS ZEVHdmiPhyDisable(void);
ZEV_API ZEV_STATUS ZEVResetDevice(void); /* ZEV_DEV_COM_FAIL only when no connection is open */

#ifdef __cplusplus
}
#endif

#endif /* ZEVUTIL_H */
