#include "report_export.h"

#include "data/audit_trail.h"
#include "reports/audit_report.h"
#include "reports/bank_reports.h"
#include "reports/esi_return.h"
#include "reports/statutory_reports.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/database.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/revision_repository.h"
#include "data/sql_query.h"
#include "reports/employee_reports.h"
#include "reports/payroll_reports.h"
#include "reports/range_reports.h"
#include "reports/report_files.h"
#include "reports/revision_reports.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace report {

namespace {

const QString reportOption = QStringLiteral("report");
const QString companyOption = QStringLiteral("company");
const QString monthOption = QStringLiteral("month");
const QString fromOption = QStringLiteral("from");
const QString toOption = QStringLiteral("to");
const QString outputOption = QStringLiteral("output");
const QStringList filterOptions = {QStringLiteral("department"), QStringLiteral("group"), QStringLiteral("employee")};

// Exit codes.
constexpr int written = 0;
constexpr int failed = 1;
constexpr int wrongArguments = 2;

const QString department = QStringLiteral("department");
const QString group = QStringLiteral("group");
const QString employee = QStringLiteral("employee");

// The payroll rows of the request's company, period and filters.
PayrollSelection selectionOf(const ExportRequest& r)
{
    PayrollSelection s = PayrollSelection::range(r.company, r.from, r.to);
    if (!r.department.isEmpty())
        s.department = r.department;
    if (!r.group.isEmpty())
        s.group = r.group;
    s.employee = r.employee;
    return s;
}

// A payroll report made from the selected rows.
template <typename Make>
Result<Document> fromPayroll(const Database& db, const PayrollSelection& selection, Make make)
{
    auto rows = PayrollRepository(db).select(selection);
    if (!rows)
        return rows.status();
    const auto heading = companyHeading(db, selection.company);
    if (!heading)
        return heading.status();
    return make(*heading, std::move(rows.value()));
}

Result<Document> loans(const Database& db, const ExportRequest& r, const std::optional<QString>& dept)
{
    auto rows = LoanRepository(db).paid(r.company, r.from, r.to, dept);
    if (!rows)
        return rows.status();
    const auto heading = companyHeading(db, r.company);
    if (!heading)
        return heading.status();
    return loanReport(*heading, r.from, r.to, dept, std::move(rows.value()));
}

Result<Document> recoveries(const Database& db, const ExportRequest& r, const std::optional<QString>& dept)
{
    PayrollSelection s = PayrollSelection::range(r.company, r.from, r.to);
    s.department = dept;
    s.loanRecoveredOnly = true;
    return fromPayroll(db, s, [&](const CompanyHeading& company, QList<PayrollTransaction> rows) {
        return loanRecoveryReport(company, r.from, r.to, dept, std::move(rows));
    });
}

QList<ExportKind> makeKinds()
{
    using Period = ExportKind::Period;
    return {
        {QStringLiteral("payslips"),
         ExportKind::Period::Month,
         {},
         {},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             auto rows = PayrollRepository(db).month(r.company, r.month);
             if (!rows)
                 return rows.status();
             const auto heading = companyHeading(db, r.company);
             if (!heading)
                 return heading.status();
             return payslips(*heading, std::move(rows.value()), netPayInWordsSetting());
         }},
        {QStringLiteral("employees"),
         ExportKind::Period::None,
         {},
         {},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             auto rows = EmployeeRepository(db).all();
             if (!rows)
                 return rows.status();
             const auto heading = companyHeading(db, r.company);
             if (!heading)
                 return heading.status();
             return employeeInformation(*heading, std::move(rows.value()));
         }},
        {QStringLiteral("arrears"),
         ExportKind::Period::Range,
         {QStringLiteral("employee")},
         {QStringLiteral("employee")},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             if (!r.employee)
                 return Status::failure(QStringLiteral("The report arrears needs --employee."));
             const auto employee = EmployeeRepository(db).find(*r.employee);
             if (!employee)
                 return employee.status();
             if (!employee->has_value())
                 return Status::failure(QStringLiteral("There is no employee number %1.").arg(*r.employee));
             auto rows = RevisionRepository(db).arrears(r.company, *r.employee, r.from, r.to);
             if (!rows)
                 return rows.status();
             const auto heading = companyHeading(db, r.company);
             if (!heading)
                 return heading.status();
             return arrears(*heading, (*employee)->name, std::move(rows.value()));
         }},
        {QStringLiteral("payroll"),
         Period::Range,
         {},
         {},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             return fromPayroll(db, selectionOf(r), [&](const CompanyHeading& c, QList<PayrollTransaction> rows) {
                 return payrollReport(c, r.from, r.to, std::move(rows));
             });
         }},
        {QStringLiteral("department-payroll"),
         Period::Range,
         {department, group},
         {department},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             return fromPayroll(db, selectionOf(r), [&](const CompanyHeading& c, QList<PayrollTransaction> rows) {
                 return departmentPayrollReport(c, r.from, r.to, r.department, r.group, std::move(rows));
             });
         }},
        {QStringLiteral("advances"),
         Period::Range,
         {},
         {},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             auto rows = AdvanceRepository(db).paid(r.company, r.from, r.to);
             if (!rows)
                 return rows.status();
             const auto heading = companyHeading(db, r.company);
             if (!heading)
                 return heading.status();
             return advanceReport(*heading, r.from, r.to, std::move(rows.value()));
         }},
        {QStringLiteral("loans"),
         Period::Range,
         {},
         {},
         [](const Database& db, const ExportRequest& r) { return loans(db, r, std::nullopt); }},
        {QStringLiteral("loan-recoveries"),
         Period::Range,
         {},
         {},
         [](const Database& db, const ExportRequest& r) { return recoveries(db, r, std::nullopt); }},
        {QStringLiteral("department-loans"),
         Period::Range,
         {department},
         {department},
         [](const Database& db, const ExportRequest& r) { return loans(db, r, r.department); }},
        {QStringLiteral("department-loan-recoveries"),
         Period::Range,
         {department},
         {department},
         [](const Database& db, const ExportRequest& r) { return recoveries(db, r, r.department); }},
        {QStringLiteral("salary-month"),
         Period::Month,
         {employee},
         {employee},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             auto s = PayrollSelection::range(r.company, dates::firstOfMonth(r.month), dates::lastOfMonth(r.month));
             s.employee = r.employee;
             return fromPayroll(db, s, [&](const CompanyHeading& c, QList<PayrollTransaction> rows) {
                 return salaryMonthReport(c, r.month, salaryLines(rows));
             });
         }},
        {QStringLiteral("salary-period"),
         Period::Range,
         {group, employee},
         {},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             // Whole months, as the window chooses them.
             PayrollSelection s = selectionOf(r);
             s.from = dates::firstOfMonth(r.from);
             s.to = dates::lastOfMonth(r.to);
             return fromPayroll(db, s, [&](const CompanyHeading& c, QList<PayrollTransaction> rows) {
                 return salaryPeriodReport(c, s.from, s.to, r.group,
                                           r.employee ? salaryLines(rows) : salaryByRate(rows));
             });
         },
         [](const ExportRequest& r) {
             return r.group.isEmpty() && !r.employee
                        ? Status::failure(QStringLiteral("The report salary-period needs --group, --employee or both."))
                        : Status();
         }},
        {QStringLiteral("statutory"),
         ExportKind::Period::Month,
         {},
         {},
         [](const Database& db, const ExportRequest& r) { return statutorySummaryOf(db, r.company, r.month); }},
        {QStringLiteral("pf-return"),
         ExportKind::Period::Month,
         {},
         {},
         [](const Database&, const ExportRequest&) -> Result<Document> {
             return Status::failure(QStringLiteral("The provident fund return is a text file."));
         },
         {},
         true,
         [](const Database& db, const ExportRequest& r) { return pfReturnOf(db, r.company, r.month); }},
        {QStringLiteral("esi-return"),
         ExportKind::Period::Month,
         {},
         {},
         [](const Database&, const ExportRequest&) -> Result<Document> {
             return Status::failure(QStringLiteral("The insurance's contribution file is a file of its own."));
         },
         {},
         true,
         [](const Database& db, const ExportRequest& r) { return esiReturnOf(db, r.company, r.month); },
         QStringLiteral("csv")},
        {QStringLiteral("bank-transfer"),
         ExportKind::Period::Month,
         {},
         {},
         [](const Database& db, const ExportRequest& r) { return bankTransferListOf(db, r.company, r.month); }},
        {QStringLiteral("bank-letter"),
         ExportKind::Period::Month,
         {},
         {},
         [](const Database& db, const ExportRequest& r) {
             return bankLetterOf(db, r.company, r.month, SystemClock().today());
         }},
        {QStringLiteral("audit"),
         ExportKind::Period::Range,
         {QStringLiteral("employee")},
         {},
         [](const Database& db, const ExportRequest& r) -> Result<Document> {
             audit::Filter filter;
             filter.company = r.company;
             filter.from = r.from;
             filter.to = r.to;
             filter.employee = r.employee;
             CompanyHeading heading;
             if (!r.company.isEmpty()) {
                 const auto found = companyHeading(db, r.company);
                 if (!found)
                     return found.status();
                 heading = *found;
             }
             auto entries = audit::select(db, filter, true);
             if (!entries)
                 return entries.status();
             return auditReport(heading.name, r.from, r.to, std::move(entries.value()), true, heading.address);
         },
         {},
         false},
    };
}

