#include "ConfValue.h"

namespace Conf {

double ConfValue::getDouble() const {
    bool ok = false;
    double value = text_.toDouble(&ok);
    return ok && value == value ? value : 0;
}

} // namespace Conf
