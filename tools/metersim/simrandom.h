#pragma once
// A small, fast and fully repeatable random source for the meter simulator:
// the same seed gives the same bytes on every run and every platform.

#include <QtGlobal>

// One step of splitmix64: a good 64-bit mix of `x`.
inline quint64 SplitMix64(quint64 x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// A number in [0, 1) that depends only on its arguments, so any reading can be
// regenerated without replaying the ones before it.
inline double HashUnit(quint64 a, quint64 b, quint64 c)
{
    const quint64 h = SplitMix64(SplitMix64(SplitMix64(a) ^ b) ^ c);
    return double(h >> 11) * (1.0 / 9007199254740992.0);
}

class SimRandom {
public:
    explicit SimRandom(quint64 seed) : state_(seed) {}
    quint64 Next()
    {
        state_ += 0x9E3779B97F4A7C15ULL;
        return SplitMix64(state_);
    }
    // 0 .. n-1 (n > 0).
    int Below(int n) { return int(Next() % quint64(n)); }
    // lo .. hi inclusive.
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    quint64 state_;
};
