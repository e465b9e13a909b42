#include "tests/unit/parsers/fuzz_inputs.h"

#include <windows.h>

#include <cstdlib>

namespace fuzz {
namespace {

// Bytes that mean something to one of the parsers, or to the code page.
const char* const kSpecial[] = {"\r\n", "\r", "\n", "|", "=", "[", "]", "\\", "/",
                                " ", "\t", "\"", "가", "\xB0", ":", "..", "$"};

uint32_t EnvNumber(const char* name, uint32_t fallback) {
    char text[32] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return fallback;
    return static_cast<uint32_t>(std::strtoul(text, nullptr, 10));
}

}  // namespace

uint32_t RunSeed() { return EnvNumber("ARKENFEL_FUZZ_SEED", ::GetTickCount() ^ (::GetCurrentProcessId() << 16)); }

size_t InputsPerParser() { return EnvNumber("ARKENFEL_FUZZ_INPUTS", 100000); }

InputGenerator::InputGenerator(uint32_t seed, std::vector<std::string> samples, std::vector<std::string> tokens)
    : rng_(seed), samples_(std::move(samples)), tokens_(std::move(tokens)) {
    for (const char* special : kSpecial) tokens_.emplace_back(special);
    tokens_.emplace_back(1, '\0');
}

std::string InputGenerator::RandomBytes(size_t length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(rng_());
    return bytes;
}

std::string InputGenerator::Repeated(const std::string& unit, size_t count) {
    std::string text;
    text.reserve(unit.size() * count);
    for (size_t i = 0; i < count; ++i) text += unit;
    return text;
}

void InputGenerator::Mutate(std::string& text) {
    const size_t at = Below(text.size() + 1);
    switch (Below(6)) {
    case 0:
        if (!text.empty()) text[Below(text.size())] = static_cast<char>(rng_());
        break;
    case 1:
        text.insert(at, tokens_[Below(tokens_.size())]);
        break;
    case 2:
        text.erase(at, Below(16));
        break;
    case 3:
        text.insert(at, text.substr(Below(text.size() + 1), Below(64)));
        break;
    case 4:
        text.insert(at, RandomBytes(Below(8)));
        break;
    default:
        text.resize(at);
        break;
    }
}

std::string InputGenerator::Next() {
    const uint64_t n = count_++;
    std::string text = samples_[Below(samples_.size())];
    // Large inputs are rare, so that the whole run stays within its time.
    if (n % 997 == 0) {
        const std::string long_part = Below(2) ? RandomBytes(20000 + Below(80000))
                                               : Repeated(tokens_[Below(tokens_.size())] + "x", 5000 + Below(20000));
        text.insert(Below(text.size() + 1), long_part);
        return text;
    }
    if (n % 211 == 0) return Repeated(tokens_[Below(tokens_.size())] + RandomBytes(Below(4)), 1000 + Below(4000));
    switch (Below(4)) {
    case 0:
        return RandomBytes(Below(300));
    case 1:
        for (size_t i = Below(6); i < 8; ++i) text.insert(Below(text.size() + 1), Below(2) ? "\r" : std::string(1, '\0'));
        return text;
    default:
        for (size_t i = 0, m = 1 + Below(8); i < m; ++i) Mutate(text);
        return text;
    }
}

}  // namespace fuzz
