// The GC Prevue viewer's byte tables: shape codes, size encoding and the fixed-size records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fk::report {

inline constexpr long maxTools = 20;

// Viewer shape code of a report shape key (7-character shape field then 4-character kind); nullopt when the
// key is not recognised (the record then takes code 0).
std::optional<int> shapecode(const std::string& key);

// Value of a text of hexadecimal digits (first blank-separated word, upper-cased).
int32_t hexvalue(const std::string& text);

// A length in inches in nanometres, rounded half to even; nullopt beyond the 32-bit signed range.
std::optional<int32_t> nmvalue(double inches);
// The four bytes of a nanometre value, least significant first.
std::string nmbytes(int32_t nanometres);

std::string aprHeader(uint8_t apertureCount);
std::string rckHeader(uint8_t toolCount);
std::string apertureRecord(uint8_t shape, uint8_t dcode, int32_t width, int32_t height);
std::string toolRecord(int32_t size);

} // namespace fk::report
