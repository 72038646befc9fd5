// levelmeter.so: the VU meter's four exports.
#include "plugins/visuals/levelmeter/CVuMeter.h"

VIS_PLUGIN_EXPORTS(CVuMeter, CVuMeter::kName)