QStringList kindNames()
{
    QStringList names;
    for (const ExportKind& kind : exportKinds())
        names << kind.name;
    return names;
}

const ExportKind* findKind(const QString& name)
{
    for (const ExportKind& kind : exportKinds())
        if (kind.name == name)
            return &kind;
    return nullptr;
}

Status wrong(const QString& text)
{
    return Status::failure(text);
}

} // namespace

const QList<ExportKind>& exportKinds()
{
    static const QList<ExportKind> kinds = makeKinds();
    return kinds;
}

QList<QCommandLineOption> exportOptions()
{
    return {
        {reportOption,
         QStringLiteral("Write the report KIND to --output without opening a window: %1.")
             .arg(kindNames().join(QStringLiteral(", "))),
         QStringLiteral("KIND")},
        {companyOption, QStringLiteral("The company whose report it is (with --report)."), QStringLiteral("NAME")},
        {monthOption, QStringLiteral("The month of the report, as yyyy-MM (with --report)."), QStringLiteral("MONTH")},
        {fromOption, QStringLiteral("The first day of the report's period, as yyyy-MM-dd (with --report)."),
         QStringLiteral("DATE")},
        {toOption, QStringLiteral("The last day of the report's period, as yyyy-MM-dd (with --report)."),
         QStringLiteral("DATE")},
        {filterOptions.at(0), QStringLiteral("Only this department (with --report)."), QStringLiteral("NAME")},
        {filterOptions.at(1), QStringLiteral("Only this group (with --report)."), QStringLiteral("NAME")},
        {filterOptions.at(2), QStringLiteral("Only this employee number (with --report)."), QStringLiteral("ID")},
        {outputOption, QStringLiteral("The file the report is written to: FILE.pdf or FILE.csv, FILE.txt for pf-return, FILE.csv for esi-return (with --report)."),
         QStringLiteral("FILE")},
    };
}

