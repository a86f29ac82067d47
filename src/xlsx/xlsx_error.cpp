#include "xlsx/xlsx_error.h"

#include <cstring>

namespace vlr::xlsx {

void throwSystemError(int error) {
    throw XlsxError(QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace vlr::xlsx
