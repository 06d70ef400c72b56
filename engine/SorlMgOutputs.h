// What the modulation generator hands to the voice stages, stepped every
// sample. At 0 they change nothing.
#pragma once

struct SorlMgOutputs {
    float triangle = 0.0f;         // -1..1
    float smoothedTriangle = 0.0f; // the triangle through a 1 ms smoother
    float smoothedFade = 0.0f;     // delay fade-in 0..1, through a 1 ms smoother
};
