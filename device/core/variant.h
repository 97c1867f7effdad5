#pragma once

namespace zev {

// The device library is built once but serves two callers that differ in a few
// documented details (read-failure marker, extra diagnostics, mode table rows, ...).
// Routines consult the variant of their context where the two callers differ.
enum class Variant {
  Library,  // the shared library zevutil
  Utility,  // the ZEVUtility program
};

}  // namespace zev
