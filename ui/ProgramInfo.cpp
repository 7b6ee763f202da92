// SPDX-License-Identifier: MIT
#include "ui/ProgramInfo.h"

// QUILL_VERSION and QUILL_SHORT_VERSION come from the project's version.
const char* ProgramInfo::Version() { return QUILL_VERSION; }
const char* ProgramInfo::Caption() { return "Quill v" QUILL_SHORT_VERSION; }
const char* ProgramInfo::AboutVersion() { return "Quill version " QUILL_SHORT_VERSION; }
