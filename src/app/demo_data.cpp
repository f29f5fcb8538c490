#include "demo_data.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/database.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/month_close.h"
#include "data/payroll_repository.h"
#include "data/revision_repository.h"
#include "data/schema.h"
#include "data/statutory_repository.h"
#include "data/user_repository.h"
#include "ledgers/arrears.h"
#include "rules/pay_calculation.h"

#include <QDir>
#include <QHash>
#include <QStringList>

namespace {

const QString demoMarker = QStringLiteral("demo");

struct DemoEmployee {
    const char* name;
    const char* gender;
    const char* civilStatus;
    const char* address;
    const char* department;
    const char* position;
    const char* group;
    int basicRate;
};

const DemoEmployee employees[] = {
    {"RAMESH PATEL", "Male", "Married", "12 Kalawad Road, Rajkot", "ACCOUNTS", "ACCOUNTANT", "STAFF", 32000},
    {"SUNITA SHARMA", "Female", "Single", "4 Nehru Nagar, Rajkot", "ACCOUNTS", "CLERK", "STAFF", 18500},
    {"ANTHONY D'SOUZA", "Male", "Married", "7 Church Lane, Rajkot", "SALES", "SALES MANAGER", "STAFF", 41000},
    {"KEVIN O'BRIEN", "Male", "Single", "19 Race Course, Rajkot", "SALES", "SALES EXECUTIVE", "STAFF", 24000},
    {"PRIYA MEHTA", "Female", "Married", "33 Amin Marg, Rajkot", "SALES", "SALES EXECUTIVE", "STAFF", 23500},
    {"MAHESH JADEJA", "Male", "Married", "Gondal Road, Rajkot", "PRODUCTION", "SUPERVISOR", "STAFF", 29000},
    {"VIJAY SOLANKI", "Male", "Married", "Mavdi Plot, Rajkot", "PRODUCTION", "MACHINE OPERATOR", "WORKERS", 15500},
    {"ARJUN CHAUHAN", "Male", "Single", "Kothariya, Rajkot", "PRODUCTION", "MACHINE OPERATOR", "WORKERS", 15000},
    {"DINESH PARMAR", "Male", "Married", "Bhaktinagar, Rajkot", "PRODUCTION", "FITTER", "WORKERS", 16800},
    {"KAILASH MAKWANA", "Male", "Widowed", "Aji Dam Road, Rajkot", "PRODUCTION", "HELPER", "CONTRACT", 11000},
    {"REKHA VAGHELA", "Female", "Married", "Sadar Bazar, Rajkot", "PRODUCTION", "PACKER", "WORKERS", 12500},
    {"HARESH RATHOD", "Male", "Single", "Jamnagar Road, Rajkot", "STORES", "STORE KEEPER", "STAFF", 19000},
    {"NILESH DAVE", "Male", "Married", "University Road, Rajkot", "STORES", "ASSISTANT", "WORKERS", 13200},
    {"BHAVNA JOSHI", "Female", "Single", "Panchvati, Rajkot", "ACCOUNTS", "CASHIER", "STAFF", 21000},
    {"SURESH GOHIL", "Male", "Married", "Morbi Road, Rajkot", "MAINTENANCE", "ELECTRICIAN", "WORKERS", 17500},
    {"PRAKASH BAROT", "Male", "Married", "Yagnik Road, Rajkot", "MAINTENANCE", "MECHANIC", "WORKERS", 17000},
    {"JOSEPH FERNANDES", "Male", "Married", "15 Athwa Lines, Surat", "SALES", "AREA MANAGER", "STAFF", 38500},
    {"MEERA DESAI", "Female", "Married", "Adajan, Surat", "ACCOUNTS", "ACCOUNTANT", "STAFF", 30500},
    {"FARHAN SHAIKH", "Male", "Single", "Rander Road, Surat", "PRODUCTION", "WELDER", "WORKERS", 16200},
    {"IMRAN PATHAN", "Male", "Married", "Nanpura, Surat", "PRODUCTION", "WELDER", "WORKERS", 21600},
    {"GEETA RANA", "Female", "Single", "Varachha, Surat", "STORES", "CLERK", "STAFF", 14800},
    {"SANJAY TANDEL", "Male", "Married", "Udhna, Surat", "PRODUCTION", "LATHE OPERATOR", "WORKERS", 15800},
    {"MICHAEL O'CONNOR", "Male", "Married", "Piplod, Surat", "MAINTENANCE", "ENGINEER", "STAFF", 35000},
    {"ANJALI NAIK", "Female", "Single", "Vesu, Surat", "SALES", "SALES EXECUTIVE", "STAFF", 22500},
    {"RAJU VASAVA", "Male", "Married", "Pandesara, Surat", "PRODUCTION", "HELPER", "CONTRACT", 10800},
    {"LATA KHATRI", "Female", "Widowed", "Katargam, Surat", "ACCOUNTS", "DATA ENTRY", "CONTRACT", 12000},
    {"DEEPAK MISTRY", "Male", "Married", "Bhatar Road, Surat", "MAINTENANCE", "PLUMBER", "WORKERS", 14500},
    {"POOJA SONI", "Female", "Married", "Ghod Dod Road, Surat", "STORES", "ASSISTANT", "WORKERS", 13000},
    {"ASHOK PANDYA", "Male", "Married", "Majura Gate, Surat", "PRODUCTION", "SUPERVISOR", "STAFF", 28500},
    {"NEHA KAPADIA", "Female", "Single", "City Light, Surat", "SALES", "RECEPTIONIST", "STAFF", 15500},
};

// The second company's rules at work: a welder insured from the start of each contribution period
// whose wages then cross the insurance's limit, an employee paid twice in the last month, one past
// the pension's age and one outside the scheme.
constexpr int crossesTheLimit = 19;  // IMRAN PATHAN
constexpr int paidTwice = 18;        // FARHAN SHAIKH
constexpr int pastPensionAge = 28;   // ASHOK PANDYA
constexpr int outsidePension = 22;   // MICHAEL O'CONNOR

// A fixed sequence of pseudo-random numbers, so every demo database holds the same history.
class Dice {
public:
    int roll(int sides)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((m_state >> 33) % quint64(sides));
    }

private:
    quint64 m_state = 20261206;
};

