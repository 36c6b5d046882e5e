// The one length of the library: a signed count of hundredths of a nanometre, and every conversion to and
// from the units files write.
//
// Why 0.01 nm: it is the coarsest step that is exact for everything the jobs hold. Inch values of up to seven
// decimals (1e-7 inch = 254 counts), mils of up to four (254 counts), millimetres of up to eight (1 count)
// and whole nanometres (100 counts) are whole counts, and so are the sizes Fab Export derives from a mil of
// three decimals: a quarter of it (a rounded rectangle's corner, 635 counts) and a tenth (a target's bar,
// 254 counts). A tenth of a nanometre would hold the first but not the last two. 64 bits still span about
// 92,000 km; a drill value is refused long before that (drill/excellon.hpp).
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>

namespace fk::util {

namespace lengthdetail {

using Count = std::int64_t;

// One step of 10^-decimals of a unit is `counts / steps` counts, in lowest terms.
struct Step {
    Count counts = 1, steps = 1;
};

inline constexpr int maxDecimals = 9; // the finest step a conversion takes

constexpr Step stepAt(Count perUnit, int decimals) {
    Count counts = perUnit, steps = 1;
    while (decimals-- > 0)
        steps *= 10;
    for (Count prime : {2, 5}) {
        while (steps % prime == 0 && counts % prime == 0)
            counts /= prime, steps /= prime;
    }
    return {counts, steps};
}

// A table per unit, so that a decimal count known only at run time costs one look-up.
using Steps = std::array<Step, maxDecimals + 1>;
constexpr Steps stepsOf(Count perUnit) {
    Steps table{};
    for (int d = 0; d <= maxDecimals; ++d)
        table[static_cast<size_t>(d)] = stepAt(perUnit, d);
    return table;
}

inline constexpr Count perNanometre = 100;
inline constexpr Count perMillimetre = 100'000'000;
inline constexpr Count perInch = 2'540'000'000;
inline constexpr Count perMil = 2'540'000;
inline constexpr Steps inchSteps = stepsOf(perInch), milSteps = stepsOf(perMil),
                       millimetreSteps = stepsOf(perMillimetre), nanometreSteps = stepsOf(perNanometre);

// count * steps / counts of a step, rounded to nearest, halves to even, with no intermediate past the result.
constexpr std::int64_t rounded(Count count, Step step) {
    const bool negative = count < 0;
    const Count magnitude = negative ? -count : count;
    const Count rest = magnitude % step.counts * step.steps;
    std::int64_t whole = magnitude / step.counts * step.steps + rest / step.counts;
    const Count twice = 2 * (rest % step.counts);
    if (twice > step.counts || (twice == step.counts && whole % 2 == 1))
        ++whole;
    return negative ? -whole : whole;
}

} // namespace lengthdetail

class Length {
  public:
    using Count = lengthdetail::Count;
    static constexpr Count perNanometre = lengthdetail::perNanometre;
    static constexpr Count perMillimetre = lengthdetail::perMillimetre;
    static constexpr Count perInch = lengthdetail::perInch;
    static constexpr Count perMil = lengthdetail::perMil;
    // Decimals the exact constructors take: each step of them is a whole count.
    static constexpr int maxInchDecimals = 7;
    static constexpr int maxMilDecimals = 4;
    static constexpr int maxMillimetreDecimals = 8;
    // Decimals the conversions out give.
    static constexpr int maxOutputDecimals = lengthdetail::maxDecimals;

    constexpr Length() = default;

    static constexpr Length fromCount(Count count) { return Length(count); }
    static constexpr Length fromNanometres(std::int64_t nanometres) {
        return Length(nanometres * perNanometre);
    }
    // value * 10^-decimals of the unit, exactly, for decimals up to the unit's max...Decimals. The caller
    // keeps the value within range (3.6e9 inches, 9.2e10 mm): one look-up and one multiplication, no check.
    static constexpr Length fromInchDecimals(std::int64_t value, int decimals) {
        return Length(value * lengthdetail::inchSteps[static_cast<size_t>(decimals)].counts);
    }
    static constexpr Length fromMilDecimals(std::int64_t value, int decimals) {
        return Length(value * lengthdetail::milSteps[static_cast<size_t>(decimals)].counts);
    }
    static constexpr Length fromMillimetreDecimals(std::int64_t value, int decimals) {
        return Length(value * lengthdetail::millimetreSteps[static_cast<size_t>(decimals)].counts);
    }

