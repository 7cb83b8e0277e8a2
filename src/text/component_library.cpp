#include "text/component_library.h"

namespace vexaro {

namespace {
thread_local int initCount = 0;
}

void CoInitialize() { ++initCount; }

void CoUninitialize() {
  if (initCount > 0) --initCount;
}

int ComInitCount() { return initCount; }

}  // namespace vexaro
