#pragma once

// Keeps the memory a large read frees (a year's report, a month's payslips) for the next one,
// rather than handing it back to the system and taking it again page by page: a report of 60,000
// transactions spent half its time in those page faults. The most kept is bounded (see the .cpp).
void keepFreedMemoryForReuse();
