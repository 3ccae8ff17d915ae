#pragma once
// The class library's exception family: every error the library raises carries a message
// text, and the application's default handler shows exactly that text.
#include <stdexcept>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

#define PYROLAN_EXCEPTION(Name, Base)                                                              \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
    }

PYROLAN_EXCEPTION(EConvertError, Exception);
PYROLAN_EXCEPTION(EListError, Exception);
PYROLAN_EXCEPTION(EStringListError, EListError);
PYROLAN_EXCEPTION(EOutOfMemory, Exception);
PYROLAN_EXCEPTION(EStreamError, Exception);
PYROLAN_EXCEPTION(EReadError, EStreamError);
PYROLAN_EXCEPTION(EWriteError, EStreamError);
PYROLAN_EXCEPTION(EFileStreamError, EStreamError);
PYROLAN_EXCEPTION(EFOpenError, EFileStreamError);
PYROLAN_EXCEPTION(EFCreateError, EFileStreamError);
PYROLAN_EXCEPTION(EInOutError, Exception);
PYROLAN_EXCEPTION(EIntError, Exception);
PYROLAN_EXCEPTION(EDivByZero, EIntError);
PYROLAN_EXCEPTION(EIntOverflow, EIntError);
// Access to properties by name: a property that does not exist, a value that does not convert.
PYROLAN_EXCEPTION(EPropertyError, Exception);
PYROLAN_EXCEPTION(EPropertyConvertError, Exception);

#undef PYROLAN_EXCEPTION
