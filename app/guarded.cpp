#include "app/guarded.h"

#include <exception>

#include "settings/host.h"
#include "settings/number.h"

bool runGuarded(Host& host, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const ConversionError& e) {
        host.applicationError(e.message());
    } catch (const std::exception& e) {
        host.applicationError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        host.applicationError(QString());
    }
    return false;
}
