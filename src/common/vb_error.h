#pragma once
// The error that operations raise inside the component: a classic run-time number and a
// description.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace norvik {

// Classic run-time error numbers used by the component.
enum VbErrorNumber : int32_t {
    kErrInvalidArgument = 5,
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrOutOfRange = 9,
    kErrTypeMismatch = 13,
    kErrUserInterrupt = 18,
    kErrInternal = 51,
    kErrBadFileName = 52,
    kErrFileNotFound = 53,
    kErrDeviceIo = 57,
    kErrDiskFull = 61,
    kErrPermissionDenied = 70,
    kErrPathFileAccess = 75,
    kErrPathNotFound = 76,
    kErrObjectNotSet = 91,
    kErrCannotCreateObject = 429,
    kErrNoSuchProperty = 438,
    kErrDuplicateKey = 457,
    kErrNoCurrentRow = 3021,
    kErrUnknownColumn = 3265,
    kErrDatabase = -2147467259,  // provider error; the description is the database's own message
};

class VbError : public std::runtime_error {
  public:
    // An error with the classic German description of its number.
    explicit VbError(int32_t number);
    // An error with its own description.
    VbError(int32_t number, const std::string& description);

    // The classic error number.
    int32_t Number() const { return number_; }
    // The description shown to the user.
    const std::string& Description() const { return description_; }

    // The classic German description of a run-time error number ("Anwendungs- oder
    // objektdefinierter Fehler" when unknown).
    static std::string DescriptionOf(int32_t number);

  private:
    int32_t number_;
    std::string description_;
};

// Any exception as our error: a VbError as it is, a file system error by its errno, memory
// exhaustion as 7, anything else as an internal error (51); never the database's number.
VbError ToVbError(const std::exception& e);

}  // namespace norvik
