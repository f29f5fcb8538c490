#pragma once

#include "data/audit_entry.h"
#include "reports/report_document.h"

#include <QDate>
#include <QList>
#include <QString>

namespace report {

// The audit trail of a period: one line per entry, in the order they were made. company is the
// company whose entries it holds, or empty for every company's. The entries carry their values for
// the changes column; without them (a grid, which shows the values of one entry beside it) the
// column gives the entries' notes.
Document auditReport(const QString& company, QDate from, QDate to, QList<AuditEntry> entries, bool withChanges = true,
                     const QString& address = {});

} // namespace report
