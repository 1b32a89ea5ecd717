#pragma once

#include <stdexcept>
#include <string>

// Every failure the program reports carries its message text (UTF-8); the handler
// guard shows it in the standard error box.
class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Text that is not an integer: "'%s' は整数ではありません".
class EConvertError : public AppError {
public:
    using AppError::AppError;
};

// The sound player has no device, or the device refused a file.
class EMCIDeviceError : public AppError {
public:
    using AppError::AppError;
};

// The settings file could not be written: "%s に書き込めません".
class EIniFileError : public AppError {
public:
    using AppError::AppError;
};
