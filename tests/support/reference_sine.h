// The sine the tests' independent models use: MPFR's correctly rounded sine
// where MPFR exists (Linux). The Windows cross build has no MPFR; there the
// models use the plug-in's own sine, which its suite checks separately
// against MPFR's results (sine_expectations_test.cpp), so that the frame
// tests still test the hook.
#ifndef WAVEFX_TESTS_REFERENCE_SINE_H
#define WAVEFX_TESTS_REFERENCE_SINE_H

double reference_sine(double x);

#endif  // WAVEFX_TESTS_REFERENCE_SINE_H
