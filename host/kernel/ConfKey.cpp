#include "ConfKey.h"

#include "ConfValue.h"

namespace Conf {

XComPtr<IConfValue> ConfKey::getValue() {
    XComPtr<IConfValue> value;
    value.attach(new ConfValue(store_->value(path_)));
    return value;
}

bool ConfKey::setValue(IConfValue* value) {
    return store_->setValue(path_, value ? value->getString() : XStringW());
}

} // namespace Conf