bool asksForExport(const QStringList& arguments)
{
    for (const QString& argument : arguments)
        if (argument == QStringLiteral("--report") || argument.startsWith(QStringLiteral("--report=")))
            return true;
    return false;
}

Result<ExportRequest> exportRequest(const QCommandLineParser& parser)
{
    ExportRequest request;
    request.kind = parser.value(reportOption);
    const ExportKind* kind = findKind(request.kind);
    if (!kind)
        return wrong(QStringLiteral("There is no report \"%1\". The reports are: %2.")
                         .arg(request.kind, kindNames().join(QStringLiteral(", "))));
    request.company = parser.value(companyOption).trimmed();
    if (request.company.isEmpty() && kind->needsCompany)
        return wrong(QStringLiteral("Name the company with --company NAME."));
    request.output = parser.value(outputOption);
    const QString suffix = QFileInfo(request.output).suffix().toLower();
    if (kind->text) {
        if (request.output.isEmpty() || suffix != kind->textSuffix)
            return wrong(QStringLiteral("Name the file to write with --output FILE.%1.").arg(kind->textSuffix));
    } else if (request.output.isEmpty() || (suffix != QStringLiteral("pdf") && suffix != QStringLiteral("csv"))) {
        return wrong(QStringLiteral("Name the file to write with --output FILE.pdf or --output FILE.csv."));
    }

    const bool takesMonth = kind->period == ExportKind::Period::Month;
    const bool takesRange = kind->period == ExportKind::Period::Range;
    for (const auto& [option, taken] :
         {std::pair(monthOption, takesMonth), std::pair(fromOption, takesRange), std::pair(toOption, takesRange)})
        if (parser.isSet(option) && !taken)
            return wrong(QStringLiteral("The report %1 takes no --%2.").arg(kind->name, option));
    for (const QString& filter : filterOptions)
        if (parser.isSet(filter) && !kind->filters.contains(filter))
            return wrong(QStringLiteral("The report %1 takes no --%2.").arg(kind->name, filter));

    // Four digits of year, no sign: Qt would take "-2026-03-01" as a year before Christ.
    const auto strictly = [](const QString& text, const QString& format) {
        static const QRegularExpression shape(QStringLiteral("^[0-9]{4}-[0-9]{2}(-[0-9]{2})?$"));
        return shape.match(text).hasMatch() ? QDate::fromString(text, format) : QDate();
    };
    if (takesMonth) {
        request.month = strictly(parser.value(monthOption), QStringLiteral("yyyy-MM"));
        if (!request.month.isValid())
            return wrong(QStringLiteral("Give the month as --month yyyy-MM, for example --month 2026-03."));
    }
    if (takesRange) {
        request.from = strictly(parser.value(fromOption), QStringLiteral("yyyy-MM-dd"));
        request.to = strictly(parser.value(toOption), QStringLiteral("yyyy-MM-dd"));
        if (!request.from.isValid() || !request.to.isValid())
            return wrong(QStringLiteral("Give the period as --from yyyy-MM-dd --to yyyy-MM-dd."));
        if (request.from > request.to)
            return wrong(QStringLiteral("The period starts after it ends: --from is later than --to."));
    }
    for (const QString& filter : kind->required)
        if (!parser.isSet(filter))
            return wrong(QStringLiteral("The report %1 needs --%2.").arg(kind->name, filter));
    request.department = parser.value(filterOptions.at(0)).trimmed();
    request.group = parser.value(filterOptions.at(1)).trimmed();
    for (const auto& [option, value] :
         {std::pair(filterOptions.at(0), request.department), std::pair(filterOptions.at(1), request.group)})
        if (parser.isSet(option) && value.isEmpty())
            return wrong(QStringLiteral("Give the %1's name after --%1.").arg(option));
    if (parser.isSet(filterOptions.at(2))) {
        bool number = false;
        request.employee = parser.value(filterOptions.at(2)).toLongLong(&number);
        if (!number || *request.employee <= 0)
            return wrong(QStringLiteral("Give the employee as --employee followed by the employee's number."));
    }
    if (kind->check)
        if (Status s = kind->check(request); !s)
            return s;
    return request;
}

