#pragma once
// The outcome of an operation that can fail: ok, or an error number with a
// message a person can read. Every operation of the program that can fail
// returns one (or a Result<T> when it also gives a value); the window shows
// the message where the user must know, the command line prints it.
#include <QString>
#include <optional>
#include <utility>

struct Status {
    int error = 0;   // 0 on success; numbers the caller shows are kept stable
    QString message; // what went wrong, empty on success

    bool ok() const { return error == 0; }
    explicit operator bool() const { return ok(); }
    static Status failure(const QString &message, int error = 1) { return {error, message}; }
};

// A value, or the status that says why there is none.
template <class T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status failure) : m_status(std::move(failure))
    {
        if (m_status.ok())
            m_status = Status::failure(QStringLiteral("no value"));
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const Status &status() const { return m_status; }
    const QString &message() const { return m_status.message; }
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }

private:
    std::optional<T> m_value;
    Status m_status;
};
