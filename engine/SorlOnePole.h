// Pole coefficients of one-pole filters for a corner frequency f at sample
// rate fs. The low-pass pole is used as y := p * y + (1 - p) * x.
#pragma once

float SorlLowPassPole(double hz, double sampleRate);
float SorlHighPassPole(double hz, double sampleRate);
