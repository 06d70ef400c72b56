// The arpeggiator's tempo clock: places ticks at exact sample positions inside each
// block, carrying the fractional remainder from block to block.
#pragma once

class CSorlArpClock {
public:
    void setPeriod(float samples) { period = samples; }
    float periodSamples() const { return period; }
    float countdownSamples() const { return countdown; }

    // The next tick falls at this offset of the coming block.
    void restart(int offset) { countdown = static_cast<float>(offset); }
    void clear() { countdown = 0.0f; }

    // Calls tick(offset) for every tick inside the next `frames` frames.
    template <typename Tick>
    void advance(int frames, Tick tick)
    {
        // A period below one sample would never let the countdown catch up.
        if (!(period >= 1.0f))
            return;
        int offset = static_cast<int>(countdown);
        countdown -= static_cast<float>(frames);
        while (countdown < 0.0f) {
            tick(offset);
            offset += static_cast<int>(period);
            countdown += period;
        }
    }

private:
    float period = 0.0f;
    float countdown = 0.0f;
};
