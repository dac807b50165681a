// Exception types shared by every part of the program.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace lumerra {

// The general exception type: carries a message text and is the base of all
// others. Messages shown to the user are Japanese and fixed.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// An exact read found fewer bytes than it needed.
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
    using EStreamError::EStreamError;
};

// A file cannot be opened for reading.
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A file cannot be created or overwritten.
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// An index outside a list's range.
class EListError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace lumerra
