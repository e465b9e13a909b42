// Hostile texts for the parser fuzz test, drawn from one seeded generator so
// that a failing run can be replayed from its seed.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fuzz {

class InputGenerator {
public:
    // `samples`: valid texts of the parser's format, to be mutated;
    // `tokens`: the format's own separators and keywords.
    InputGenerator(uint32_t seed, std::vector<std::string> samples, std::vector<std::string> tokens);

    // The next input: random bytes, a mutated sample, a sample with one very
    // long line or key, NULs and lone CRs, or thousands of fields or sections.
    std::string Next();

private:
    size_t Below(size_t n) { return n ? static_cast<size_t>(rng_() % n) : 0; }
    std::string RandomBytes(size_t length);
    void Mutate(std::string& text);
    std::string Repeated(const std::string& unit, size_t count);

    std::mt19937 rng_;
    std::vector<std::string> samples_;
    std::vector<std::string> tokens_;
    uint64_t count_ = 0;
};

// The seed of this run: ARKENFEL_FUZZ_SEED when set, otherwise from the clock.
uint32_t RunSeed();
// Inputs per parser: ARKENFEL_FUZZ_INPUTS when set, otherwise 100000.
size_t InputsPerParser();

}  // namespace fuzz
