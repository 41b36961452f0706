// Deterministic pseudo-random numbers for the lab. The standard distributions differ between
// library versions, so everything here is plain integer arithmetic: one seed always yields the
// same hosts, pages and fault choices.
#pragma once

#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

namespace corvanelab {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    // A stream of its own for one purpose (a host, the fault plan), independent of how many
    // numbers other streams drew.
    static Rng ForStream(std::uint64_t seed, std::uint64_t stream) {
        Rng mixer(seed ^ (stream * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL));
        mixer.Next();
        return Rng(mixer.Next());
    }

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); n == 0 gives 0.
    std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }

    // Uniform in [lo, hi] (inclusive); hi < lo gives lo.
    std::uint64_t Between(std::uint64_t lo, std::uint64_t hi) {
        return hi <= lo ? lo : lo + Below(hi - lo + 1);
    }

    // True with the given chance in percent.
    bool Percent(unsigned percent) { return Below(100) < percent; }

    // One element of a non-empty array or vector.
    template <typename Container>
    const auto& Pick(const Container& items) {
        return items[Below(std::size(items))];
    }

    template <typename T>
    void Shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i) {
            std::size_t j = Below(i);
            std::swap(items[i - 1], items[j]);
        }
    }

private:
    std::uint64_t m_state;
};

}  // namespace corvanelab
