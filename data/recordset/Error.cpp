#include "Error.h"

#include <utility>

Error::Error(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

StoreError::StoreError(int code, QString message) : Error(std::move(message)), code_(code) {}
