// Text helpers, number conversion and the one tolerance of the system.
#pragma once

constexpr double Tolerance = 1e-7;
