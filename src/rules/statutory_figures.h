#pragma once

#include "common/currency.h"

#include <QDate>

#include <optional>

namespace statutory {

// An employee's exemptions: from each date on (an invalid date: never exempt).
struct Exemptions {
    QDate pfFrom;
    QDate esiFrom;
    QDate ptFrom;
    static bool holds(QDate from, QDate payDate) { return from.isValid() && from <= payDate; }
    friend bool operator==(const Exemptions&, const Exemptions&) = default;
};

// One month's statutory figures, whole rupees. Wages are what each deduction was computed on
// (0 when it does not apply).
struct Figures {
    Currency pfWages;      // basic wages earned, up to the ceiling unless the company pays on all of them
    Currency pensionWages; // basic wages earned, up to the ceiling
    Currency pfEmployee;   // R↑(rate x pf wages)
    Currency pension;      // employer's part to the pension fund: min(R↑(pension rate x pension wages), cap)
    Currency pfEmployer;   // employer's share less the pension part
    Currency esiWages;     // gross wages, when at most the limit
    Currency esiEmployee;  // ⌈employee rate x gross⌉
    Currency esiEmployer;  // ⌈employer rate x gross⌉
    Currency professionalTax;

    std::optional<Currency> employeeTotal() const { return sumOf(pfEmployee, esiEmployee, professionalTax); }
    friend bool operator==(const Figures&, const Figures&) = default;
};

} // namespace statutory
