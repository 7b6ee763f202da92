// SPDX-License-Identifier: MIT
#include "ui/ProgramInfo.h"

const char* ProgramInfo::Name() { return kName; }
