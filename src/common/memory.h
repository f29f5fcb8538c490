#pragma once

#include <cstddef>

// Keeps the memory a large read frees (a year's report, a month's payslips) for the next one,
// rather than handing it back to the system and taking it again page by page: a report of 60,000
// transactions spent half its time in those page faults. The most kept is bounded (see the .cpp).
void keepFreedMemoryForReuse();

// Asks the system to back the block at data, of size bytes, with large pages where it can: a
// block of hundreds of MB (a large office's year of transactions) filled once then takes a
// few hundred page faults rather than tens of thousands. Only advice: nothing changes where the
// system does not take it.
void preferLargePages(void* data, size_t bytes);
