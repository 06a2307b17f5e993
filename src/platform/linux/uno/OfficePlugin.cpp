// The plugin's one entry point, found by LoadOffice().
#include "UnoOffice.h"

extern "C" __attribute__((visibility("default"))) Office* quorvane_create_office() noexcept {
    try {
        return new UnoOffice;
    } catch (...) {
        return nullptr;
    }
}
