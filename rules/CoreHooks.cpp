#include "rules/CoreHooks.h"

namespace corvane {

namespace {
CoreHooks quietHooks;
CoreHooks* installedHooks = &quietHooks;
} // namespace

CoreHooks& Hooks() {
    return *installedHooks;
}

void SetHooks(CoreHooks* hooks) {
    installedHooks = hooks != nullptr ? hooks : &quietHooks;
}

} // namespace corvane
