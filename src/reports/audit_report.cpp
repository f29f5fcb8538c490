#include "audit_report.h"

#include "common/dates.h"
#include "data/audit_trail.h"

namespace report {

Document auditReport(const QString& company, QDate from, QDate to, QList<AuditEntry> entries, bool withChanges,
                     const QString& address)
{
    using E = AuditEntry;
    Document d;
    d.name = QStringLiteral("AuditTrail");
    d.title = QStringLiteral("AUDIT TRAIL");
    d.heading = {{{QStringLiteral("Label20"), company.isEmpty() ? QStringLiteral("ALL COMPANIES") : company, true}},
                 {{QStringLiteral("Label21"), address}},
                 {{QStringLiteral("Label18"), QStringLiteral("AUDIT TRAIL"), true}},
                 {{QStringLiteral("Label19"), QStringLiteral("CHANGES FROM:")},
                  {QStringLiteral("Label22"), dates::displayText(from)},
                  {QStringLiteral("Label23"), QStringLiteral("TO")},
                  {QStringLiteral("Label24"), dates::displayText(to)}}};
    d.countCaption = QStringLiteral("Total Rows Count:");
    d.setRows<E>(
        {
            memberField("Entry", Format::Number, &E::seq),
            {{QStringLiteral("Date"), Format::Date, 1.1}, [](const E& e) { return Value(e.at.date()); }},
            {{QStringLiteral("Time"), Format::Text, 0.9},
             [](const E& e) { return Value(e.at.time().toString(QStringLiteral("HH:mm:ss"))); }},
            memberField("User", Format::Text, &E::user),
            memberField("Workstation", Format::Text, &E::workstation),
            memberField("Company", Format::Text, &E::company),
            memberField("Table", Format::Text, &E::table),
            memberField("Row", Format::Text, &E::key),
            {{QStringLiteral("Employee"), Format::Number},
             [](const E& e) { return e.employee > 0 ? Value(e.employee) : Value(); }},
            memberField("Kind", Format::Text, &E::kind),
            withChanges ? Field<E>{{QStringLiteral("Changes"), Format::Text, 5},
                                   [](const E& e) { return Value(audit::changes(e)); }}
                        : memberField("Note", Format::Text, &E::note),
        },
        std::move(entries));
    return d;
}

} // namespace report
