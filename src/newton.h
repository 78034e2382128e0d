// The damped Newton iteration on f(x) = x^3 - 2x + 2, as the front end sees it.
#ifndef DAMPED_NEWTON_NEWTON_H
#define DAMPED_NEWTON_NEWTON_H

// Iterates from `point` with `lambda` for at most `maxRuns` runs, writing every
// new iterate, and the run count once a run leaves the iterate unchanged. Ends
// early at the first iterate line that standard output does not take.
void dampedNewton();

#endif
