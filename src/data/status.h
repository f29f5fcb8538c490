#pragma once

#include <QString>

#include <utility>

// The outcome of an operation that can fail: empty error text means success. Failures carry a
// description fit to show the operator. A refusal is a failure because of what was given (a rule
// of the data it breaks, named by its stored column where it is about one), not because the
// database failed: a bulk writer lists it and goes on with the next row.
class Status {
public:
    Status() = default;
    static Status failure(QString error) { return Status(std::move(error)); }
    static Status refused(QString field, QString error)
    {
        Status s(std::move(error));
        s.m_field = std::move(field);
        s.m_refusal = true;
        return s;
    }
    bool ok() const { return m_error.isEmpty(); }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }
    bool isRefusal() const { return m_refusal; }
    const QString& field() const { return m_field; }

private:
    explicit Status(QString error) : m_error(error.isEmpty() ? QStringLiteral("Unknown error") : std::move(error)) {}
    QString m_error;
    QString m_field;
    bool m_refusal = false;
};

// A value, or the description of why there is none.
template <typename T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status failure) : m_status(std::move(failure)) {}
    bool ok() const { return m_status.ok(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return m_value; }
    T& value() & { return m_value; }
    // Taken out of a result about to go: moved, not copied (a report's rows are many).
    T value() && { return std::move(m_value); }
    const T& operator*() const { return m_value; }
    const T* operator->() const { return &m_value; }
    const QString& error() const { return m_status.error(); }
    const Status& status() const { return m_status; }

private:
    T m_value{};
    Status m_status;
};
