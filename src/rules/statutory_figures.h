#pragma once

#include "common/currency.h"

#include <QDate>

#include <optional>

namespace statutory {

// An employee's exemptions: from each date on (an invalid date: never exempt); and their place in
// the pension scheme, which a member of the fund leaves after the 58th birthday, or never joins
// (one who joined the fund above the wage ceiling after September 2014).
struct Exemptions {
    QDate pfFrom;
    QDate esiFrom;
    QDate ptFrom;
    QDate birthDate;           // birthdate: none known, the pension goes on
    bool pensionMember = true; // penmember
    static bool holds(QDate from, QDate payDate) { return from.isValid() && from <= payDate; }
    // Whether the month paid on the date sends nothing to the pension fund: not a member, or a
    // month after the one of the 58th birthday.
    bool pensionStopped(QDate payDate) const
    {
        if (!pensionMember)
            return true;
        if (!birthDate.isValid())
            return false;
        const QDate turns58 = birthDate.addYears(58);
        return QDate(payDate.year(), payDate.month(), 1) > QDate(turns58.year(), turns58.month(), 1);
    }
    friend bool operator==(const Exemptions&, const Exemptions&) = default;
};

// The heads of a month's pay, which each deduction's rules count toward its wages or not.
struct Wages {
    Currency basic; // the present days salary
    Currency bonus;
    Currency overtime;
    Currency travel;
    friend bool operator==(const Wages&, const Wages&) = default;
};
enum WageHead { Basic = 1, Bonus = 2, Overtime = 4, Travel = 8, AllHeads = 15 };

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
