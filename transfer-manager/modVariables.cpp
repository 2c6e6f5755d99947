#include "transfer-manager/modVariables.h"

namespace halvern {

namespace {
Variables& Instance() {
  static Variables variables;
  return variables;
}
}  // namespace

Variables& Vars() { return Instance(); }

void ResetVariables() { Instance() = Variables{}; }

}  // namespace halvern
