#pragma once

namespace zev::sim {

class Chip;

// Attaches every functional unit of the chip model, in decode order.
void AddStandardUnits(Chip& chip);

}  // namespace zev::sim
