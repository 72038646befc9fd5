// freqbars.so: the spectrum analyser's four exports.
#include "plugins/visuals/freqbars/CSpectrumAnalyser.h"

VIS_PLUGIN_EXPORTS(CSpectrumAnalyser, CSpectrumAnalyser::kName)
