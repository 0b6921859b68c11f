#include "core/adm/textsource.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool StartsWithUtf16Mark(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

}  // namespace

int DecideEncoding(std::string_view bytes) {
    return StartsWithUtf16Mark(bytes) ? 1 : 0;
}

Text DecodeTemplate(std::string_view bytes, int utf16) {
    Text out;
    if (utf16) {
        if (StartsWithUtf16Mark(bytes))
            bytes.remove_prefix(2);
        // A truncated file may end in half a unit; that byte carries no character.
        size_t units = bytes.size() / 2;
        out.resize(units);
        for (size_t i = 0; i < units; ++i) {
            auto low = static_cast<unsigned char>(bytes[2 * i]);
            auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
            out[i] = char16_t(low | (high << 8));
        }
        return out;
    }
    // Text mode of the 8-bit stream: CR LF is one line end and Ctrl-Z marks the end.
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0x1A)
            break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out.push_back(char16_t(c));
    }
    return out;
}

TextView TemplateText(std::string_view bytes, int utf16, Text& storage) {
    if (utf16 && std::endian::native == std::endian::little) {
        std::string_view units = bytes;
        if (StartsWithUtf16Mark(units))
            units.remove_prefix(2);
        if (reinterpret_cast<std::uintptr_t>(units.data()) % alignof(char16_t) == 0)
            return TextView(reinterpret_cast<const char16_t*>(units.data()), units.size() / 2);
    }
    storage = DecodeTemplate(bytes, utf16);
    return storage;
}

size_t FindUnit(TextView text, char16_t unit, size_t from) {
    const char16_t* data = text.data();
    const size_t size = text.size();
    size_t i = from;
#if defined(__SSE2__)
    // Sixteen units per step: two compares of eight lanes, one mask test for both; the lowest
    // set bit of the mask of equal lanes gives the position.
    const __m128i pattern = _mm_set1_epi16(short(unit));
    for (; i + 16 <= size; i += 16) {
        const __m128i a =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), pattern);
        const __m128i b = _mm_cmpeq_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 8)), pattern);
        const unsigned mask = unsigned(_mm_movemask_epi8(a)) | unsigned(_mm_movemask_epi8(b)) << 16;
        if (mask != 0)
            return i + size_t(std::countr_zero(mask)) / 2;
    }
    if (i + 8 <= size) {
        const __m128i a =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), pattern);
        const unsigned mask = unsigned(_mm_movemask_epi8(a));
        if (mask != 0)
            return i + size_t(std::countr_zero(mask)) / 2;
        i += 8;
    }
#else
    // A 64-bit word holds four units; a lane of word ^ pattern is zero where the unit is,
    // and the classic test below finds whether any lane is zero (exactly, not where).
    constexpr uint64_t kLow = 0x0001000100010001ull;
    constexpr uint64_t kHigh = 0x8000800080008000ull;
    const uint64_t pattern = kLow * unit;
    for (; i + 4 <= size; i += 4) {
        uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        const uint64_t lanes = word ^ pattern;
        if ((lanes - kLow) & ~lanes & kHigh)
            break;
    }
#endif
    for (; i < size; ++i)
        if (data[i] == unit)
            return i;
    return TextView::npos;
}

size_t ReleaseStep(size_t size) {
    return std::clamp<size_t>(size / 32, size_t(1) << 14, size_t(1) << 20);
}
