#include "NoteState.h"

#include <algorithm>

void CM4417NoteState::press(int key, int velocity)
{
    key &= 127;
    ++heldCount;
    ++held[key];
    ++soundingTotal;
    ++sounding[key];
    velocities[key] = velocity;
}

bool CM4417NoteState::release(int key, bool pedalDown)
{
    key &= 127;
    heldCount = std::max(heldCount - 1, 0);
    if (--held[key] <= 0) {
        held[key] = 0;
        velocities[key] = 0;
    }
    if (pedalDown)
        return false;
    soundingTotal = std::max(soundingTotal - 1, 0);
    sounding[key] = std::max(sounding[key] - 1, 0);
    return true;
}

void CM4417NoteState::clear()
{
    heldCount = 0;
    soundingTotal = 0;
    held.fill(0);
    sounding.fill(0);
    velocities.fill(0);
}
