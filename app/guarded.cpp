#include "app/guarded.h"

#include <exception>

#include "settings/number.h"

bool runGuarded(const std::function<void(const Box&)>& show, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const ConversionError& e) {
        show(errorBox(e.message()));
    } catch (const std::exception& e) {
        show(errorBox(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        show(errorBox(QString()));
    }
    return false;
}