    constexpr Count count() const { return count_; }
    // In steps of 10^-decimals of the unit (decimals 0 to 9), rounded to nearest, halves to even.
    constexpr std::int64_t toInchDecimals(int decimals) const {
        return lengthdetail::rounded(count_, lengthdetail::inchSteps[static_cast<size_t>(decimals)]);
    }
    constexpr std::int64_t toMilDecimals(int decimals) const {
        return lengthdetail::rounded(count_, lengthdetail::milSteps[static_cast<size_t>(decimals)]);
    }
    constexpr std::int64_t toMillimetreDecimals(int decimals) const {
        return lengthdetail::rounded(count_, lengthdetail::millimetreSteps[static_cast<size_t>(decimals)]);
    }
    constexpr std::int64_t toNanometres() const {
        return lengthdetail::rounded(count_, lengthdetail::nanometreSteps[0]);
    }
    // The inch steps where the length is a whole number of them, else nothing.
    constexpr std::optional<std::int64_t> exactInchDecimals(int decimals) const {
        const lengthdetail::Step step = lengthdetail::inchSteps[static_cast<size_t>(decimals)];
        if (count_ % step.counts != 0)
            return std::nullopt;
        return count_ / step.counts * step.steps;
    }
    // Nanometres as a double, for drawing: exactly the double of the nanometres where they are whole.
    constexpr double nanometres() const {
        return double(count_ / perNanometre) + double(count_ % perNanometre) / double(perNanometre);
    }

    constexpr Length operator-() const { return Length(-count_); }
    constexpr Length operator+(Length other) const { return Length(count_ + other.count_); }
    constexpr Length operator-(Length other) const { return Length(count_ - other.count_); }
    constexpr Length operator*(std::int64_t factor) const { return Length(count_ * factor); }
    friend constexpr Length operator*(std::int64_t factor, Length length) { return length * factor; }
    // Truncated toward zero, as integers divide: exact where the count is a multiple of the divisor.
    constexpr Length operator/(std::int64_t divisor) const { return Length(count_ / divisor); }
    constexpr auto operator<=>(const Length&) const = default;

  private:
    constexpr explicit Length(Count count) : count_(count) {}

    Count count_ = 0;
};

constexpr Length abs(Length length) {
    return length < Length() ? -length : length;
}

// A fixed-point value of a Gerber format, value * 10^-decimals inches or millimetres, in whole mils: the unit
// Tango-PCB's plots are drawn in. Exact for every format (decimals 0 to 13, |value| below 10^13), which a
// Length is not beyond seven inch decimals; the rounding is reported, so the conversion lives here with the
// others rather than as a Length.
struct WholeMils {
    std::int64_t mils = 0;
    std::int64_t offNumerator = 0, offDenominator = 1; // how far the value lies from `mils`, in mils
};

constexpr std::int64_t powerOfTen(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// Rounded half to even.
constexpr WholeMils wholeMilsOf(std::int64_t value, int decimals, bool millimetres) {
    if (!millimetres && decimals <= 3) // whole mils already: nothing to round
        return {.mils = value * powerOfTen(3 - decimals)};
    // One inch is 1000 mils; one millimetre is 1000/25.4 = 5000/127 mils.
    const std::int64_t numerator = value * (millimetres ? 5000 : 1000);
    const std::int64_t denominator = powerOfTen(decimals) * (millimetres ? 127 : 1);
    std::int64_t mils = numerator / denominator;
    std::int64_t rest = numerator % denominator;
    if (rest < 0) {
        rest += denominator;
        --mils;
    }
    if (2 * rest > denominator || (2 * rest == denominator && mils % 2 != 0))
        ++mils;
    const std::int64_t off = numerator - mils * denominator;
    return {.mils = mils, .offNumerator = off < 0 ? -off : off, .offDenominator = denominator};
}

} // namespace fk::util
