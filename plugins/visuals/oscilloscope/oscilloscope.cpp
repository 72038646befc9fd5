// oscilloscope.so: the oscilloscope's four exports.
#include "plugins/visuals/oscilloscope/COscilloscope.h"

VIS_PLUGIN_EXPORTS(COscilloscope, COscilloscope::kName)
