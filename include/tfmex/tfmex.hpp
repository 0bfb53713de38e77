// libtfmex: wavelet and time-frequency transforms on memory the caller owns.
#ifndef TFMEX_TFMEX_HPP
#define TFMEX_TFMEX_HPP

#include "tfmex/analysis.hpp"
#include "tfmex/common.hpp"
#include "tfmex/dual.hpp"
#include "tfmex/filters.hpp"
#include "tfmex/periodized.hpp"
#include "tfmex/redundant.hpp"
#include "tfmex/triadic.hpp"
#include "tfmex/trig.hpp"
#include "tfmex/version.hpp"

#endif