Currency whole(qint64 value)
{
    return *Currency::fromWhole(value);
}

// An increment paid back over the last three payroll months, and a decrement, so that the arrears
// report and both revision windows have something to show.
Status addRevisions(const Database& database, const QList<Employee>& staff, QDate today)
{
    const QString company = QStringLiteral("SHREE GANESH TEXTILES"); // the first half of the staff
    RevisionRepository revisions(database);
    const Employee& raised = staff.at(1);
    const QDate from = dates::firstOfMonth(today).addMonths(-3);
    const QDate to = dates::lastOfMonth(today.addMonths(-1));
    const Currency increment = whole(500);
    const auto months = PayrollRepository(database).ofEmployee(company, raised.id, from, to);
    if (!months)
        return months.status();
    QList<ArrearsRow> arrears;
    for (const PayrollTransaction& t : *months) {
        const auto owed = revision::arrearsFor(increment, t.payDate, t.daysPresent);
        if (!owed)
            return Status::failure(QStringLiteral("The demo arrears of %1 cannot be worked out.").arg(raised.name));
        arrears << ArrearsRow{raised.id,     raised.name, increment, dates::monthYearText(t.payDate),
                              t.daysPresent, owed->paid,  company,   t.payDate};
    }
    const auto raisedRate = revision::revisedRate(raised.basicRate, increment);
    if (!raisedRate)
        return Status::failure(QStringLiteral("The demo increment of %1 cannot be worked out.").arg(raised.name));
    if (Status s = revisions.saveIncrement({raised.id, raised.name, increment, today, QTime(10, 30), from, to, company},
                                           arrears, raised.basicRate, *raisedRate);
        !s)
        return s;
    const Employee& lowered = staff.at(3);
    const Currency decrement = whole(250);
    const auto loweredRate = revision::revisedRate(lowered.basicRate, Currency::fromUnits(-decrement.units()));
    if (!loweredRate)
        return Status::failure(QStringLiteral("The demo decrement of %1 cannot be worked out.").arg(lowered.name));
    return revisions.saveDecrement({lowered.id, lowered.name, decrement, today, QTime(10, 45), {}, {}, company},
                                   lowered.basicRate, *loweredRate);
}

// A loan's course through the history: when it was lent, how much, the instalment, what is repaid.
struct LoanState {
    QDate from;
    Currency lent;
    Currency instalment;
    Currency recovered;
};

// A loan for every fifth employee, lent in the history's first half year.
Status addLoans(const Database& database, const QList<Employee>& staff, const QStringList& companies, QDate firstMonth,
                Dice& dice, QHash<qint64, LoanState>& loanOf)
{
    LoanRepository loans(database);
    for (int i = 0; i < staff.size(); i += 5) {
        const Employee& e = staff[i];
        const qint64 amount = 6000 + 6000 * dice.roll(3);
        // Instalments in round hundreds, so the last one is smaller than the others.
        const LoanState state{firstMonth.addMonths(1 + dice.roll(6)).addDays(4), whole(amount),
                              whole((amount / 7 + 99) / 100 * 100), Currency()};
        Loan loan{e.id,       e.name,        state.lent,   state.instalment,
                  state.from, QTime(11, 15), e.department, companies[i * 2 / int(staff.size())]};
        if (Status s = loans.insert(loan); !s)
            return s;
        loanOf.insert(e.id, state);
    }
    return {};
}

