#pragma once
// The locked output writer lives in platform/ now; this name stays until the
// last user includes platform/OutputFile.h.
#include "platform/OutputFile.h"