int runExport(const QString& databasePath, const ExportRequest& request, QTextStream& log)
{
    const ExportKind* kind = findKind(request.kind);
    if (!kind) {
        log << "There is no report \"" << request.kind << "\".\n";
        return wrongArguments;
    }
    if (!DatabaseLocation::namesServer(databasePath) && !QFileInfo(databasePath).isFile()) {
        log << "There is no database at " << databasePath << ".\n";
        return wrongArguments;
    }
    Database db(QStringLiteral("kestrel-export"));
    if (Status opened = db.open(databasePath, Database::Access::ReadOnly); !opened) {
        log << opened.error() << '\n';
        return failed;
    }
    const auto companies = CompanyRepository(db).list();
    if (!companies) {
        log << companies.error() << '\n';
        return failed;
    }
    if ((kind->needsCompany || !request.company.isEmpty()) &&
        std::none_of(companies->cbegin(), companies->cend(),
                     [&](const Company& c) { return c.name == request.company; })) {
        log << "There is no company named \"" << request.company << "\" in " << databasePath << ".\n";
        return wrongArguments;
    }

    // The trail names employees deleted long since: its report takes any number.
    if (request.employee && kind->name != QStringLiteral("audit")) {
        const auto employee = EmployeeRepository(db).find(*request.employee);
        if (!employee) {
            log << employee.error() << '\n';
            return failed;
        }
        // An employee deleted since keeps the payroll rows the company paid them, which the salary
        // reports show; the others need the employee's own record.
        const bool fromPayroll = kind->name.startsWith(QStringLiteral("salary-"));
        if (!employee->has_value() && !fromPayroll) {
            log << "There is no employee number " << *request.employee << ".\n";
            return wrongArguments;
        }
        if (!employee->has_value()) {
            SqlQuery paid(db, QStringLiteral("SELECT count(*) FROM payroll WHERE ID = ? AND company = ?"));
            paid.bind(*request.employee).bind(request.company);
            const auto rows = paid.single();
            if (!rows) {
                log << rows.error() << '\n';
                return failed;
            }
            if (rows->toLongLong() == 0) {
                log << "There is no employee number " << *request.employee << ".\n";
                return wrongArguments;
            }
        }
    }
    // A department or group is matched to the master's spelling; one that is not there is refused
    // rather than reported as an empty report.
    ExportRequest checked = request;
    if (kind->name == QStringLiteral("department-payroll") && checked.group == allGroups())
        checked.group.clear();
    for (auto [name, kindOfMaster, noun] :
         {std::tuple(&checked.department, MasterRepository::Kind::Department, "department"),
          std::tuple(&checked.group, MasterRepository::Kind::Group, "group")}) {
        if (name->isEmpty())
            continue;
        const auto entries = MasterRepository(db, kindOfMaster).list();
        if (!entries) {
            log << entries.error() << '\n';
            return failed;
        }
        const auto match = std::find_if(entries->cbegin(), entries->cend(), [&](const MasterEntry& e) {
            return e.name.compare(name->trimmed(), Qt::CaseInsensitive) == 0;
        });
        if (match == entries->cend()) {
            log << "There is no " << noun << " named \"" << *name << "\".\n";
            return wrongArguments;
        }
        *name = match->name;
    }

    log << "Reading the rows of " << kind->name << " for " << request.company << "…\n";
    log.flush();
    if (kind->text) {
        const auto bytes = kind->text(db, checked);
        if (!bytes) {
            log << bytes.error() << '\n';
            return failed;
        }
        if (Status s = writeFile(*bytes, request.output); !s) {
            log << s.error() << '\n';
            return failed;
        }
        log << "Wrote " << request.output << ": " << bytes->count('\n') << " lines.\n";
        return written;
    }
    const auto document = kind->make(db, checked);
    if (!document) {
        log << document.error() << '\n';
        return failed;
    }
    const bool pdf = QFileInfo(request.output).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
    if (!pdf) {
        if (Status s = writeCsv(*document, request.output); !s) {
            log << s.error() << '\n';
            return failed;
        }
        log << "Wrote " << request.output << ": " << document->rowCount() << " rows.\n";
        return written;
    }
    int pages = 0;
    const auto done = writePdf(*document, request.output, [&](int page, int total) {
        pages = total;
        if (page > 0 && (page == total || page % 200 == 0)) {
            log << "Rendered " << page << " of " << total << " pages\n";
            log.flush();
        }
        return true;
    });
    if (!done) {
        log << done.error() << '\n';
        return failed;
    }
    log << "Wrote " << request.output << ": " << document->rowCount() << " rows on " << pages
        << (pages == 1 ? " page.\n" : " pages.\n");
    return written;
}

} // namespace report