// A month of the history as the payroll window sends it: the inputs, whose figures the repository
// works out as it saves.
PayrollTransaction historyRow(const Employee& e, const QString& company, const PayInputs& in, Currency totalLoan)
{
    PayrollTransaction t;
    t.employeeId = e.id;
    t.name = e.name;
    t.monthRate = in.basicRate;
    t.payDate = in.payDate;
    t.bonus = in.bonus;
    t.overtime = in.overtime;
    t.totalLoan = totalLoan;
    t.contribution = in.contribution;
    t.lic = in.lic;
    t.pgvcl = in.pgvcl;
    t.daysPresent = in.daysPresent;
    t.advances = in.advances;
    t.loanRecovered = in.loanDeduction;
    t.travel = in.travel;
    t.department = e.department;
    t.group = e.group;
    t.company = company;
    return t;
}

// Twelve months of payroll before this month, with loans repaid through it and advances deducted.
Status addPayrollHistory(const Database& database, const QList<Employee>& staff, QDate today)
{
    const QStringList companies = {QStringLiteral("SHREE GANESH TEXTILES"), QStringLiteral("O'NEIL ENGINEERING WORKS")};
    const QDate firstMonth = dates::firstOfMonth(today).addMonths(-12);
    Dice dice;
    PayrollRepository payroll(database);
    LoanRepository loans(database);
    AdvanceRepository advances(database);
    QHash<qint64, LoanState> loanOf;
    if (Status s = addLoans(database, staff, companies, firstMonth, dice, loanOf); !s)
        return s;

    for (int m = 0; m < 12; ++m) {
        const QDate month = firstMonth.addMonths(m);
        const QDate payDate = dates::lastOfMonth(month);
        for (int i = 0; i < staff.size(); ++i) {
            const Employee& e = staff[i];
            const QString company = companies[i * 2 / int(staff.size())];
            PayInputs in;
            in.basicRate = e.basicRate;
            in.payDate = payDate;
            in.daysPresent = whole(month.daysInMonth() - dice.roll(4));
            if (dice.roll(6) == 0)
                in.daysPresent = *in.daysPresent.minus(*Currency::parse(QStringLiteral("0.5")));
            // Three days away in a contribution period's first month keep his wages within the limit;
            // the last month, present every day, takes them beyond it.
            if (i == crossesTheLimit && (month.month() == 4 || month.month() == 10))
                in.daysPresent = whole(month.daysInMonth() - 3);
            if (i == crossesTheLimit && m == 11)
                in.daysPresent = whole(month.daysInMonth());
            if (month.month() == 10) // festival bonus
                in.bonus = *e.basicRate.times(*Currency::parse(QStringLiteral("0.0833")))->rounded(0);
            if (e.group == QLatin1String("WORKERS"))
                in.overtime = whole(50 * dice.roll(30));
            if (e.department == QLatin1String("SALES"))
                in.travel =
                    *Currency::parse(QStringLiteral("%1.%2").arg(400 + 25 * dice.roll(40)).arg(25 * dice.roll(4)));
            if (dice.roll(8) == 0) {
                const Currency amount = whole(500 * (1 + dice.roll(5)));
                if (Status s = advances.insert({e.id, e.name, amount, month.addDays(9), QTime(16, 40), company}); !s)
                    return s;
                in.advances = amount;
            }
            if (auto loan = loanOf.find(e.id); loan != loanOf.end() && loan->from <= payDate) {
                in.loanDeduction = offeredLoanDeduction(loan->instalment, loan->lent, loan->recovered);
                loan->recovered = *loan->recovered.plus(in.loanDeduction);
            }
            in.lic = i % 3 == 0 ? whole(750) : Currency();
            in.contribution = whole(e.group == QLatin1String("STAFF") ? 200 : 100);
            in.pgvcl = i % 4 == 1 ? whole(150) : Currency();
            Currency totalLoan;
            if (loanOf.contains(e.id) && loanOf[e.id].from <= payDate) {
                const auto lent = loans.totalLent(e.id);
                if (!lent)
                    return lent.status();
                totalLoan = *lent;
            }
            if (auto added = payroll.insert(historyRow(e, company, in, totalLoan)); !added)
                return added.status();
        }
    }
    return {};
}

