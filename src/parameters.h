// The three process-wide parameters of one start of the program: the dialogue
// sets them, the iteration reads them and leaves its last iterate in `point`.
#ifndef DAMPED_NEWTON_PARAMETERS_H
#define DAMPED_NEWTON_PARAMETERS_H

#include <cstdint>

extern double point;          // start point, then the current iterate
extern double lambda;         // damping factor of every Newton step
extern std::int32_t maxRuns;  // upper bound on the number of runs

#endif
