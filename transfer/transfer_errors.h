// Failures inside the transfer layer travel as exceptions, thrown by value
// and caught by reference; the retrying callers take their text for the
// error box they report after the last attempt.
#pragma once

#include <windows.h>

#include <string>

namespace transfer {

class TransferException {
public:
    virtual ~TransferException() = default;
    const std::string& message() const { return message_; }

protected:
    explicit TransferException(std::string message) : message_(std::move(message)) {}

private:
    std::string message_;
};

// A body whose length differs from the requested range.
class CMyException : public TransferException {
public:
    CMyException();
};

// The whole file came instead of the requested range, and the sink could
// not take it. Asking again gets the same answer.
class WholeFileAnswer : public CMyException {};

// A WinINet call failed (connection, TLS, time-out...). The text is WinINet's own.
class InternetException : public TransferException {
public:
    explicit InternetException(DWORD code);
    DWORD code() const { return code_; }

private:
    DWORD code_;
};

// Writing or reading a local file failed. The text is the system's own.
class FileException : public TransferException {
public:
    explicit FileException(DWORD code);
    DWORD code() const { return code_; }

private:
    DWORD code_;
};

}  // namespace transfer
