// Exception types shared by every part of the program.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "common/Message.h"

namespace lumerra {

// The general exception type: carries a message text and is the base of all
// others. Messages shown to the user are Japanese and fixed; a coded one
// also keeps its code and parameters, from which the command line makes the
// sentence in the user's language.
//
// Beside the message an error may carry its context: where the fault is
// ("object 12, offset 3456") or why a file was refused ("read-only"). The
// desktop program shows the message alone; the command line adds the context.
class Exception : public std::exception {
public:
    explicit Exception(std::string message, std::string context = {})
        : FMessage(std::move(message)), FContext(std::move(context)), FText{TMessageCode::Uncoded, {FMessage}} {}
    explicit Exception(TMessage text, std::string context = {})
        : FMessage(JapaneseText(text)), FContext(std::move(context)), FText(std::move(text)) {}
    explicit Exception(TMessageCode code, std::string context = {}) : Exception(TMessage{code, {}}, std::move(context)) {}
    const std::string& Message() const noexcept { return FMessage; }
    // Uncoded, with the text as its parameter, for an error made from a
    // plain text.
    const TMessage& Text() const noexcept { return FText; }
    const std::string& Context() const noexcept { return FContext; }
    // The message followed by its context in parentheses, when there is one.
    std::string Detailed() const { return FContext.empty() ? FMessage : FMessage + " (" + FContext + ")"; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
    std::string FContext;
    TMessage FText;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// An exact read found fewer bytes than it needed.
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError(TMessageCode::ReadError) {}
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

// Input that cannot be read as it stands. The message says what is wrong;
// the context says where: the byte offset and, where known, the object
// ("object 12, offset 3456"). Either is -1 when unknown.
class EDamagedInput : public Exception {
public:
    EDamagedInput(TMessage message, int64_t offset, int32_t object = -1)
        : Exception(std::move(message), Where(offset, object)), FOffset(offset), FObject(object) {}
    EDamagedInput(TMessageCode code, int64_t offset, int32_t object = -1)
        : EDamagedInput(TMessage{code, {}}, offset, object) {}
    // The data ended where more was expected.
    static EDamagedInput FileEnds(int64_t offset, int32_t object = -1) {
        return EDamagedInput(TMessageCode::FileEnds, offset, object);
    }
    int64_t Offset() const noexcept { return FOffset; }
    int32_t Object() const noexcept { return FObject; }

private:
    static std::string Where(int64_t offset, int32_t object) {
        std::string where = object >= 0 ? "object " + std::to_string(object) : "";
        if (offset >= 0) where += (where.empty() ? "offset " : ", offset ") + std::to_string(offset);
        return where;
    }

    int64_t FOffset;
    int32_t FObject;
};

// What any error says, as a message: an uncoded one for an error of
// another kind.
inline TMessage MessageOf(const std::exception& Error) {
    const auto* error = dynamic_cast<const Exception*>(&Error);
    return error != nullptr ? error->Text() : TMessage{TMessageCode::Uncoded, {Error.what()}};
}

// An index outside a list's range.
class EListError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace lumerra
