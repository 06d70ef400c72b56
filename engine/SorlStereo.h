// One stereo sample pair.
#pragma once

struct SorlStereo {
    float left = 0.0f;
    float right = 0.0f;
};