// The last month's overtime of the first fortnight, paid on the 15th: a second transaction of the
// month, entered after the month-end one, which owes the month's ceilings and slabs only what that
// one did not deduct.
Status addSecondTransaction(const Database& database, const Employee& e, QDate today)
{
    PayrollTransaction t;
    t.employeeId = e.id;
    t.name = e.name;
    t.monthRate = e.basicRate;
    t.payDate = dates::firstOfMonth(today).addMonths(-1).addDays(14);
    t.overtime = whole(1800);
    t.department = e.department;
    t.group = e.group;
    t.company = QStringLiteral("O'NEIL ENGINEERING WORKS");
    return PayrollRepository(database).insert(t).status();
}

// The two companies with their bank accounts, the masters, the users and the delete password.
Status addMasters(const Database& database)
{
    CompanyRepository companies(database);
    for (const auto& [name, address] : {std::pair{"SHREE GANESH TEXTILES", "Plot 14, GIDC Estate, Rajkot 360003"},
                                        std::pair{"O'NEIL ENGINEERING WORKS", "22 Ring Road, Surat 395002"}})
        if (auto added = companies.add(QString::fromUtf8(name), QString::fromUtf8(address)); !added)
            return added.status();
    // Each company pays from its own account; the second one's bank takes a shorter file of its own.
    bank::Settings ganesh;
    ganesh.account = {QStringLiteral("STATE BANK OF INDIA"), QStringLiteral("30214567891"), QStringLiteral("SBIN0060123")};
    if (Status s = companies.saveBankSettings(QStringLiteral("SHREE GANESH TEXTILES"), ganesh); !s)
        return s;
    bank::Settings oneil;
    oneil.account = {QStringLiteral("HDFC BANK"), QStringLiteral("50200012345678"), QStringLiteral("HDFC0000246")};
    oneil.columns = {{bank::Field::Fixed, QStringLiteral("PYMT_MODE"), QStringLiteral("NEFT")},
                     {bank::Field::AccountNumber, QStringLiteral("BENE_ACC_NO"), {}},
                     {bank::Field::BranchCode, QStringLiteral("BENE_IFSC"), {}},
                     {bank::Field::AccountHolder, QStringLiteral("BENE_NAME"), {}},
                     {bank::Field::Amount, QStringLiteral("AMOUNT"), {}},
                     {bank::Field::PayDate, QStringLiteral("VALUE_DATE"), {}}};
    if (Status s = companies.saveBankSettings(QStringLiteral("O'NEIL ENGINEERING WORKS"), oneil); !s)
        return s;

    MasterRepository departments(database, MasterRepository::Kind::Department);
    for (const char* name : {"ACCOUNTS", "PRODUCTION", "STORES", "SALES", "MAINTENANCE"})
        if (auto added = departments.add(QString::fromUtf8(name)); !added)
            return added.status();
    MasterRepository groups(database, MasterRepository::Kind::Group);
    for (const char* name : {"STAFF", "WORKERS", "CONTRACT"})
        if (auto added = groups.add(QString::fromUtf8(name)); !added)
            return added.status();

    UserRepository users(database);
    if (auto added = users.add(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("Admin")); !added)
        return added.status();
    if (auto added = users.add(QStringLiteral("clerk"), QStringLiteral("clerk"), QStringLiteral("user")); !added)
        return added.status();
    if (Status s = users.setDeletePassword(QStringLiteral("delete")); !s)
        return s;
    return {};
}

