#pragma once
// The spider mites' setup values shared by the mite and mite-predator tests.
#include "model/inputs.h"

namespace olive::testing {

inline void SetMiteInputs(Inputs& in) {
  in.mite = true;
  in.thrWiEgg = 8;
  in.thrA = 10;
  in.kWiEgg = 20;
  in.MiteKimm = 30;
  in.kAdl = 30;
  in.delWiEgg = 100;
  in.delEggMite = 60;
  in.delJuvMite = 90;
  in.delAdlMite = 300;
  in.delPreovMite = 30;
  in.winterEggs = 100;
  in.beta = 0.3;
  in.MiteSexr = 0.7;
}

}  // namespace olive::testing
