#pragma once

#include <QtGlobal>
#include <cstdint>

// Deterministic pseudo-random numbers for the demo data (xorshift64*): the
// same seed gives the same district on every platform and compiler, which
// the standard library's distributions do not promise.
class DemoRandom
{
public:
    explicit DemoRandom(quint64 seed)
        : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull)
    {
        if (m_state == 0)
            m_state = 1;
        next();
    }

    quint64 next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }
    // 0 <= result < bound (bound > 0).
    int below(int bound) { return int((next() >> 33) % quint64(bound)); }
    // lo <= result <= hi.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    // True with the given chance in percent.
    bool percent(int chance) { return below(100) < chance; }
    template <typename T, size_t N> const T& pick(const T (&items)[N])
    {
        return items[below(int(N))];
    }

private:
    quint64 m_state;
};