// The thirty employees, with their numbers, exemptions, birth dates and bank details.
Result<QList<Employee>> addEmployees(const Database& database, QDate today)
{
    EmployeeRepository staff(database);
    int index = 0;
    QList<Employee> added;
    for (const DemoEmployee& d : employees) {
        Employee e;
        e.name = QString::fromUtf8(d.name);
        e.gender = QString::fromUtf8(d.gender);
        e.civilStatus = QString::fromUtf8(d.civilStatus);
        e.address = QString::fromUtf8(d.address);
        e.department = QString::fromUtf8(d.department);
        e.position = QString::fromUtf8(d.position);
        e.group = QString::fromUtf8(d.group);
        e.employmentStatus =
            d.group == QLatin1String("CONTRACT") ? QStringLiteral("Part-Time") : QStringLiteral("Full Time");
        e.basicRate = *Currency::fromWhole(d.basicRate);
        // Spread hiring dates over the past years, so histories differ.
        e.dateEmployed = today.addMonths(-(18 + (index * 7) % 90)).addDays(-(index * 3) % 27);
        // The second company's staff carry the numbers its returns need; one of them, on contract,
        // is exempt from the provident fund.
        if (index >= int(std::size(employees)) / 2) {
            e.pfNumber = QStringLiteral("1012%1").arg(48310 + index * 17, 8, 10, QLatin1Char('0'));
            e.esiNumber = QStringLiteral("31%1").arg(770200 + index * 13, 8, 10, QLatin1Char('0'));
            if (e.group == QLatin1String("CONTRACT") && e.department == QLatin1String("ACCOUNTS"))
                e.exemptions.pfFrom = e.dateEmployed;
            // Fifty-eight four months ago: the pension stops from the month after.
            if (index == pastPensionAge)
                e.exemptions.birthDate = dates::firstOfMonth(today).addMonths(-4).addDays(9).addYears(-58);
            if (index == outsidePension)
                e.exemptions.pensionMember = false;
        }
        // Most are paid into their accounts; every seventh by cheque and every eleventh in cash.
        static const std::pair<const char*, const char*> banks[] = {{"STATE BANK OF INDIA", "SBIN00"},
                                                                    {"BANK OF BARODA", "BARB0R"},
                                                                    {"HDFC BANK", "HDFC00"},
                                                                    {"ICICI BANK", "ICIC00"}};
        e.bank.mode = index % 11 == 10 ? bank::PayMode::Cash
                      : index % 7 == 6 ? bank::PayMode::Cheque
                                       : bank::PayMode::Transfer;
        if (e.bank.mode == bank::PayMode::Transfer) {
            const auto& [bankName, codeStart] = banks[index % 4];
            e.bank.holder = e.name;
            e.bank.bankName = QString::fromLatin1(bankName);
            e.bank.account = QStringLiteral("%1").arg(qint64(3021000000LL + index * 7919LL), 11, 10, QLatin1Char('0'));
            e.bank.branchCode = QString::fromLatin1(codeStart) + QStringLiteral("%1").arg(40 + index % 9 * 11, 5, 10,
                                                                                         QLatin1Char('0'));
        }
        const auto id = staff.insert(e);
        if (!id)
            return id.status();
        e.id = id.value();
        added.append(e);
        ++index;
    }
    return added;
}

Status fill(const Database& database, QDate today)
{
    if (Status s = addMasters(database); !s)
        return s;
    const auto staff = addEmployees(database, today);
    if (!staff)
        return staff.status();
    const QList<Employee>& added = *staff;
    // The second company deducts the provident fund, the insurance and the professional tax from its
    // first month of payroll on, under the defaults; the first company deducts none of them.
    statutory::Rules rules;
    rules.company = QStringLiteral("O'NEIL ENGINEERING WORKS");
    rules.from = dates::firstOfMonth(today).addMonths(-12);
    rules.pfOn = rules.esiOn = rules.ptOn = true;
    if (Status s = StatutoryRepository(database).save(rules); !s)
        return s;
    if (Status s = addPayrollHistory(database, added, today); !s)
        return s;
    if (Status s = addSecondTransaction(database, added.at(paidTwice), today); !s)
        return s;
    if (Status s = addRevisions(database, added, today); !s)
        return s;
    // The months paid long since are closed: all but the last two months of payroll.
    const auto list = CompanyRepository(database).list();
    if (!list)
        return list.status();
    MonthCloseRepository months(database);
    for (QDate month = dates::firstOfMonth(today).addMonths(-12); month <= dates::firstOfMonth(today).addMonths(-3);
         month = month.addMonths(1))
        for (const Company& company : *list)
            if (Status s = months.close(company.name, month); !s)
                return s;
    return {};
}

} // namespace

Status ensureDemoData(const Database& database, const Clock& clock, bool demoFile)
{
    const auto marker = schema::info(database, demoMarker);
    if (!marker)
        return marker.status();
    if (!marker->isEmpty())
        return {}; // the demo, filled on an earlier run
    const auto empty = schema::holdsNoData(database);
    if (!empty)
        return empty.status();
    if (!*empty && demoFile)
        return schema::setInfo(database, demoMarker, QStringLiteral("1"));
    if (!*empty)
        return Status::failure(QStringLiteral("%1 already holds data and is not a demo database. The demo fills only "
                                              "a new, empty database; nothing was changed.")
                                   .arg(QDir::toNativeSeparators(database.path())));
    // The demo's own changes stand in its trail as the administrator's.
    const QString user = database.user();
    database.setUser(QStringLiteral("admin"));
    const Status filled = inTransaction(database, [&] {
        if (Status filled = fill(database, clock.today()); !filled)
            return filled;
        return schema::setInfo(database, demoMarker, QStringLiteral("1"));
    });
    database.setUser(user);
    return filled;
}
