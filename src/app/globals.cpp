#include "app/globals.h"

namespace vexaro {

SharedText CurrentVideoId;
SharedText CurrentVideoUrl;

void ReleaseGlobals() {
  CurrentVideoId.Release();
  CurrentVideoUrl.Release();
}

}  // namespace vexaro
