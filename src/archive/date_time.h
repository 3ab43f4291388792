#pragma once
// Dates of stored files: a day count since 30 December 1899 with the time of day as the
// fraction, made from a file's DOS date-time stamp, so converting back gives the same stamp.
#include <cstdint>

namespace vantorel {

using TDateTime = double;

// A stamp whose fields name no real date or time gives 0 (30 December 1899).
TDateTime DosDateTimeToDateTime(uint32_t stamp);
// False when the value is not a date the DOS stamp can hold (1980 to 2107), or not a number.
bool DateTimeToDosDateTime(TDateTime value, uint32_t& stamp);

}  // namespace vantorel
