// The one place the virtual printer takes the house's Status and Result from, so that a
// move of that header changes a single line here.
#pragma once

#include "base/Status.h"  // IWYU pragma: export
