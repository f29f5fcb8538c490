#include "import_sinks.h"

#include "data/advance_repository.h"
#include "data/employee_repository.h"
#include "data/ledger_facts.h"
#include "data/loan_repository.h"
#include "data/payroll_batch.h"
#include "data/payroll_row.h"
#include "data/revision_repository.h"
#include "rules/record_rules.h"

#include <QList>

// The employees and their ledgers (payroll, loans, advances, increments, decrements, arrears) as an
// import writes them: each row read by its repository's own reading and written by its batch,
// which checks it as the windows' saves check one.
namespace transfer {

namespace {

class EmployeeSink final : public TableSink {
public:
    EmployeeSink(ImportContext& context, const Table& table)
        : m_batch(context.db, context.facts), m_payMode(table.indexOf(QStringLiteral("paymode")))
    {
    }
    Status begin() { return m_batch.begin(); }
    Status take(const ImportRow& row) override
    {
        if (Status s = givenNumber(row, 0, QStringLiteral("ID"), QStringLiteral("the employee number"), rules::maxEmployeeId); !s)
            return s;
        // A way of payment nobody can read is refused, never read as a transfer.
        if (row.gives(m_payMode) && !bank::modeFromStored(row.text(m_payMode)))
            return Status::refused(QStringLiteral("paymode"),
                                   QStringLiteral("The payment mode must be bank, cheque or cash (it is \"%1\").")
                                       .arg(row.text(m_payMode)));
        return m_batch.add(EmployeeRepository::fromRow(row), row.line);
    }

private:
    EmployeeRepository::Batch m_batch;
    int m_payMode;
};

class PayrollSink final : public TableSink {
public:
    PayrollSink(ImportContext& context, const Table& table)
        : m_batch(context.db, context.facts,
                  context.history ? PayrollBatch::Figures::AsPaid : PayrollBatch::Figures::WorkedOut,
                  context.options.secondInMonth)
    {
        for (const Column& column : table.columns)
            m_bits << PayrollBatch::givenBit(column.name);
    }
    Status take(const ImportRow& row) override
    {
        if (Status s = givenNumber(row, 0, QStringLiteral("transid"), QStringLiteral("the transaction number"), rules::maxTransactionId); !s)
            return s;
        quint64 given = 0;
        for (int i = 0; i < m_bits.size(); ++i)
            if (row.gives(i))
                given |= m_bits.at(i);
        return m_batch.add(payroll_row::read(row), given, row.line);
    }
    qint64 secondsRefused() const override { return m_batch.secondsRefused(); }
    Status begin() { return m_batch.begin(); }

private:
    PayrollBatch m_batch;
    QList<quint64> m_bits; // each column's bit among the columns a row gives
};

class LoanSink final : public TableSink {
public:
    explicit LoanSink(ImportContext& context) : m_batch(context.db, context.facts, context.history) {}
    Status take(const ImportRow& row) override { return m_batch.add(LoanRepository::fromRow(row)); }

private:
    LoanRepository::Batch m_batch;
};

class AdvanceSink final : public TableSink {
public:
    explicit AdvanceSink(ImportContext& context) : m_batch(context.db, context.facts, context.history) {}
    Status take(const ImportRow& row) override
    {
        return m_batch.add(Advance{row.number(0), row.text(1), row.amount(2), row.date(3), row.time(4), row.text(5)});
    }

private:
    AdvanceRepository::Batch m_batch;
};

// Increments, decrements and arrears: the history of rates changed, kept as recorded. The columns
// stand in the order of the table's (see tables()).
class RevisionSink final : public TableSink {
public:
    RevisionSink(ImportContext& context, const Table& table) : m_batch(context.db, context.facts), m_table(table.name) {}
    Status take(const ImportRow& row) override
    {
        if (m_table == QStringLiteral("arr"))
            return m_batch.add(ArrearsRow{row.number(0), row.text(1), row.amount(2), row.text(3), row.amount(4),
                                          row.amount(5), row.text(6), row.date(7)});
        const bool increment = m_table == QStringLiteral("incre");
        Revision r{row.number(0), row.text(1), row.amount(2), row.date(3), row.time(4), {}, {}, {}};
        if (increment) {
            r.from = row.date(5);
            r.to = row.date(6);
        }
        r.company = row.text(increment ? 7 : 5);
        return m_batch.add(r, increment ? rules::RevisionKind::Increment : rules::RevisionKind::Decrement);
    }

private:
    RevisionRepository::Batch m_batch;
    QString m_table;
};

} // namespace

QTime ImportRow::time(int column) const
{
    return QTime::fromString(text(column), QStringLiteral("HH:mm:ss"));
}

Status givenNumber(const ImportRow& row, int column, const QString& field, const QString& caption, qint64 maximum)
{
    if (column < 0 || !row.gives(column))
        return {};
    if (const auto broken = rules::number(field, caption, row.number(column), maximum))
        return Status::refused(broken->field, broken->message);
    return {};
}

Result<std::unique_ptr<TableSink>> ledgerSinkFor(const Table& table, ImportContext& context)
{
    if (table.name == QStringLiteral("emp")) {
        auto sink = std::make_unique<EmployeeSink>(context, table);
        if (Status s = sink->begin(); !s)
            return s;
        return std::unique_ptr<TableSink>(std::move(sink));
    }
    if (table.name == QStringLiteral("payroll")) {
        auto sink = std::make_unique<PayrollSink>(context, table);
        if (Status s = sink->begin(); !s)
            return s;
        return std::unique_ptr<TableSink>(std::move(sink));
    }
    if (table.name == QStringLiteral("loan"))
        return std::unique_ptr<TableSink>(std::make_unique<LoanSink>(context));
    if (table.name == QStringLiteral("adv"))
        return std::unique_ptr<TableSink>(std::make_unique<AdvanceSink>(context));
    if (table.name == QStringLiteral("incre") || table.name == QStringLiteral("decre") ||
        table.name == QStringLiteral("arr")) {
        // A revision changes a basic rate, and its arrears pay months past: in data in use that is
        // the increment and decrement windows' work, which change the rate with them.
        if (!context.history)
            return Status::refused({}, QStringLiteral("Increments, decrements and their arrears come only with the "
                                                      "history of a new, empty database: in data in use, make them "
                                                      "in Salary Increment and Salary Decrement, which change the "
                                                      "basic rate with them."));
        return std::unique_ptr<TableSink>(std::make_unique<RevisionSink>(context, table));
    }
    return std::unique_ptr<TableSink>();
}

} // namespace transfer
