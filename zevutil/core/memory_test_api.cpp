// The three memory tests as the library offers them: each checks the stored indices,
// probes the connection and brings the hardware up before its algorithm runs.
#include "device/chip/hw_init.h"
#include "device/core/lib_context.h"
#include "zevutil/core/lib_frame.h"
#include "zevutil/core/memory_api.h"

namespace zev::api {
namespace {

// The steps every test runs before its algorithm. The result has its data fields
// unset; its status is ZEV_SUCCESS when the test may go on.
DramTestResult PrepareTest(LibContext& ctx) {
  DramTestResult result = UnsetDramTestResult();
  result.status = ZEV_SUCCESS;
  if (ctx.gFreqIndex < 1 || ctx.gFreqIndex > 4) {
    result.status = ZEV_INVALID_FREQUENCY;
  } else if (ctx.gOdtIndex < 1 || ctx.gOdtIndex > 3) {
    result.status = ZEV_INVALID_ODT;
  } else if (ConnectionPreamble(ctx) != ZEV_SUCCESS) {
    result.status = ZEV_DEV_COM_FAIL;
  } else if (!LibHwBringUp(ctx)) {
    result.status = ZEV_HDWRE_INIT_FAIL;
  }
  return result;
}

}  // namespace

DramTestResult ZEVMemoryAddressLinesTest(LibContext& ctx) {
  const DramTestResult prepared = PrepareTest(ctx);
  if (prepared.status != ZEV_SUCCESS) return prepared;
  return DramAddressLineTest(ConnectedDevice(ctx), ctx.gMemAddrBits);
}

DramTestResult ZEVMemoryDataLinesTest(LibContext& ctx) {
  const DramTestResult prepared = PrepareTest(ctx);
  if (prepared.status != ZEV_SUCCESS) return prepared;
  const DramTestResult addressLines = ZEVMemoryAddressLinesTest(ctx);
  if (addressLines.status != ZEV_ADDRESS_LINE_PASS) return addressLines;
  return DramDataLineTest(ConnectedDevice(ctx));
}

DramTestResult ZEVVerifyFullDRAM(LibContext& ctx, const DramVerifyOptions& verify) {
  const DramTestResult prepared = PrepareTest(ctx);
  if (prepared.status != ZEV_SUCCESS) return prepared;
  const DramTestResult addressLines = ZEVMemoryAddressLinesTest(ctx);
  if (addressLines.status != ZEV_ADDRESS_LINE_PASS) return addressLines;
  const DramTestResult dataLines = ZEVMemoryDataLinesTest(ctx);
  if (dataLines.status != ZEV_DATA_LINE_PASS) return dataLines;
  return DramVerifyFull(ConnectedDevice(ctx), verify);
}

}  // namespace zev::api
