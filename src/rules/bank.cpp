#include "bank.h"

#include "rules/names.h"

#include <QRegularExpression>

namespace bank {

namespace {

struct ModeNames {
    PayMode mode;
    const char* stored;
    const char* caption;
};
constexpr ModeNames modeNames[] = {{PayMode::Transfer, "bank", "Bank transfer"},
                                   {PayMode::Cheque, "cheque", "Cheque"},
                                   {PayMode::Cash, "cash", "Cash"}};

struct FieldNames {
    Field field;
    const char* key;
    const char* caption;
};
constexpr FieldNames fieldNames[] = {
    {Field::Serial, "serial", "Serial number"},      {Field::EmployeeId, "empid", "Employee number"},
    {Field::EmployeeName, "name", "Employee name"},  {Field::AccountHolder, "holder", "Account holder"},
    {Field::AccountNumber, "account", "Account number"}, {Field::BranchCode, "ifsc", "Branch code"},
    {Field::BankName, "bank", "Bank name"},          {Field::Amount, "amount", "Net pay"},
    {Field::DebitAccount, "debit", "Company's account"}, {Field::Month, "month", "Month"},
    {Field::PayDate, "paydate", "Pay date"},         {Field::Fixed, "fixed", "Fixed value"},
};

QString withoutBlanks(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

} // namespace

const QList<PayMode>& payModes()
{
    static const QList<PayMode> all = {PayMode::Transfer, PayMode::Cheque, PayMode::Cash};
    return all;
}

QString storedMode(PayMode mode)
{
    for (const ModeNames& m : modeNames)
        if (m.mode == mode)
            return QString::fromLatin1(m.stored);
    return {};
}

std::optional<PayMode> modeFromStored(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty())
        return PayMode::Transfer;
    for (const ModeNames& m : modeNames)
        if (t == QLatin1String(m.stored))
            return m.mode;
    return std::nullopt;
}

QString modeCaption(PayMode mode)
{
    for (const ModeNames& m : modeNames)
        if (m.mode == mode)
            return QString::fromLatin1(m.caption);
    return {};
}

bool isAccountNumber(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9]{%1,%2}$").arg(minAccountDigits).arg(maxAccountDigits));
    return form.match(text).hasMatch();
}

bool isBranchCode(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[A-Z]{4}0[A-Z0-9]{6}$"));
    return form.match(text).hasMatch();
}

QString normalisedNumber(const QString& account)
{
    return withoutBlanks(account);
}

QString normalisedCode(const QString& branchCode)
{
    return withoutBlanks(branchCode).toUpper();
}

Details normalised(Details details)
{
    details.holder = names::stored(details.holder);
    details.bankName = names::stored(details.bankName);
    details.account = normalisedNumber(details.account);
    details.branchCode = normalisedCode(details.branchCode);
    return details;
}

Account normalised(Account account)
{
    account.bankName = names::stored(account.bankName);
    account.account = normalisedNumber(account.account);
    account.branchCode = normalisedCode(account.branchCode);
    return account;
}

QStringList transferProblems(const Details& details)
{
    if (details.mode != PayMode::Transfer)
        return {};
    QStringList problems;
    if (details.account.isEmpty())
        problems << QStringLiteral("no account number");
    else if (!isAccountNumber(details.account))
        problems << QStringLiteral("the account number %1 is not %2 to %3 digits")
                        .arg(details.account)
                        .arg(minAccountDigits)
                        .arg(maxAccountDigits);
    if (details.branchCode.isEmpty())
        problems << QStringLiteral("no branch code");
    else if (!isBranchCode(details.branchCode))
        problems << QStringLiteral("the branch code %1 is not of the form ABCD0123456").arg(details.branchCode);
    return problems;
}

const QList<Field>& fields()
{
    static const QList<Field> all = [] {
        QList<Field> list;
        for (const FieldNames& f : fieldNames)
            list << f.field;
        return list;
    }();
    return all;
}

QString fieldKey(Field field)
{
    for (const FieldNames& f : fieldNames)
        if (f.field == field)
            return QString::fromLatin1(f.key);
    return {};
}

QString fieldCaption(Field field)
{
    for (const FieldNames& f : fieldNames)
        if (f.field == field)
            return QString::fromLatin1(f.caption);
    return {};
}

std::optional<Field> fieldFromKey(const QString& key)
{
    for (const FieldNames& f : fieldNames)
        if (key.trimmed().compare(QLatin1String(f.key), Qt::CaseInsensitive) == 0)
            return f.field;
    return std::nullopt;
}

QString layoutText(const QList<UploadColumn>& columns)
{
    QStringList parts;
    for (const UploadColumn& c : columns)
        parts << QStringList{fieldKey(c.field), c.heading, c.value}.join(QLatin1Char('|'));
    return parts.join(QLatin1Char(';'));
}

std::optional<QList<UploadColumn>> parseLayout(const QString& text)
{
    QList<UploadColumn> columns;
    if (text.trimmed().isEmpty())
        return columns;
    for (const QString& part : text.split(QLatin1Char(';'))) {
        const QStringList pieces = part.split(QLatin1Char('|'));
        if (pieces.size() != 3)
            return std::nullopt;
        const auto field = fieldFromKey(pieces.at(0));
        if (!field)
            return std::nullopt;
        columns << UploadColumn{*field, pieces.at(1), pieces.at(2)};
    }
    return columns;
}

const QList<Field>& requiredFields()
{
    static const QList<Field> required = {Field::Amount, Field::AccountNumber, Field::BranchCode};
    return required;
}

QList<UploadColumn> defaultLayout()
{
    return {{Field::Serial, QStringLiteral("Sr No"), {}},
            {Field::AccountHolder, QStringLiteral("Beneficiary Name"), {}},
            {Field::AccountNumber, QStringLiteral("Beneficiary Account"), {}},
            {Field::BranchCode, QStringLiteral("IFSC"), {}},
            {Field::Amount, QStringLiteral("Amount"), {}},
            {Field::DebitAccount, QStringLiteral("Debit Account"), {}},
            {Field::Fixed, QStringLiteral("Transaction Type"), QStringLiteral("NEFT")},
            {Field::Month, QStringLiteral("Narration"), {}}};
}

} // namespace bank
