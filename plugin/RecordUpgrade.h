// Bringing stored records of older releases up to date, step by step, and repairing
// what no record of any release may hold: non-finite values and unterminated names.
#pragma once

#include "BankImage.h"
#include "GlobalBlock.h"
#include "ProgramRecord.h"

namespace sorrel {

// Non-finite values become the "Init Program" values, an unterminated name is cut to
// its field; then the steps for older versions run. Leaves this release's version.
bool upgradeProgram(ProgramRecord& record);

// Non-finite settings become the factory values; then the steps for older versions
// (scale table, controller map, Hold controller). Leaves this release's version.
bool upgradeGlobalBlock(GlobalBlock& block);

// The trailer of older banks, the global block and programs 0-31 with the edit and
// compare copies. A trailer program number outside 0-31 is limited to that range.
bool upgradeBank(BankImage& bank);

} // namespace sorrel
