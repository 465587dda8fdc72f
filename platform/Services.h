// The platform services one window works with.
#pragma once

#include <array>

#include "platform/Clock.h"
#include "platform/ParallelLink.h"
#include "platform/SerialLink.h"
#include "platform/System.h"
#include "platform/WindowServices.h"

namespace qw77 {

struct Services {
  std::array<SerialLink*, 3> serial{};      // MSComm1, MSComm2, MSComm3
  std::array<ParallelLink*, 2> parallel{};  // LPT1, LPT2
  System* system = nullptr;
  Clock* clock = nullptr;
  WindowServices* window = nullptr;
};

}  // namespace qw77
