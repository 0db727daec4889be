#pragma once

// Moved to support/midi; this forward stays until every suite includes it from there.
#include "support/midi/JobTestSupport.h"
